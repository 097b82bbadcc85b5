// A test pilot that flies the simulation the way a user does: between two
// steps it may press thrust keys (at most one per axis, each costing a unit of
// fuel), the fuel gauge's cut-off runs before each step as the display runs it
// every frame, and the verdict is taken after every step.
#ifndef ORVANEL_TEST_AUTOPILOT_H
#define ORVANEL_TEST_AUTOPILOT_H

#include "simulation.h"

// The keys pressed before one step: -1, 0 or +1 per axis.
struct Presses {
    int x = 0, y = 0, z = 0;
};

// What a flight cost and how it ended.
struct FlightLog {
    int presses = 0;    // thrust keys pressed, effective or not
    int steps = 0;      // steps flown
    double time = 0.0;  // simulated time flown
    Outcome outcome = outcome_none;
};

// One frame of flying: cut-off, the presses, one step, the verdict.
void fly_one_step(const Presses& presses, FlightLog& log);

// Flies the current run to the docking port with a guidance law of its own:
// Clohessy-Wiltshire targeting of a point in front of the port, re-planned
// every step, then a slow final approach along +y. Stops at the first verdict
// or after step_limit steps.
FlightLog fly_to_dock(int step_limit);

// Keys that steer the velocity towards wanted, one press per axis at most,
// pressing only when the change needed is most of an impulse.
Presses presses_towards(double wanted_xp, double wanted_yp, double wanted_zp);

#endif
