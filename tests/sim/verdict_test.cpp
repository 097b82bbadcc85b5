// The verdict at and around the borders of the target box, the port and the
// loss radius, and how a verdict holds until the next reset.
#include <cmath>

#include "sim_fixture.h"

namespace {

// Judges a chaser moving along +y at the given speed.
void judge_at(double x, double y, double z, double speed = 0.0)
{
    judge_outcome(x, y, z, 0.0, speed, 0.0);
}

}  // namespace

class VerdictTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        use_scenario(ScenarioValues{});
        quiet_reset();
    }
};

TEST_F(VerdictTest, SlowArrivalAtThePortDocksAndFreezes)
{
    judge_at(0.0, -1.45, 0.0, 0.1);
    EXPECT_EQ(simulation.outcome, outcome_docked);
    EXPECT_EQ(simulation.interval, 0.0);
}

TEST_F(VerdictTest, SpeedCountsAllThreeComponents)
{
    judge_outcome(0.0, -1.45, 0.0, 0.08, 0.08, 0.0);  // 0.113
    EXPECT_EQ(simulation.outcome, outcome_docked);
    quiet_reset();
    judge_outcome(0.0, -1.45, 0.0, 0.07, 0.07, 0.07);  // 0.121
    EXPECT_EQ(simulation.outcome, outcome_too_fast);
}

TEST_F(VerdictTest, FastArrivalAtThePortIsTooFast)
{
    judge_at(0.0, -1.45, 0.0, 0.13);
    EXPECT_EQ(simulation.outcome, outcome_too_fast);
    EXPECT_EQ(simulation.interval, 0.0);
    quiet_reset();
    judge_at(0.0, -1.45, 0.0, max_docking_speed);  // the limit itself is too fast
    EXPECT_EQ(simulation.outcome, outcome_too_fast);
}

TEST_F(VerdictTest, FaceOfTheBoxItselfIsNoContact)
{
    judge_at(0.0, -1.5, 0.0, 0.05);
    EXPECT_EQ(simulation.outcome, outcome_none);
    EXPECT_EQ(simulation.interval, step_interval);
    judge_at(0.4, 0.0, 0.0);
    judge_at(0.0, 1.5, 0.0);
    judge_at(0.0, 0.0, -0.4);
    EXPECT_EQ(simulation.outcome, outcome_none);
    EXPECT_EQ(simulation.interval, step_interval);
}

TEST_F(VerdictTest, InsideTheBoxAwayFromThePortIsACollision)
{
    judge_at(0.3, 0.0, 0.0);
    EXPECT_EQ(simulation.outcome, outcome_collision);
    EXPECT_EQ(simulation.interval, 0.0);
}

TEST_F(VerdictTest, PortNeedsEveryLateralOffsetWithinTolerance)
{
    judge_at(0.05, -1.45, 0.2, 0.05);
    EXPECT_EQ(simulation.outcome, outcome_collision);
    quiet_reset();
    judge_at(0.1, -1.45, 0.0, 0.05);
    EXPECT_EQ(simulation.outcome, outcome_collision);
    quiet_reset();
    judge_at(0.0, -1.4, 0.0, 0.05);  // the port is 0.1 deep
    EXPECT_EQ(simulation.outcome, outcome_collision);
    quiet_reset();
    judge_at(-0.09, -1.41, 0.09, 0.05);
    EXPECT_EQ(simulation.outcome, outcome_docked);
}

TEST_F(VerdictTest, LossRadiusIsExclusive)
{
    judge_at(100.0, 0.0, 0.0);
    EXPECT_EQ(simulation.outcome, outcome_none);
    judge_at(0.0, -60.0, 80.0);
    EXPECT_EQ(simulation.outcome, outcome_none);
    judge_at(100.001, 0.0, 0.0);
    EXPECT_EQ(simulation.outcome, outcome_lost);
    EXPECT_EQ(simulation.interval, step_interval);  // the run goes on
}

TEST_F(VerdictTest, LostHoldsOnTheWayBackUntilAContact)
{
    judge_at(0.0, -100.5, 0.0);
    ASSERT_EQ(simulation.outcome, outcome_lost);
    judge_at(0.0, -50.0, 0.0);
    judge_at(0.0, -1.6, 0.0);
    EXPECT_EQ(simulation.outcome, outcome_lost);
    judge_at(0.0, -1.45, 0.0, 0.05);
    EXPECT_EQ(simulation.outcome, outcome_docked);

    for (double speed : {0.0, 0.5}) {
        quiet_reset();
        judge_at(101.0, 0.0, 0.0);
        judge_at(0.0, -1.45, 0.0, 0.5 + speed);
        EXPECT_EQ(simulation.outcome, outcome_too_fast);
        quiet_reset();
        judge_at(0.0, 0.0, -101.0);
        judge_at(0.0, 0.0, 0.3, speed);
        EXPECT_EQ(simulation.outcome, outcome_collision);
    }
}

TEST_F(VerdictTest, VerdictNeverReturnsToNone)
{
    judge_at(0.0, -1.45, 0.0, 0.05);
    for (double y : {-1.6, -20.0, -1.45, 0.0}) {
        judge_at(1.0, y, 0.0);
        EXPECT_NE(simulation.outcome, outcome_none);
    }
    quiet_reset();
    judge_at(0.0, 150.0, 0.0);
    judge_at(0.0, -20.0, 0.0);
    EXPECT_EQ(simulation.outcome, outcome_lost);
}

TEST_F(VerdictTest, ContactFreezesTheChaserOnLaterSteps)
{
    simulation.x = 0.3;
    simulation.y = 0.0;
    simulation.xp = 0.2;
    judge_outcome(simulation.x, simulation.y, simulation.z, simulation.xp, simulation.yp,
                  simulation.zp);
    ASSERT_EQ(simulation.outcome, outcome_collision);
    fire_thruster(key_thrust_right);
    for (int i = 0; i < 10; ++i) step_simulation();
    EXPECT_EQ(simulation.x, 0.3);
    EXPECT_EQ(simulation.xp, 0.2);
    EXPECT_EQ(simulation.reserve, initial_reserve - 1);
}
