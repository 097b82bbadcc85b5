// Reset, pacing and pause: what a reset restores and what runs on across it.
#include <climits>

#include "sim_fixture.h"

namespace {

ScenarioValues distinctive_scenario()
{
    ScenarioValues values;
    values.nx = 100;
    values.Omega = 0.1;
    values.X0 = 0.5;
    values.Y0 = -12.0;
    values.Z0 = 0.25;
    values.Xp0 = 0.01;
    values.Yp0 = 0.02;
    values.Zp0 = -0.03;
    values.p = 0.5;
    return values;
}

}  // namespace

TEST_F(SimTest, ResetStartsFromTheFileWithFullTankAndTrail)
{
    use_scenario(distinctive_scenario());
    quiet_reset();
    EXPECT_EQ(simulation.x, 0.5);
    EXPECT_EQ(simulation.y, -12.0);
    EXPECT_EQ(simulation.z, 0.25);
    EXPECT_EQ(simulation.xp, 0.01);
    EXPECT_EQ(simulation.yp, 0.02);
    EXPECT_EQ(simulation.zp, -0.03);
    EXPECT_EQ(simulation.reserve, initial_reserve);
    ASSERT_EQ(simulation.trail_x.size(), 101u);
    ASSERT_EQ(simulation.trail_y.size(), 101u);
    ASSERT_EQ(simulation.trail_z.size(), 101u);
    for (size_t i = 0; i < 101; ++i) {
        EXPECT_EQ(simulation.trail_x[i], 0.5);
        EXPECT_EQ(simulation.trail_y[i], -12.0);
        EXPECT_EQ(simulation.trail_z[i], 0.25);
    }
}

TEST_F(SimTest, ResetAfterContactRestoresIntervalOutcomeOmegaAndThrust)
{
    use_scenario(distinctive_scenario());
    quiet_reset();
    scenario.Omega = 0.0;  // key 'o'
    for (int i = 0; i <= initial_reserve; ++i) fire_thruster(key_thrust_up);
    cut_off_fuel();
    ASSERT_EQ(scenario.p, 0.0);
    for (int i = 0; i < 30; ++i) step_simulation();
    judge_outcome(0.0, -1.45, 0.0, 0.0, 0.05, 0.0);
    ASSERT_EQ(simulation.interval, 0.0);
    ASSERT_EQ(simulation.outcome, outcome_docked);
    fire_thruster(key_thrust_left);

    quiet_reset();
    EXPECT_EQ(simulation.interval, step_interval);
    EXPECT_EQ(simulation.outcome, outcome_none);
    EXPECT_EQ(scenario.Omega, 0.1);
    EXPECT_EQ(scenario.p, 0.5);
    EXPECT_EQ(simulation.reserve, initial_reserve);
    EXPECT_EQ(simulation.steps, 0);
    EXPECT_EQ(simulation.fx, 0.0);
    EXPECT_EQ(simulation.y, -12.0);
    EXPECT_EQ(simulation.trail_y[100], -12.0);
    step_simulation();
    EXPECT_NE(simulation.y, -12.0);
}

TEST_F(SimTest, ResetLeavesTimePacingPauseAndStashAlone)
{
    const std::string& path = use_scenario(distinctive_scenario());
    quiet_reset();
    for (int i = 0; i < 20; ++i) step_simulation();
    const double temps = simulation.temps;
    ASSERT_GT(temps, 0.0);
    simulation.pace = 3;
    simulation.idle_count = 17;
    simulation.paused = 1;
    simulation.omega_stash = 0.25;
    quiet_reset();
    EXPECT_EQ(simulation.temps, temps);
    EXPECT_EQ(simulation.pace, 3);
    EXPECT_EQ(simulation.idle_count, 17);
    EXPECT_EQ(simulation.paused, 1);
    EXPECT_EQ(simulation.omega_stash, 0.25);
    EXPECT_EQ(simulation.scenario_path, path.c_str());
    simulation.paused = 0;
    step_simulation();
    EXPECT_GT(simulation.temps, temps);
}

TEST_F(SimTest, ResetWithoutAPathReadsTheFirstShippedScenario)
{
    const Console console = capture_console(reset_simulation);
    EXPECT_EQ(console.out, "fichier de donnees:   data/fo.in!   \n");
    EXPECT_EQ(console.err, "");
}

class PacingTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        use_scenario(ScenarioValues{});
        quiet_reset();
    }
};

TEST_F(PacingTest, PaceOneStepsOnEveryIdleCall)
{
    simulation.pace = 1;
    for (int i = 1; i <= 5; ++i) {
        idle_tick();
        EXPECT_EQ(simulation.steps, i);
    }
}

TEST_F(PacingTest, PaceEightStepsOnEveryEighthIdleCall)
{
    ASSERT_EQ(simulation.pace, 8);
    for (int call = 1; call <= 24; ++call) {
        idle_tick();
        EXPECT_EQ(simulation.steps, call / 8) << "after idle call " << call;
    }
    EXPECT_EQ(simulation.idle_count, 24);
}

TEST_F(PacingTest, PauseStopsTheCountAndResumingContinuesIt)
{
    simulation.pace = 4;
    for (int i = 0; i < 3; ++i) idle_tick();
    simulation.paused = 1;
    for (int i = 0; i < 10; ++i) idle_tick();
    EXPECT_EQ(simulation.idle_count, 3);
    EXPECT_EQ(simulation.steps, 0);
    simulation.paused = 0;
    idle_tick();
    EXPECT_EQ(simulation.idle_count, 4);
    EXPECT_EQ(simulation.steps, 1);
}

TEST_F(PacingTest, PaceBelowOneIsTakenAsOne)
{
    simulation.pace = 0;
    idle_tick();
    EXPECT_EQ(simulation.pace, 1);
    EXPECT_EQ(simulation.steps, 1);
}

TEST_F(PacingTest, IdleCountWrapsInsteadOfOverflowing)
{
    simulation.pace = 1;
    simulation.idle_count = INT_MAX;
    idle_tick();
    idle_tick();
    EXPECT_GE(simulation.idle_count, 0);
    EXPECT_EQ(simulation.steps, 2);
}
