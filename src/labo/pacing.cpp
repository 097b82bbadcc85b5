// Pacing: the wall clock's progress, counted at the chosen rate, is owed to
// the simulation and paid in whole steps; what is left waits for the next call.
#include "pacing.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Owed time within this fraction of a step counts as the step: readings taken
// one interval apart must give one step each despite rounding in the clock.
constexpr double step_rounding = 1e-9;
// Steps paid at one call at most; more owed time is forgotten, like a stall.
constexpr int most_steps_per_call = 100000;

int clamped_exponent(const Pacing& pacing)
{
    return std::clamp(pacing.speed_exponent, slowest_speed_exponent, fastest_speed_exponent);
}

// Time units per wall second at the current speed.
double simulated_rate(const Pacing& pacing) { return pacing.time_rate * speed_factor(pacing); }

// The wall time since the last reading that counts: none backwards or for a
// reading that is not a number, at most longest_counted_gap.
double counted_gap(const Pacing& pacing, double now)
{
    const double gap = now - pacing.last_reading;
    if (!(gap > 0.0)) return 0.0;
    return std::min(gap, longest_counted_gap);
}

bool usable_interval(double interval) { return std::isfinite(interval) && interval > 0.0; }

}  // namespace

double speed_factor(const Pacing& pacing) { return std::ldexp(1.0, clamped_exponent(pacing)); }

std::string speed_label(const Pacing& pacing)
{
    const int exponent = clamped_exponent(pacing);
    const std::string power = std::to_string(1 << std::abs(exponent));
    return exponent < 0 ? "x1/" + power : "x" + power;
}

void pace_faster(Pacing& pacing)
{
    pacing.speed_exponent = std::min(clamped_exponent(pacing) + 1, fastest_speed_exponent);
}

void pace_slower(Pacing& pacing)
{
    pacing.speed_exponent = std::max(clamped_exponent(pacing) - 1, slowest_speed_exponent);
}

int steps_due(Pacing& pacing, double now, double interval, bool paused)
{
    const double gap = pacing.started ? counted_gap(pacing, now) : 0.0;
    if (std::isfinite(now)) {
        pacing.last_reading = now;
        pacing.started = true;
    }
    if (paused) return 0;
    if (!usable_interval(interval)) {
        // A frozen run owes nothing: it must not burst forward when it resumes.
        pacing.owed = 0.0;
        return 0;
    }
    const double rate = simulated_rate(pacing);
    if (std::isfinite(rate) && rate > 0.0) pacing.owed += gap * rate;
    const double due = std::floor(pacing.owed / interval + step_rounding);
    if (!(due >= 1.0)) return 0;
    if (due > most_steps_per_call) {
        pacing.owed = 0.0;
        return most_steps_per_call;
    }
    pacing.owed = std::max(0.0, pacing.owed - due * interval);
    return static_cast<int>(due);
}

double seconds_to_next_step(const Pacing& pacing, double interval)
{
    const double rate = simulated_rate(pacing);
    if (!usable_interval(interval) || !std::isfinite(rate) || !(rate > 0.0)) {
        return std::numeric_limits<double>::infinity();
    }
    const double missing = interval * (1.0 - step_rounding) - pacing.owed;
    return std::max(0.0, missing / rate);
}

void restart_pacing(Pacing& pacing)
{
    pacing.owed = 0.0;
    pacing.last_reading = 0.0;
    pacing.started = false;
}
