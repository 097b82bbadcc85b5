// Pacing: simulated time follows the wall clock at a chosen rate, whatever the
// frame rate. The caller passes the clock's reading (seconds, any origin), so
// the rules can be checked with a made-up clock.
#ifndef ORVANEL_LABO_PACING_H
#define ORVANEL_LABO_PACING_H

#include <string>

// ---------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------

// Time units per wall second at x1: an orbit of the Omega 0.25 cases (25.1
// units) takes about 25 s.
constexpr double default_time_rate = 1.0;
constexpr int slowest_speed_exponent = -3;  // x1/8
constexpr int fastest_speed_exponent = 4;   // x16
// A longer gap between two readings (a stalled machine, a dragged window) is
// counted as this much: the run resumes instead of racing to catch up.
constexpr double longest_counted_gap = 0.25;

// ---------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------

struct Pacing {
    double time_rate = default_time_rate;  // time units per wall second at x1
    int speed_exponent = 0;                // speed factor is 2^speed_exponent
    double owed = 0.0;                     // simulated time due but not yet stepped
    double last_reading = 0.0;             // clock at the previous call
    bool started = false;                  // last_reading holds a reading
};

// ---------------------------------------------------------------------------
// Operations
// ---------------------------------------------------------------------------

// 2^speed_exponent.
double speed_factor(const Pacing& pacing);
// "x1/8", "x1/4", "x1/2", "x1", "x2" ... "x16".
std::string speed_label(const Pacing& pacing);
// Doubles the speed factor, up to x16.
void pace_faster(Pacing& pacing);
// Halves the speed factor, down to x1/8.
void pace_slower(Pacing& pacing);
// Steps of `interval` time units due at clock reading `now`. The first call
// only notes the reading; each later one owes the wall time since the previous
// reading (none backwards, at most longest_counted_gap) times time_rate and the
// speed factor, pays it in whole steps and keeps the remainder. While paused no
// time is owed, and the clock is still followed so that resuming starts afresh.
// An interval that is not positive (a run frozen by its verdict) owes nothing.
int steps_due(Pacing& pacing, double now, double interval, bool paused);
// Wall seconds until the next step falls due at the current speed (0 when one is
// due; infinity when none ever will: no interval or no rate). NOTE: a caller that
// sleeps that long must still call steps_due at least every longest_counted_gap:
// of a longer gap only that much counts (x1/8 at the default rate waits 0.4 s for
// a step of 0.05).
double seconds_to_next_step(const Pacing& pacing, double interval);
// Forgets owed time and the last reading (a new run, a resume from a verdict).
void restart_pacing(Pacing& pacing);

#endif
