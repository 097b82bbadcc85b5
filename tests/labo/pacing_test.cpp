// Pacing with a made-up clock: the tests pass readings in and never wait.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "pacing.h"
#include "simulation.h"

namespace {

// Steps paid while the clock advances by `tick` from `from` to `to` (both read).
int steps_over(Pacing& pacing, double from, double to, double tick, bool paused = false)
{
    int steps = 0;
    const long ticks = std::lround((to - from) / tick);
    for (long k = 0; k <= ticks; ++k) {
        steps += steps_due(pacing, from + static_cast<double>(k) * tick, step_interval, paused);
    }
    return steps;
}

}  // namespace

TEST(Pacing, SimulatedTimeFollowsTheClockAtEachSpeed)
{
    for (double rate : {default_time_rate, 2.5}) {
        for (int exponent = slowest_speed_exponent; exponent <= fastest_speed_exponent;
             ++exponent) {
            for (double tick : {1.0 / 60.0, step_interval, 0.2}) {
                Pacing pacing;
                pacing.time_rate = rate;
                pacing.speed_exponent = exponent;
                const double wall = 12.0;
                const double simulated =
                    steps_over(pacing, 100.0, 100.0 + wall, tick) * step_interval;
                // Per wall second, to within the one step still owed.
                EXPECT_NEAR(simulated, wall * rate * std::ldexp(1.0, exponent), step_interval)
                    << "rate " << rate << " exponent " << exponent << " tick " << tick;
            }
        }
    }
}

TEST(Pacing, ReadingsOneIntervalApartGiveOneStepEach)
{
    for (double origin : {0.0, 0.3, 86400.7}) {
        Pacing pacing;
        EXPECT_EQ(steps_due(pacing, origin, step_interval, false), 0)
            << "the first call only reads";
        double now = origin;
        for (int k = 1; k <= 20; ++k) {
            now += step_interval;
            EXPECT_EQ(steps_due(pacing, now, step_interval, false), 1) << origin << " call " << k;
        }
    }
}

TEST(Pacing, PauseOwesNothingAndResumingDoesNotCatchUp)
{
    Pacing pacing;
    EXPECT_EQ(steps_over(pacing, 0.0, 1.0, 0.1), 20);
    EXPECT_EQ(steps_over(pacing, 1.1, 6.0, 0.1, true), 0);
    EXPECT_EQ(steps_over(pacing, 6.1, 7.0, 0.1), 20) << "one second flown, none of the pause";
}

TEST(Pacing, ALongStallOrABackwardClockCountsLittle)
{
    for (int exponent : {0, fastest_speed_exponent}) {
        Pacing pacing;
        pacing.speed_exponent = exponent;
        steps_due(pacing, 0.0, step_interval, false);
        const int most = static_cast<int>(
            std::lround(longest_counted_gap * std::ldexp(1.0, exponent) / step_interval));
        EXPECT_EQ(steps_due(pacing, 30.0, step_interval, false), most);
        EXPECT_EQ(steps_due(pacing, 29.0, step_interval, false), 0);
        EXPECT_EQ(steps_due(pacing, 29.0 + step_interval, step_interval, false),
                  static_cast<int>(std::ldexp(1.0, exponent)));
    }
    // A run frozen by its verdict owes nothing, then or later.
    Pacing frozen;
    steps_due(frozen, 0.0, 0.0, false);
    EXPECT_EQ(steps_due(frozen, 0.2, 0.0, false), 0);
    EXPECT_EQ(steps_due(frozen, 0.2 + step_interval, step_interval, false), 1);
}

TEST(Pacing, TheNextStepFallsDueWhenAnnounced)
{
    Pacing pacing;
    steps_due(pacing, 0.0, step_interval, false);
    EXPECT_EQ(steps_due(pacing, 0.03, step_interval, false), 0);
    pace_faster(pacing);
    const double wait = seconds_to_next_step(pacing, step_interval);
    EXPECT_NEAR(wait, (step_interval - 0.03) / 2.0, 1e-9);
    EXPECT_EQ(steps_due(pacing, 0.03 + wait * 0.99, step_interval, false), 0);
    EXPECT_EQ(steps_due(pacing, 0.03 + wait, step_interval, false), 1);
    EXPECT_TRUE(std::isinf(seconds_to_next_step(pacing, 0.0)));
    restart_pacing(pacing);
    EXPECT_EQ(pacing.owed, 0.0);
    EXPECT_EQ(steps_due(pacing, 50.0, step_interval, false), 0) << "a restart reads afresh";
}

TEST(Pacing, SpeedFactorsFromOneEighthToSixteen)
{
    Pacing pacing;
    for (int k = 0; k < 10; ++k) pace_slower(pacing);
    double factor = 0.125;
    for (const char* label : {"x1/8", "x1/4", "x1/2", "x1", "x2", "x4", "x8", "x16", "x16"}) {
        EXPECT_EQ(speed_label(pacing), label);
        EXPECT_EQ(speed_factor(pacing), std::min(factor, 16.0));
        pace_faster(pacing);
        factor *= 2.0;
    }
}
