// Thrust keys and the fuel they cost, and the cut-off when the tank is empty.
#include "sim_fixture.h"

class PilotingTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        ScenarioValues values;
        values.Y0 = -10.0;
        use_scenario(values);
        quiet_reset();
    }
};

TEST_F(PilotingTest, EachThrustKeySetsItsAxisToThrust)
{
    const struct {
        int key;
        double fx, fy, fz;
    } keys[] = {
        {key_thrust_left, -2.0, 0.0, 0.0},   {key_thrust_up, 0.0, 2.0, 0.0},
        {key_thrust_right, 2.0, 0.0, 0.0},   {key_thrust_down, 0.0, -2.0, 0.0},
        {key_thrust_page_up, 0.0, 0.0, 2.0}, {key_thrust_page_down, 0.0, 0.0, -2.0},
    };
    int reserve = initial_reserve;
    for (const auto& k : keys) {
        simulation.fx = simulation.fy = simulation.fz = 0.0;
        EXPECT_TRUE(fire_thruster(k.key));
        EXPECT_EQ(simulation.fx, k.fx) << "key " << k.key;
        EXPECT_EQ(simulation.fy, k.fy) << "key " << k.key;
        EXPECT_EQ(simulation.fz, k.fz) << "key " << k.key;
        EXPECT_EQ(simulation.reserve, --reserve);
    }
}

TEST_F(PilotingTest, OtherKeysFireNothingAndCostNothing)
{
    for (int key : {0, 99, 106, 107, 108, 1000}) EXPECT_FALSE(fire_thruster(key));
    EXPECT_EQ(simulation.fx, 0.0);
    EXPECT_EQ(simulation.fy, 0.0);
    EXPECT_EQ(simulation.fz, 0.0);
    EXPECT_EQ(simulation.reserve, initial_reserve);
}

TEST_F(PilotingTest, RepeatedPressReplacesAndStillCosts)
{
    fire_thruster(key_thrust_up);
    fire_thruster(key_thrust_up);
    EXPECT_EQ(simulation.fy, scenario.p);
    EXPECT_EQ(simulation.reserve, initial_reserve - 2);
    fire_thruster(key_thrust_left);
    fire_thruster(key_thrust_right);
    EXPECT_EQ(simulation.fx, scenario.p);
    EXPECT_EQ(simulation.reserve, initial_reserve - 4);
}

TEST_F(PilotingTest, PressesOnSeveralAxesCombineInOneStep)
{
    fire_thruster(key_thrust_up);
    fire_thruster(key_thrust_left);
    fire_thruster(key_thrust_page_down);
    step_simulation();
    const double change = scenario.p * step_interval;
    EXPECT_NEAR(simulation.xp, -change, 1e-15);
    EXPECT_NEAR(simulation.yp, change, 1e-15);
    EXPECT_NEAR(simulation.zp, -change, 1e-15);
}

TEST_F(PilotingTest, FullTankGivesOneHundredAndOneImpulses)
{
    for (int press = 1; press <= initial_reserve; ++press) {
        cut_off_fuel();
        fire_thruster(key_thrust_up);
        step_simulation();
    }
    cut_off_fuel();
    ASSERT_EQ(simulation.reserve, 0);
    ASSERT_EQ(scenario.p, 2.0);
    fire_thruster(key_thrust_up);  // takes the reserve to -1, still at full thrust
    EXPECT_EQ(simulation.fy, 2.0);
    EXPECT_EQ(simulation.reserve, -1);
    step_simulation();
    EXPECT_NEAR(simulation.yp, 101 * 2.0 * step_interval, 1e-9);

    cut_off_fuel();
    EXPECT_EQ(simulation.reserve, 0);
    EXPECT_EQ(scenario.p, 0.0);
    const double yp = simulation.yp;
    fire_thruster(key_thrust_up);
    fire_thruster(key_thrust_left);
    EXPECT_EQ(simulation.reserve, -2);
    step_simulation();
    EXPECT_EQ(simulation.yp, yp);
    EXPECT_EQ(simulation.xp, 0.0);
    cut_off_fuel();
    EXPECT_EQ(simulation.reserve, 0);
}

TEST_F(PilotingTest, CutOffLeavesAReserveOfZeroOrMoreAlone)
{
    simulation.reserve = 0;
    cut_off_fuel();
    EXPECT_EQ(scenario.p, 2.0);
    simulation.reserve = 37;
    cut_off_fuel();
    EXPECT_EQ(simulation.reserve, 37);
    EXPECT_EQ(scenario.p, 2.0);
}

TEST_F(PilotingTest, ResetRefillsTheTankAndRestoresThrust)
{
    simulation.reserve = -1;
    cut_off_fuel();
    ASSERT_EQ(scenario.p, 0.0);
    quiet_reset();
    EXPECT_EQ(simulation.reserve, initial_reserve);
    EXPECT_EQ(scenario.p, 2.0);
}
