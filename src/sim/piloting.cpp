// The pilot's thrust and fuel, and the verdict on each frame.
#include <cmath>

#include "simulation.h"

bool fire_thruster(int key)
{
    SimulationState& s = simulation;
    const double p = scenario.p;
    switch (key) {
        case key_thrust_left:
            s.fx = -p;
            break;
        case key_thrust_up:
            s.fy = p;
            break;
        case key_thrust_right:
            s.fx = p;
            break;
        case key_thrust_down:
            s.fy = -p;
            break;
        case key_thrust_page_up:
            s.fz = p;
            break;
        case key_thrust_page_down:
            s.fz = -p;
            break;
        default:
            return false;
    }
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

double chaser_speed(double xp, double yp, double zp)
{
    return std::pow(xp * xp + yp * yp + zp * zp, 0.5);
}

void judge_outcome(double x, double y, double z, double xp, double yp, double zp)
{
    SimulationState& s = simulation;
    const double speed = chaser_speed(xp, yp, zp);
    const bool touches = std::fabs(y) < contact_half_length && std::fabs(x) < contact_half_width &&
                         std::fabs(z) < contact_half_width;
    if (touches) {
        s.interval = 0.0;
        s.outcome = outcome_collision;
        const bool at_port = std::fabs(y - port_y) < port_tolerance &&
                             std::fabs(x) < port_tolerance && std::fabs(z) < port_tolerance;
        if (at_port) {
            s.outcome = outcome_too_fast;
            if (speed < max_docking_speed) s.outcome = outcome_docked;
        }
    }
    if (x * x + y * y + z * z > loss_radius_squared) s.outcome = outcome_lost;
}
