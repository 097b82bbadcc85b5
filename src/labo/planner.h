// The burn planner: the two-impulse transfer that takes the chaser to an aim
// point in a chosen flight time, from the Clohessy-Wiltshire state transition
// (the closed-form coast of prediction.h, so any trois and any Omega, 0
// included). It says which presses to make now, what path they give, and the
// velocity change needed on arrival; the student makes the presses.
#ifndef ORVANEL_LABO_PLANNER_H
#define ORVANEL_LABO_PLANNER_H

#include <array>
#include <string>
#include <vector>

#include "approach.h"
#include "prediction.h"
#include "simulation.h"

// ---------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------

// Signed whole presses per axis: + is →, ↑, Page préc. (x, y, z); - the others.
using PressCounts = std::array<int, 3>;
// A velocity change per axis, x y z (ul/ut).
using VelocityChange = std::array<double, 3>;

// What the student asks for.
struct PlanRequest {
    Motion now;                                    // the chaser now
    std::vector<QueuedThrust> queue;               // presses already waiting, one per interval
    double Omega = 0.0;                            // rad/ut
    double trois = 3.0;                            // the radial coefficient
    double interval = 0.05;                        // time one step covers (ut)
    double aim_x = 0.0, aim_y = 0.0, aim_z = 0.0;  // the point to reach (ul)
    double flight_time = 0.0;                      // from now to the arrival (ut)
    double press_change = 0.0;          // velocity change of one press: p × interval (ul/ut)
    double tolerance = port_tolerance;  // a z that no burn can change but arrives this
                                        // close to the aim's still makes a transfer (ul)
};

// The planner's answer.
struct BurnPlan {
    bool ok = false;
    std::string refusal;              // when !ok: one French sentence saying why
    std::string note;                 // when ok: what the plan leaves alone (z), or empty
    VelocityChange change{};          // exact velocity change needed when the new presses start
    PressCounts presses{};            // that change in whole presses
    double rounding_miss = 0.0;       // distance from the aim at arrival had the whole presses
                                      // been made at once: what rounding alone leaves (ul)
    double miss = 0.0;                // distance from the aim at arrival along `path` (ul)
    Motion arrival;                   // the chaser on arrival along `path`
    VelocityChange arrival_change{};  // to stop at the aim on arrival (ul/ut)
    PressCounts arrival_presses{};    // that change in whole presses
    std::vector<CoastPoint> path;     // from now to the arrival, the presses queued one
                                      // per interval after those already waiting
};

// ---------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------

// A flight time whose transition's determinant is this small against its
// scale cannot choose the arrival: the drift brings every start to one place.
constexpr double singular_transition = 1e-6;
constexpr double still_flight_time = 20.0;   // default flight time when Omega is 0 (ut)
constexpr int most_planned_presses = 10000;  // per axis; a plan beyond is shown at that
constexpr double aim_before_port = 3.0;  // default aim: on the axis, this far before the port (ul)
constexpr int plan_samples = 200;
constexpr double economy_shortest = 0.6;  // of the default flight time
constexpr double economy_longest = 2.8;
constexpr int economy_steps = 55;  // points of the drawn path

// ---------------------------------------------------------------------------
// Planning
// ---------------------------------------------------------------------------

// Solves the transfer; refuses a flight time that is not positive, that the
// waiting presses already use up, shorter than its own presses take (one per
// interval), or for which no transfer exists.
BurnPlan plan_transfer(const PlanRequest& request);
// Half an orbit, 2 pi / |Omega| / 2; still_flight_time when Omega is 0 or not finite.
double default_flight_time(double Omega);
// The flight time, among those the slider offers (from economy_shortest to
// economy_longest default flight times, in economy_steps steps), whose plan takes
// the fewest presses now and on arrival; the request's own time when none plans.
double economical_flight_time(const PlanRequest& request);
// "3 × →, 12 × ↑" in x, y, z order; "aucune poussée" when all are 0.
std::string presses_text(const PressCounts& presses);

#endif
