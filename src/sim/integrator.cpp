// Hill / Clohessy-Wiltshire equations, one paced interval at a time, and the trail.
#include <cstddef>
#include <limits>

#include "simulation.h"

double accel_x(double x, double, double, double, double yp, double, double f)
{
    return scenario.trois * scenario.Omega * scenario.Omega * x + 2.0 * scenario.Omega * yp + f;
}

double accel_y(double, double, double, double xp, double, double, double f)
{
    return -2.0 * scenario.Omega * xp + f;
}

double accel_z(double, double, double z, double, double, double, double f)
{
    return -scenario.Omega * scenario.Omega * z + f;
}

namespace {

// The counters run for as long as the program does; they must not overflow
// (a negative step count would send the trail fill below entry 0).
constexpr int counter_limit = std::numeric_limits<int>::max();

// Velocity by the explicit midpoint rule, then position by a forward step with
// the velocity just updated.
void substep(SimulationState& s, double h)
{
    s.temps += h;
    const double xpm = s.xp + accel_x(s.x, s.y, s.z, s.xp, s.yp, s.zp, s.fx) * h * 0.5;
    const double ypm = s.yp + accel_y(s.x, s.y, s.z, s.xp, s.yp, s.zp, s.fy) * h * 0.5;
    const double zpm = s.zp + accel_z(s.x, s.y, s.z, s.xp, s.yp, s.zp, s.fz) * h * 0.5;
    const double xm = s.x + 0.5 * h * xpm;
    const double ym = s.y + 0.5 * h * ypm;
    const double zm = s.z + 0.5 * h * zpm;
    s.xp = s.xp + h * accel_x(xm, ym, zm, xpm, ypm, zpm, s.fx);
    s.yp = s.yp + h * accel_y(xm, ym, zm, xpm, ypm, zpm, s.fy);
    s.zp = s.zp + h * accel_z(xm, ym, zm, xpm, ypm, zpm, s.fz);
    s.x = s.x + h * s.xp;
    s.y = s.y + h * s.yp;
    s.z = s.z + h * s.zp;
}

// The trail arrays may have been sized for another nx (a test or a caller that
// changed the scenario); only entries that exist are written.
int usable_trail_length(const SimulationState& s, int nx)
{
    const std::size_t size = s.trail_x.size();
    if (size == 0 || s.trail_y.size() != size || s.trail_z.size() != size) return -1;
    if (nx < 0) return -1;
    return static_cast<std::size_t>(nx) < size ? nx : static_cast<int>(size - 1);
}

void record_trail(SimulationState& s, int nx)
{
    nx = usable_trail_length(s, nx);
    if (nx < 0) return;
    if (s.steps < nx) {
        for (int i = s.steps; i <= nx; ++i) {
            s.trail_x[i] = s.x;
            s.trail_y[i] = s.y;
            s.trail_z[i] = s.z;
        }
        return;
    }
    s.trail_x[nx] = s.x;
    s.trail_y[nx] = s.y;
    s.trail_z[nx] = s.z;
    for (int j = 1; j <= nx - 1; ++j) {
        s.trail_x[j] = s.trail_x[j + 1];
        s.trail_y[j] = s.trail_y[j + 1];
        s.trail_z[j] = s.trail_z[j + 1];
    }
}

}  // namespace

void step_simulation()
{
    SimulationState& s = simulation;
    const double h = scenario.dt;
    // A dt that is not positive and finite runs no sub-step; the cap bounds a step
    // even for a tiny dt set directly on the record.
    if (h > 0.0) {
        for (long i = 1; i <= max_substeps && i <= s.interval / h; ++i) substep(s, h);
    }
    s.fx = s.fy = s.fz = 0.0;
    // Past the limit the count only decides that the trail scrolls, which it
    // does for any count of at least nx.
    if (s.steps < counter_limit) s.steps += 1;
    record_trail(s, scenario.nx);
}

void idle_tick()
{
    SimulationState& s = simulation;
    if (s.paused != 0) return;
    // Wrapping to 0 keeps the step rhythm for every pace that divides 2^31.
    s.idle_count = s.idle_count < counter_limit ? s.idle_count + 1 : 0;
    if (s.pace < 1) s.pace = 1;
    if (s.idle_count % s.pace == 0) step_simulation();
}
