// The pilot's thrust and fuel, and the verdict on each frame.
#include <cmath>

#include "simulation.h"

bool key_thrust(int key, double p, int* axis, double* thrust)
{
    switch (key) {
        case key_thrust_left:
            *axis = 0, *thrust = -p;
            return true;
        case key_thrust_right:
            *axis = 0, *thrust = p;
            return true;
        case key_thrust_up:
            *axis = 1, *thrust = p;
            return true;
        case key_thrust_down:
            *axis = 1, *thrust = -p;
            return true;
        case key_thrust_page_up:
            *axis = 2, *thrust = p;
            return true;
        case key_thrust_page_down:
            *axis = 2, *thrust = -p;
            return true;
        default:
            return false;
    }
}

bool fire_thruster(int key)
{
    SimulationState& s = simulation;
    int axis = 0;
    double thrust = 0.0;
    if (!key_thrust(key, scenario.p, &axis, &thrust)) return false;
    // Only the key's own axis changes: two keys in one interval thrust together.
    double* const components[3] = {&s.fx, &s.fy, &s.fz};
    *components[axis] = thrust;
    s.reserve -= 1;
    return true;
}

void cut_off_fuel()
{
    if (simulation.reserve < 0) {
        simulation.reserve = 0;
        scenario.p = 0.0;
    }
}

// The square root is rounded exactly on every platform; a library's pow(s, 0.5)
// may be off by one unit in the last place, and by a different one on another
// machine, so the browser's core and the desktop's would not give one speed.
double chaser_speed(double xp, double yp, double zp)
{
    return std::sqrt(xp * xp + yp * yp + zp * zp);
}

Outcome decide_outcome(double x, double y, double z, double xp, double yp, double zp,
                       const VerdictLimits& limits)
{
    if (x * x + y * y + z * z > loss_radius_squared) return outcome_lost;
    const bool touches = std::fabs(y) < contact_half_length && std::fabs(x) < contact_half_width &&
                         std::fabs(z) < contact_half_width;
    if (!touches) return outcome_none;
    const bool at_port = std::fabs(y - port_y) < limits.tolerance &&
                         std::fabs(x) < limits.tolerance && std::fabs(z) < limits.tolerance;
    if (!at_port) return outcome_collision;
    return chaser_speed(xp, yp, zp) < limits.max_speed ? outcome_docked : outcome_too_fast;
}

void record_outcome(Outcome decided)
{
    // A contact freezes the run; a verdict already taken stays until the next
    // reset, whatever the chaser does after it.
    if (decided == outcome_none) return;
    if (decided != outcome_lost) simulation.interval = 0.0;
    simulation.outcome = decided;
}

void judge_outcome(double x, double y, double z, double xp, double yp, double zp)
{
    record_outcome(decide_outcome(x, y, z, xp, yp, zp, VerdictLimits{}));
}
