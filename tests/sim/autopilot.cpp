// The test pilot's guidance law. It plans with the closed-form drift of the
// Hill equations: a two-impulse transfer to a point held in front of the port,
// the transfer time chosen for the fewest presses, the first impulse corrected
// on every step; then a final approach along +y that holds x and z on the axis.
#include "autopilot.h"

#include <algorithm>
#include <cmath>

#include "cw_reference.h"

namespace {

// Where the transfer ends: on the docking axis, in front of the port.
constexpr double aim_y = -3.0;
// Final approach speed along +y: a whole number of impulses, at most this, so
// that the press threshold and the lateral speed still leave it below the
// docking limit of 0.12.
constexpr double approach_speed_limit = 0.08;
// Final approach: lateral speed per unit of offset, and its bound.
constexpr double lateral_gain = 0.5;
constexpr double lateral_speed_limit = 0.04;
// Lateral offset the final approach accepts before going into the port.
constexpr double lateral_window = 0.04;
// Distance from the port at which the final approach waits for the axis.
constexpr double hold_distance = 0.6;
// Transfer: corrections stop this long before arrival (the required
// velocity grows without bound as the time left shrinks).
constexpr double coast_time = 1.0;
// Transfer times tried, from the shortest, in steps of this length.
constexpr double shortest_transfer = 4.0;
constexpr double transfer_time_step = 0.25;
// Without orbital rate, the longest transfer considered.
constexpr double longest_free_transfer = 150.0;
// With orbital rate, transfers end before a whole orbit, where radial
// impulses have no effect and the targeting cannot be solved.
constexpr double longest_orbit_fraction = 0.95;
// One press is worth this much flight time when choosing a transfer.
constexpr double time_per_press = 40.0;
// Out-of-plane targeting is skipped where sin(n T) is this small: the
// out-of-plane motion cannot be steered to zero at such a time left.
constexpr double smallest_out_of_plane_gain = 0.3;
// The transfer path keeps out of a corridor around the target box and in
// front of it, and well inside the loss radius.
constexpr double corridor_half_width = 1.0;
constexpr double corridor_front = -2.5;
constexpr double safe_radius = 90.0;
constexpr int path_samples = 80;
constexpr double two_pi = 6.283185307179586;
// A press is made when the velocity change needed reaches this fraction of
// one impulse. Above one half, so that a press never leaves a change that
// calls for the opposite press at once.
constexpr double press_threshold = 0.75;

double impulse() { return scenario.p * step_interval; }

double approach_speed()
{
    const double q = impulse();
    if (q <= 0.0) return 0.0;
    return std::max(1.0, std::floor(approach_speed_limit / q)) * q;
}

RelativeState current_state()
{
    const SimulationState& s = simulation;
    return {s.x, s.y, s.z, s.xp, s.yp, s.zp};
}

int press_for(double change)
{
    const double threshold = press_threshold * impulse();
    if (threshold <= 0.0) return 0;
    if (change >= threshold) return 1;
    if (change <= -threshold) return -1;
    return 0;
}

double clamp(double value, double limit) { return std::max(-limit, std::min(limit, value)); }

// Start velocity that drifts from the position of s to the aim point in time
// t. Returns false when the in-plane targeting has no solution.
bool required_velocity(const RelativeState& s, double n, double t, RelativeState& v)
{
    RelativeState still = s;
    still.xp = still.yp = still.zp = 0.0;
    const RelativeState coast = cw_drift(still, n, t);
    const RelativeState by_xp = cw_drift({0, 0, 0, 1, 0, 0}, n, t);
    const RelativeState by_yp = cw_drift({0, 0, 0, 0, 1, 0}, n, t);
    const RelativeState by_zp = cw_drift({0, 0, 0, 0, 0, 1}, n, t);
    const double det = by_xp.x * by_yp.y - by_yp.x * by_xp.y;
    if (std::fabs(det) < 1e-9 * t * t) return false;
    const double ex = 0.0 - coast.x;
    const double ey = aim_y - coast.y;
    v = s;
    v.xp = (ex * by_yp.y - by_yp.x * ey) / det;
    v.yp = (by_xp.x * ey - ex * by_xp.y) / det;
    const double z_gain = by_zp.z;
    v.zp = std::fabs(z_gain * n) >= smallest_out_of_plane_gain || n == 0.0
               ? (0.0 - coast.z) / z_gain
               : s.zp;
    return true;
}

bool path_is_safe(const RelativeState& start, double n, double t)
{
    for (int i = 1; i < path_samples; ++i) {
        const RelativeState at = cw_drift(start, n, t * i / path_samples);
        const bool in_corridor = std::fabs(at.x) < corridor_half_width &&
                                 std::fabs(at.z) < corridor_half_width && at.y > corridor_front;
        const double r2 = at.x * at.x + at.y * at.y + at.z * at.z;
        if (in_corridor || r2 > safe_radius * safe_radius) return false;
    }
    return true;
}

double presses_needed(double dxp, double dyp, double dzp)
{
    return (std::fabs(dxp) + std::fabs(dyp) + std::fabs(dzp)) / impulse();
}

// Transfer time with the fewest presses (counting flight time too), or a
// negative value when no transfer is safe.
double choose_transfer_time(const RelativeState& s, double n)
{
    const double longest = n == 0.0 ? longest_free_transfer : longest_orbit_fraction * two_pi / n;
    double best_time = -1.0;
    double best_cost = 0.0;
    for (double t = shortest_transfer; t <= longest; t += transfer_time_step) {
        RelativeState v;
        if (!required_velocity(s, n, t, v) || !path_is_safe(v, n, t)) continue;
        const RelativeState end = cw_drift(v, n, t);
        const double cost = presses_needed(v.xp - s.xp, v.yp - s.yp, v.zp - s.zp) +
                            presses_needed(end.xp, end.yp - approach_speed(), end.zp) +
                            presses_needed(lateral_gain * end.x, 0.0, lateral_gain * end.z) +
                            t / time_per_press;
        if (best_time < 0.0 || cost < best_cost) {
            best_time = t;
            best_cost = cost;
        }
    }
    return best_time;
}

// Transfer: steer towards the velocity that reaches the aim point at the
// planned arrival time.
Presses transfer_presses(double time_left)
{
    if (time_left <= coast_time) return {};
    const RelativeState s = current_state();
    RelativeState v;
    if (!required_velocity(s, scenario.Omega, time_left, v)) return {};
    return presses_towards(v.xp, v.yp, v.zp);
}

// Final approach: hold the axis, and go in only once on it.
Presses approach_presses()
{
    const SimulationState& s = simulation;
    const double wanted_xp = clamp(-lateral_gain * s.x, lateral_speed_limit);
    const double wanted_zp = clamp(-lateral_gain * s.z, lateral_speed_limit);
    const bool on_axis = std::fabs(s.x) < lateral_window && std::fabs(s.z) < lateral_window;
    const bool near_port = s.y > port_y - hold_distance;
    const double wanted_yp = on_axis || !near_port ? approach_speed() : 0.0;
    return presses_towards(wanted_xp, wanted_yp, wanted_zp);
}

}  // namespace

Presses presses_towards(double wanted_xp, double wanted_yp, double wanted_zp)
{
    const SimulationState& s = simulation;
    Presses p;
    p.x = press_for(wanted_xp - s.xp);
    p.y = press_for(wanted_yp - s.yp);
    p.z = press_for(wanted_zp - s.zp);
    return p;
}

void fly_one_step(const Presses& presses, FlightLog& log)
{
    cut_off_fuel();
    const auto press = [&](int direction, int plus, int minus) {
        if (direction == 0) return;
        fire_thruster(direction > 0 ? plus : minus);
        ++log.presses;
    };
    press(presses.x, key_thrust_right, key_thrust_left);
    press(presses.y, key_thrust_up, key_thrust_down);
    press(presses.z, key_thrust_page_up, key_thrust_page_down);
    const double before = simulation.temps;
    step_simulation();
    log.time += simulation.temps - before;
    ++log.steps;
    const SimulationState& s = simulation;
    judge_outcome(s.x, s.y, s.z, s.xp, s.yp, s.zp);
    log.outcome = s.outcome;
}

FlightLog fly_to_dock(int step_limit)
{
    FlightLog log;
    const double arrival = choose_transfer_time(current_state(), scenario.Omega);
    bool transferring = arrival > 0.0;
    while (log.outcome == outcome_none && log.steps < step_limit) {
        const double time_left = arrival - log.time;
        if (transferring && time_left <= 0.0) transferring = false;
        fly_one_step(transferring ? transfer_presses(time_left) : approach_presses(), log);
    }
    return log;
}
