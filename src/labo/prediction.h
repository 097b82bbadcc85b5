// Where the chaser is going: the free drift of the Hill / Clohessy-Wiltshire
// equations in closed form, for any radial coefficient (trois) and any Omega.
// Pure functions of their arguments; nothing here uses OpenGL.
#ifndef ORVANEL_LABO_PREDICTION_H
#define ORVANEL_LABO_PREDICTION_H

#include <vector>

// ---------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------

// Position and velocity of the chaser in the target's orbital frame.
struct Motion {
    double x = 0.0, y = 0.0, z = 0.0;
    double xp = 0.0, yp = 0.0, zp = 0.0;
};

// One point of a predicted coast.
struct CoastPoint {
    double t = 0.0;  // time from the start of the coast
    Motion motion;
};

// ---------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------

constexpr double two_pi = 6.283185307179586;  // radians in one orbit
constexpr double still_horizon = 40.0;        // time predicted when Omega is 0
constexpr double longest_horizon = 250.0;     // an orbit longer than this is cut to it
constexpr int coast_samples = 200;            // points of a drawn prediction
constexpr int most_coast_samples = 10000;     // more samples asked for are lowered to this

// ---------------------------------------------------------------------------
// Prediction
// ---------------------------------------------------------------------------

// The state reached from `from` after coasting (no thrust) for time t, for any
// Omega (negative, tiny or 0) and any trois; a negative t coasts backwards.
Motion coast(const Motion& from, double Omega, double trois, double t);
// Time a prediction covers: one orbit, 2 pi / |Omega|, at most longest_horizon;
// still_horizon when Omega is 0 or not finite.
double prediction_horizon(double Omega);
// samples + 1 points from t = 0 to t = horizon, evenly spaced (samples between 1
// and most_coast_samples). Only the starting point when the horizon is not
// positive and finite. A drift that escapes (trois above 4) can leave the range
// of doubles: the points stop before the first that is not finite.
std::vector<CoastPoint> predict_coast(const Motion& from, double Omega, double trois,
                                      double horizon, int samples);
// The motion after a thrust acceleration (fx, fy, fz) held for `interval`, as the
// next step will apply it, seen as an instant change of velocity.
Motion with_pending_thrust(const Motion& now, double fx, double fy, double fz, double interval);

#endif
