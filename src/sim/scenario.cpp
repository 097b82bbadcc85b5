// Scenario files and the reset that starts a run from one of them.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "simulation.h"

SimulationState simulation;
Scenario scenario;

const char* const scenario_paths[scenario_count] = {
    "data/fo.in", "data/fo1.in", "data/fo2.in", "data/fo3.in", "data/fo4.in", "data/fo5.in",
};

namespace {

constexpr int scenario_item_count = 11;

// The trail length a run can hold, with a message naming the value the file gave.
int trail_length_within_range(const char* path, long long nx)
{
    if (nx >= min_trail_length && nx <= max_trail_length) return static_cast<int>(nx);
    const int bounded = nx < min_trail_length ? min_trail_length : max_trail_length;
    std::fprintf(stderr, ": \"%s\": nx=%lld hors de [%d, %d], ramene a %d.\n", path, nx,
                 min_trail_length, max_trail_length, bounded);
    return bounded;
}

// True for a path that names something other than a regular file: a FIFO with
// no writer would block the open, a device might never end.
bool is_special_file(const char* path)
{
    std::error_code error;
    const std::filesystem::file_type type = std::filesystem::status(path, error).type();
    return !error && type != std::filesystem::file_type::regular &&
           type != std::filesystem::file_type::not_found;
}

// Applies the eleven conversions in file order, storing each value as soon as it
// is converted; returns how many matched. A failed item leaves the fields from it
// on as they were, since scanf cannot resynchronise after a mismatch. nx is read
// 64 bits wide so that a huge count keeps its full value instead of wrapping; it reaches
// the record already brought into the trail's range.
int scan_items(const char* path, FILE* file, Scenario& into)
{
    int matched = 0;
    bool stopped = false;
    auto item = [&](const char* format, auto* field) {
        if (stopped) return;
        if (std::fscanf(file, format, field) == 1) {
            ++matched;
        } else {
            stopped = true;
        }
    };
    item("dt=%lf              \n", &into.dt);
    long long nx_as_written = 0;
    item("nx=%lli              \n", &nx_as_written);
    if (matched == 2) into.nx = trail_length_within_range(path, nx_as_written);
    item("trois=%lf           \n", &into.trois);
    item("Omega=%lf           \n", &into.Omega);
    item("X0=%lf              \n", &into.X0);
    item("Y0=%lf              \n", &into.Y0);
    item("Z0=%lf              \n", &into.Z0);
    item("Xp0=%lf             \n", &into.Xp0);
    item("Yp0=%lf             \n", &into.Yp0);
    item("Zp0=%lf             \n", &into.Zp0);
    item("p=%lf               \n", &into.p);
    return matched;
}

// A non-finite value would poison the whole run; it is replaced by a neutral one.
void require_finite(const char* path, const char* name, double& value, double fallback)
{
    if (std::isfinite(value)) return;
    std::fprintf(stderr, ": \"%s\": %s n'est pas un nombre fini, remplace par %g.\n", path, name,
                 fallback);
    value = fallback;
}

// Keeps the run sound whatever the file held: a usable dt no longer than a
// step, finite values and a trail length the arrays can hold.
void sanitise_scenario(const char* path, Scenario& s)
{
    if (!(s.dt >= min_dt) || !std::isfinite(s.dt)) {
        std::fprintf(stderr, ": \"%s\": dt=%g inutilisable (au moins %g), remplace par %g.\n", path,
                     s.dt, min_dt, default_dt);
        s.dt = default_dt;
    }
    // A sub-step longer than the step would never be taken: the run would stand still.
    if (s.dt > step_interval) {
        std::fprintf(stderr, ": \"%s\": dt=%g plus long que le pas %g, ramene a %g.\n", path, s.dt,
                     step_interval, step_interval);
        s.dt = step_interval;
    }
    require_finite(path, "trois", s.trois, 3.0);
    require_finite(path, "Omega", s.Omega, 0.0);
    require_finite(path, "X0", s.X0, 0.0);
    require_finite(path, "Y0", s.Y0, 0.0);
    require_finite(path, "Z0", s.Z0, 0.0);
    require_finite(path, "Xp0", s.Xp0, 0.0);
    require_finite(path, "Yp0", s.Yp0, 0.0);
    require_finite(path, "Zp0", s.Zp0, 0.0);
    require_finite(path, "p", s.p, default_thrust);
    s.nx = trail_length_within_range(path, s.nx);
}

void allocate_trail(SimulationState& s, int nx)
{
    const size_t entries = static_cast<size_t>(nx) + 1;
    s.trail_allocated = true;
    s.trail_x.assign(entries, 0.0);
    s.trail_y.assign(entries, 0.0);
    s.trail_z.assign(entries, 0.0);
    s.trail_x.shrink_to_fit();
    s.trail_y.shrink_to_fit();
    s.trail_z.shrink_to_fit();
}

}  // namespace

void read_scenario(const char* path, Scenario& into)
{
    std::printf("fichier de donnees:   %s!   \n", path);
    if (is_special_file(path)) {
        std::fflush(stdout);
        std::fprintf(stderr, ": \"%s\" n'est pas un fichier ordinaire, non lu.\n", path);
        return;
    }
    FILE* file = std::fopen(path, "r");
    if (file == nullptr) {
        std::fflush(stdout);
        std::fprintf(stderr, ": can't open data file \"%s\".\n", path);
        return;
    }
    const int matched = scan_items(path, file, into);
    std::fclose(file);
    if (matched < scenario_item_count) {
        std::fflush(stdout);
        std::fprintf(stderr,
                     ": \"%s\": %d valeurs lues sur %d, les suivantes gardent leur valeur.\n", path,
                     matched, scenario_item_count);
    }
}

void reset_simulation()
{
    scenario.dt = default_dt;
    scenario.p = default_thrust;
    const char* path =
        simulation.scenario_path != nullptr ? simulation.scenario_path : scenario_paths[0];
    read_scenario(path, scenario);
    start_run(path);
}

void start_run(const char* label)
{
    SimulationState& s = simulation;
    s.fx = s.fy = s.fz = 0.0;
    s.reserve = initial_reserve;
    s.interval = step_interval;
    s.steps = 0;
    s.outcome = outcome_none;
    sanitise_scenario(label, scenario);
    s.x = scenario.X0;
    s.y = scenario.Y0;
    s.z = scenario.Z0;
    s.xp = scenario.Xp0;
    s.yp = scenario.Yp0;
    s.zp = scenario.Zp0;
    scenario.dt *= time_scale;
    allocate_trail(s, scenario.nx);
    for (int i = 0; i <= scenario.nx; ++i) {
        s.trail_x[i] = s.x;
        s.trail_y[i] = s.y;
        s.trail_z[i] = s.z;
    }
}
