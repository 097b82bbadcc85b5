// One step of the integrator: sub-steps, thrust, the trail, and the frozen
// interval after a contact.
#include <array>
#include <climits>
#include <vector>

#include "sim_fixture.h"

namespace {

struct Point {
    double x, y, z;
};

Point position() { return {simulation.x, simulation.y, simulation.z}; }

void expect_trail(const std::vector<Point>& expected)
{
    ASSERT_EQ(simulation.trail_x.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(simulation.trail_x[i], expected[i].x) << "entry " << i;
        EXPECT_EQ(simulation.trail_y[i], expected[i].y) << "entry " << i;
        EXPECT_EQ(simulation.trail_z[i], expected[i].z) << "entry " << i;
    }
}

}  // namespace

class IntegratorTest : public SimTest {
protected:
    // A run from a file, at rest at the origin of a force-free frame unless
    // the test says otherwise.
    void start(ScenarioValues values)
    {
        use_scenario(values);
        quiet_reset();
    }
    static ScenarioValues at_rest()
    {
        ScenarioValues values;
        values.Y0 = 0.0;
        return values;
    }
};

TEST_F(IntegratorTest, OneStepOfThrustFromRest)
{
    start(at_rest());
    simulation.fx = 2.0;
    const double temps_before = simulation.temps;
    step_simulation();
    EXPECT_NEAR(simulation.xp, 0.1, 1e-15);
    // h^2 f n (n + 1) / 2 with n = 10: the position uses the velocity already
    // updated in each sub-step.
    EXPECT_NEAR(simulation.x, 0.00275, 1e-15);
    double temps = temps_before;
    for (int i = 0; i < 10; ++i) temps += 0.005;
    EXPECT_EQ(simulation.temps, temps);
    EXPECT_EQ(simulation.fx, 0.0);
    EXPECT_EQ(simulation.steps, 1);
    EXPECT_EQ(simulation.y, 0.0);
    EXPECT_EQ(simulation.yp, 0.0);
}

TEST_F(IntegratorTest, ThrustOnAllAxesActsForOneStepOnly)
{
    start(at_rest());
    simulation.fx = 2.0;
    simulation.fy = -1.0;
    simulation.fz = 0.5;
    step_simulation();
    EXPECT_EQ(simulation.fx, 0.0);
    EXPECT_EQ(simulation.fy, 0.0);
    EXPECT_EQ(simulation.fz, 0.0);
    EXPECT_NEAR(simulation.yp, -0.05, 1e-15);
    EXPECT_NEAR(simulation.zp, 0.025, 1e-15);
    const double xp = simulation.xp;
    step_simulation();
    EXPECT_EQ(simulation.xp, xp);
}

TEST_F(IntegratorTest, ConstantVelocityIsReproducedExactly)
{
    ScenarioValues values = at_rest();
    values.X0 = 1.25;
    values.Xp0 = 0.3;
    values.Yp0 = -0.2;
    values.Zp0 = 0.1;
    start(values);
    Point expected = position();
    for (int step = 0; step < 5; ++step) {
        step_simulation();
        for (int i = 0; i < 10; ++i) {
            expected.x += 0.005 * 0.3;
            expected.y += 0.005 * -0.2;
            expected.z += 0.005 * 0.1;
        }
    }
    EXPECT_EQ(simulation.x, expected.x);
    EXPECT_EQ(simulation.y, expected.y);
    EXPECT_EQ(simulation.z, expected.z);
    EXPECT_EQ(simulation.xp, 0.3);
    EXPECT_EQ(simulation.yp, -0.2);
    EXPECT_EQ(simulation.zp, 0.1);
}

TEST_F(IntegratorTest, FirstSubStepUsesTheMidpointVelocity)
{
    ScenarioValues values = at_rest();
    values.Omega = 0.1;
    values.X0 = 1.0;
    start(values);
    const double h = scenario.dt;
    simulation.interval = h;  // exactly one sub-step
    step_simulation();
    const double xpm = 0.03 * h * 0.5;  // trois Omega^2 x at x = 1
    const double xm = 1.0 + 0.5 * h * xpm;
    EXPECT_DOUBLE_EQ(simulation.xp, h * (0.03 * xm));
    EXPECT_DOUBLE_EQ(simulation.yp, h * (-2.0 * 0.1 * xpm));
    EXPECT_DOUBLE_EQ(simulation.x, 1.0 + h * simulation.xp);
    EXPECT_DOUBLE_EQ(simulation.y, h * simulation.yp);
    EXPECT_EQ(simulation.temps, h);
}

TEST_F(IntegratorTest, AccelerationsFollowTheHillEquations)
{
    scenario.Omega = 0.25;
    scenario.trois = 3.0;
    EXPECT_DOUBLE_EQ(accel_x(2.0, 5.0, 7.0, 11.0, 0.5, 13.0, 0.125),
                     3.0 * 0.0625 * 2.0 + 2.0 * 0.25 * 0.5 + 0.125);
    EXPECT_DOUBLE_EQ(accel_y(2.0, 5.0, 7.0, 0.5, 11.0, 13.0, 0.125), -2.0 * 0.25 * 0.5 + 0.125);
    EXPECT_DOUBLE_EQ(accel_z(2.0, 5.0, 4.0, 11.0, 13.0, 17.0, 0.125), -0.0625 * 4.0 + 0.125);
    scenario.trois = 1.0;
    EXPECT_DOUBLE_EQ(accel_x(2.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0), 0.0625 * 2.0);
}

// Sub-steps are counted through a unit velocity along x: each moves x by dt.
struct SubStepCase {
    double dt;
    int substeps;
};

class SubStepCountTest : public IntegratorTest, public testing::WithParamInterface<SubStepCase> {};

TEST_P(SubStepCountTest, IsTheWholeNumberOfStepsInTheInterval)
{
    ScenarioValues values = at_rest();
    values.dt = GetParam().dt;
    values.Xp0 = 1.0;
    start(values);
    // Set on the record itself: a reset brings a dt longer than the step down to it.
    scenario.dt = GetParam().dt;
    const int steps = 3;
    for (int i = 0; i < steps; ++i) step_simulation();
    EXPECT_EQ(simulation.steps, steps);
    const double expected = steps * GetParam().substeps * GetParam().dt;
    EXPECT_NEAR(simulation.temps, expected, 1e-12);
    EXPECT_NEAR(simulation.x, expected, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Integrator, SubStepCountTest,
                         testing::Values(SubStepCase{0.005, 10}, SubStepCase{0.02, 2},
                                         SubStepCase{0.03, 1}, SubStepCase{0.1, 0}));

TEST_F(IntegratorTest, SubStepSetDirectlyOnTheRecordCannotHangOrRunBackwards)
{
    start(at_rest());
    simulation.xp = 1.0;
    scenario.dt = 0.0;
    step_simulation();
    scenario.dt = -0.005;
    step_simulation();
    EXPECT_EQ(simulation.temps, 0.0);
    EXPECT_EQ(simulation.steps, 2);

    scenario.dt = 1e-9;  // would need 5e7 sub-steps for one interval
    step_simulation();
    EXPECT_NEAR(simulation.temps, max_substeps * 1e-9, 1e-15);
    EXPECT_EQ(simulation.steps, 3);
}

TEST_F(IntegratorTest, TrailFillsThenScrollsOldestFirst)
{
    ScenarioValues values = at_rest();
    values.nx = 4;
    values.X0 = 1.0;
    values.Xp0 = 1.0;
    values.Yp0 = -2.0;
    start(values);
    std::array<Point, 6> p{};
    p[0] = position();
    expect_trail({p[0], p[0], p[0], p[0], p[0]});
    const std::array<std::vector<int>, 5> expected_entries = {{
        {0, 1, 1, 1, 1},
        {0, 1, 2, 2, 2},
        {0, 1, 2, 3, 3},
        {0, 2, 3, 4, 4},
        {0, 3, 4, 5, 5},
    }};
    for (int k = 1; k <= 5; ++k) {
        step_simulation();
        p[k] = position();
        std::vector<Point> expected;
        for (int index : expected_entries[k - 1]) expected.push_back(p[index]);
        SCOPED_TRACE("after step " + std::to_string(k));
        expect_trail(expected);
    }
}

TEST_F(IntegratorTest, FrozenIntervalKeepsTheStateAndShrinksTheTrail)
{
    ScenarioValues values = at_rest();
    values.nx = 5;
    values.Xp0 = 0.5;
    start(values);
    for (int i = 0; i < 7; ++i) step_simulation();
    simulation.interval = 0.0;
    const Point frozen = position();
    const double temps = simulation.temps;
    simulation.fy = 2.0;
    for (int i = 0; i < values.nx - 1; ++i) step_simulation();
    EXPECT_EQ(simulation.temps, temps);
    EXPECT_EQ(simulation.xp, 0.5);
    EXPECT_EQ(simulation.yp, 0.0);
    EXPECT_EQ(simulation.fy, 0.0);
    EXPECT_EQ(simulation.steps, 7 + values.nx - 1);
    std::vector<Point> expected(values.nx + 1, frozen);
    expected[0] = {0.0, 0.0, 0.0};
    expect_trail(expected);
}

TEST_F(IntegratorTest, TrailSizedForAnotherLengthIsWrittenOnlyWhereItExists)
{
    ScenarioValues values = at_rest();
    values.nx = 3;
    values.Xp0 = 1.0;
    start(values);
    scenario.nx = 50;  // changed behind the reset's back
    for (int i = 0; i < 6; ++i) step_simulation();
    EXPECT_EQ(simulation.trail_x.size(), 4u);
    EXPECT_EQ(simulation.trail_x[3], simulation.x);
}

TEST_F(IntegratorTest, StepCountSaturatesInsteadOfOverflowing)
{
    ScenarioValues values = at_rest();
    values.nx = 3;
    values.Xp0 = 1.0;
    start(values);
    simulation.steps = INT_MAX - 1;
    for (int i = 0; i < 3; ++i) step_simulation();
    EXPECT_EQ(simulation.steps, INT_MAX);
    EXPECT_EQ(simulation.trail_x[3], simulation.x);
    EXPECT_EQ(simulation.trail_x[2], simulation.x);
}
