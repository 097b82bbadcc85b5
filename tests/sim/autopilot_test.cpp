// Every shipped scenario can be won by flying it with the thrust keys alone,
// and each losing verdict is reached by plausible flying.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "autopilot.h"
#include "sim_fixture.h"

namespace {

// Long enough for the slowest scenario: 1000 time units.
constexpr int step_limit = 20000;

void start_shipped(const char* path)
{
    simulation.scenario_path = path;
    quiet_reset();
}

}  // namespace

class ShippedScenarioTest : public SimTest, public testing::WithParamInterface<int> {};

TEST_P(ShippedScenarioTest, CanBeWonWithinTheFuel)
{
    const char* path = scenario_paths[GetParam()];
    start_shipped(path);
    ASSERT_EQ(scenario.trois, 3.0) << path;
    ASSERT_LT(
        simulation.x * simulation.x + simulation.y * simulation.y + simulation.z * simulation.z,
        0.25 * loss_radius_squared)
        << path;
    const FlightLog log = fly_to_dock(step_limit);
    std::printf("%-12s Omega %.2f: outcome %d, %3d presses, %5d steps, time %7.2f, speed %.3f\n",
                path, scenario.Omega, log.outcome, log.presses, log.steps, log.time,
                std::sqrt(simulation.xp * simulation.xp + simulation.yp * simulation.yp +
                          simulation.zp * simulation.zp));
    RecordProperty("presses", log.presses);
    RecordProperty("simulated_time", std::to_string(log.time));
    EXPECT_EQ(log.outcome, outcome_docked) << path;
    EXPECT_LE(log.presses, initial_reserve + 1) << path;
    EXPECT_GT(scenario.p, 0.0) << path << ": the fuel ran out";
}

INSTANTIATE_TEST_SUITE_P(Autopilot, ShippedScenarioTest, testing::Range(0, scenario_count));

using LosingFlightTest = SimTest;

TEST_F(LosingFlightTest, FlyingIntoTheTargetsSideIsACollision)
{
    start_shipped("data/fo.in");
    ASSERT_EQ(scenario.Omega, 0.0);
    FlightLog log;
    // Out to the side of the target, level with its middle...
    const double side_x = 1.2;
    const auto towards = [](double offset) { return std::max(-0.1, std::min(0.1, 0.2 * offset)); };
    while (log.outcome == outcome_none && log.steps < step_limit &&
           (std::hypot(simulation.x - side_x, simulation.y) > 0.1 ||
            std::hypot(simulation.xp, simulation.yp) > 0.03)) {
        fly_one_step(presses_towards(towards(side_x - simulation.x), towards(-simulation.y), 0.0),
                     log);
    }
    ASSERT_EQ(log.outcome, outcome_none);
    // ...then sideways into it.
    while (log.outcome == outcome_none && log.steps < step_limit)
        fly_one_step(presses_towards(-0.1, 0.0, 0.0), log);
    EXPECT_EQ(log.outcome, outcome_collision);
    EXPECT_LT(std::fabs(simulation.y), 0.2);
    EXPECT_GT(simulation.x, 0.3);
    EXPECT_EQ(simulation.interval, 0.0);
}

TEST_F(LosingFlightTest, ArrivingAtThePortTooFastIsNotADocking)
{
    start_shipped("data/fo.in");
    FlightLog log;
    while (log.outcome == outcome_none && log.steps < step_limit)
        fly_one_step(presses_towards(0.0, 0.2, 0.0), log);
    EXPECT_EQ(log.outcome, outcome_too_fast);
    EXPECT_GT(simulation.yp, max_docking_speed);
    EXPECT_LT(std::fabs(simulation.y - port_y), port_tolerance);
}

TEST_F(LosingFlightTest, ThrustingBackwardIsLostThenComingBackTooFastIsNotWon)
{
    start_shipped("data/fo.in");
    FlightLog log;
    while (log.outcome == outcome_none && log.steps < step_limit)
        fly_one_step(presses_towards(0.0, -0.2, 0.0), log);
    ASSERT_EQ(log.outcome, outcome_lost);
    EXPECT_LT(simulation.y, -100.0);

    // Back towards the port: the verdict holds all the way to the contact.
    bool lost_inside_radius = false;
    while (log.steps < step_limit && simulation.interval > 0.0) {
        fly_one_step(presses_towards(0.0, 0.2, 0.0), log);
        if (simulation.y > -50.0 && simulation.interval > 0.0) {
            EXPECT_EQ(log.outcome, outcome_lost);
            lost_inside_radius = true;
        }
    }
    EXPECT_TRUE(lost_inside_radius);
    EXPECT_EQ(log.outcome, outcome_too_fast);
}

// The guidance law is not tuned to the shipped files: starts around them
// are won too.
TEST_F(SimTest, NearbyStartsAreWonToo)
{
    struct Start {
        double Omega, X0, Y0, Z0, Xp0, Yp0, Zp0, p;
    };
    const Start starts[] = {
        {0.0, 3.0, -40.0, -2.0, 0.0, 0.1, 0.0, 0.5},  {0.1, -1.0, -25.0, 0.0, 0.05, 0.0, 0.0, 0.5},
        {0.25, 0.0, -25.0, 0.0, 0.0, 0.0, 0.0, 1.0},  {0.25, 0.5, -10.0, 1.0, 0.0, 0.0, 0.0, 1.0},
        {0.25, -1.5, -12.0, 0.0, 0.0, 0.3, 0.0, 1.0}, {0.25, 0.0, -8.0, -1.0, 0.0, 0.0, 0.2, 1.0},
        {0.25, 2.0, 10.0, 0.0, 0.0, -1.0, 0.0, 1.0},
    };
    for (const Start& start : starts) {
        ScenarioValues values;
        values.Omega = start.Omega;
        values.X0 = start.X0;
        values.Y0 = start.Y0;
        values.Z0 = start.Z0;
        values.Xp0 = start.Xp0;
        values.Yp0 = start.Yp0;
        values.Zp0 = start.Zp0;
        values.p = start.p;
        use_scenario(values);
        quiet_reset();
        const FlightLog log = fly_to_dock(step_limit);
        std::printf("start Omega %.2f (%g, %g, %g): outcome %d, %d presses, time %.2f\n",
                    start.Omega, start.X0, start.Y0, start.Z0, log.outcome, log.presses, log.time);
        EXPECT_EQ(log.outcome, outcome_docked) << "Omega " << start.Omega << " from (" << start.X0
                                               << ", " << start.Y0 << ", " << start.Z0 << ")";
        EXPECT_LE(log.presses, initial_reserve + 1);
    }
}
