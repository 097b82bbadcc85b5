// The final approach in numbers: how far the chaser is from the docking axis
// and the port, what the coast ahead leads to (its closest approach to the port
// and the verdict it would meet), and the coast once the presses still waiting
// in the queue have been applied. Pure functions; lengths and times in the
// scenario's units (ul, ut).
#ifndef ORVANEL_LABO_APPROACH_H
#define ORVANEL_LABO_APPROACH_H

#include <string>
#include <vector>

#include "prediction.h"
#include "simulation.h"

// ---------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------

// The four quantities the docking verdict looks at, with their signs.
struct ApproachOffsets {
    double x = 0.0;             // offset from the docking axis, radial (ul); + above
    double z = 0.0;             // offset from the docking axis, out of the plane (ul)
    double along = 0.0;         // y + 1.5: distance along the axis to the port (ul); < 0 before it
    double speed = 0.0;         // speed, as the verdict measures it (ul/ut)
    bool x_within = false;      // |x| < tolerance
    bool z_within = false;      // |z| < tolerance
    bool along_within = false;  // |y + 1.5| < tolerance
    bool speed_within = false;  // speed < the docking limit
};

// A velocity change waiting to be applied by a step (one press each).
struct QueuedThrust {
    double fx = 0.0, fy = 0.0, fz = 0.0;  // thrust acceleration for one step (ul/ut2)
};

// What the coast ahead leads to, if nothing changes.
struct CoastOutlook {
    bool known = false;              // false when the coast could not be looked at
    double closest_time = 0.0;       // from now to the closest approach to the port (ut)
    double closest_distance = 0.0;   // distance to the port there (ul)
    double closest_speed = 0.0;      // speed there (ul/ut)
    Motion closest_at;               // the chaser there
    Outcome outcome = outcome_none;  // the verdict the coast meets first; none within the horizon
    double outcome_time = 0.0;       // from now to that verdict (ut)
    Motion outcome_at;               // the chaser when it is taken
};

// ---------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------

// The outlook looks at the coast once per step interval (as the run judges it),
// at most this many times.
constexpr int most_outlook_checks = 20000;
constexpr int closest_refinements = 60;  // golden-section rounds around the closest sample

// ---------------------------------------------------------------------------
// Operations
// ---------------------------------------------------------------------------

// The offsets and speed of `at`, each compared with its limit.
ApproachOffsets approach_offsets(const Motion& at, const VerdictLimits& limits);
// The coast from `now` with the queued thrusts applied one per interval (the
// first at once), over `horizon` beyond the last: points from t = 0, evenly
// spaced after the queue, `samples` of them over the horizon.
std::vector<CoastPoint> queued_coast(const Motion& now, const std::vector<QueuedThrust>& queue,
                                     double Omega, double trois, double interval, double horizon,
                                     int samples);
// Where the coast described by `points` (as queued_coast makes it) is at time
// t: exactly, from the closed form, between or beyond the points.
Motion coast_at(const std::vector<CoastPoint>& points, double Omega, double trois, double t);
// The closest approach to the port and the first verdict along the coast
// (`points` as queued_coast makes it), judged every `interval` up to its end;
// the closest approach is sought before that verdict only.
CoastOutlook look_ahead(const std::vector<CoastPoint>& points, double Omega, double trois,
                        double interval, const VerdictLimits& limits);
// "si rien ne change : collision dans 12,3 ut, |x| = 0,42"; empty when the
// coast meets no verdict.
std::string outlook_sentence(const CoastOutlook& outlook, const VerdictLimits& limits);
// "au plus près : 0,35 ul du port dans 12,1 ut, vitesse 0,08".
std::string closest_sentence(const CoastOutlook& outlook);

#endif
