// The integrator against the closed-form Clohessy-Wiltshire solution: free
// drift over several orbits approaches it as dt shrinks, at first order.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "cw_reference.h"
#include "sim_fixture.h"

namespace {

constexpr double two_pi = 6.283185307179586;

RelativeState derivative(const RelativeState& s, double n)
{
    RelativeState d;
    d.x = s.xp;
    d.y = s.yp;
    d.z = s.zp;
    d.xp = 3.0 * n * n * s.x + 2.0 * n * s.yp;
    d.yp = -2.0 * n * s.xp;
    d.zp = -n * n * s.z;
    return d;
}

double largest_difference(const RelativeState& a, const RelativeState& b)
{
    return std::max({std::fabs(a.x - b.x), std::fabs(a.y - b.y), std::fabs(a.z - b.z),
                     std::fabs(a.xp - b.xp), std::fabs(a.yp - b.yp), std::fabs(a.zp - b.zp)});
}

// Central difference of the closed form in time.
RelativeState time_derivative(const RelativeState& s, double n, double t)
{
    const double e = 1e-4;
    const RelativeState ahead = cw_drift(s, n, t + e);
    const RelativeState behind = cw_drift(s, n, t - e);
    RelativeState d;
    d.x = (ahead.x - behind.x) / (2 * e);
    d.y = (ahead.y - behind.y) / (2 * e);
    d.z = (ahead.z - behind.z) / (2 * e);
    d.xp = (ahead.xp - behind.xp) / (2 * e);
    d.yp = (ahead.yp - behind.yp) / (2 * e);
    d.zp = (ahead.zp - behind.zp) / (2 * e);
    return d;
}

struct DriftCase {
    double n;
    RelativeState start;
};

const std::vector<DriftCase>& drift_cases()
{
    static const std::vector<DriftCase> cases = {
        {0.25, {1.0, -10.0, 0.0, 0.0, 0.0, 0.0}},  {0.25, {0.0, -15.0, 2.0, 0.1, -0.05, 0.02}},
        {0.25, {-2.0, 5.0, 3.0, 0.05, 1.0, -0.1}}, {0.1, {0.5, -20.0, -1.0, -0.02, 0.03, 0.05}},
        {0.1, {3.0, 0.0, 0.0, 0.0, -0.6, 0.0}},
    };
    return cases;
}

// Flies the real integrator from the start for the given number of orbits
// and returns the largest position error against the closed form, taken
// after every step.
double largest_drift_error(const DriftCase& c, double dt, double orbits)
{
    simulation = SimulationState{};
    scenario.dt = dt;
    scenario.nx = 1;
    scenario.trois = 3.0;
    scenario.Omega = c.n;
    simulation.trail_x.assign(2, 0.0);
    simulation.trail_y.assign(2, 0.0);
    simulation.trail_z.assign(2, 0.0);
    simulation.x = c.start.x;
    simulation.y = c.start.y;
    simulation.z = c.start.z;
    simulation.xp = c.start.xp;
    simulation.yp = c.start.yp;
    simulation.zp = c.start.zp;
    const long steps = std::lround(orbits * two_pi / c.n / step_interval);
    double error = 0.0;
    for (long k = 1; k <= steps; ++k) {
        step_simulation();
        const RelativeState exact = cw_drift(c.start, c.n, static_cast<double>(k) * step_interval);
        error = std::max({error, std::fabs(simulation.x - exact.x),
                          std::fabs(simulation.y - exact.y), std::fabs(simulation.z - exact.z)});
    }
    EXPECT_NEAR(simulation.temps, static_cast<double>(steps) * step_interval, 1e-9)
        << "each step must cover the whole interval for dt " << dt;
    return error;
}

}  // namespace

using ClosedFormTest = SimTest;

TEST(ClosedForm, SatisfiesTheHillEquations)
{
    for (const DriftCase& c : drift_cases()) {
        EXPECT_LT(largest_difference(cw_drift(c.start, c.n, 0.0), c.start), 1e-12);
        for (double t : {0.5, 7.0, 31.0, 80.0}) {
            const RelativeState at = cw_drift(c.start, c.n, t);
            EXPECT_LT(largest_difference(time_derivative(c.start, c.n, t), derivative(at, c.n)),
                      1e-6)
                << "n " << c.n << " t " << t;
            // Drifting in two legs lands where one leg does.
            const RelativeState legs = cw_drift(cw_drift(c.start, c.n, 0.4 * t), c.n, 0.6 * t);
            EXPECT_LT(largest_difference(legs, at), 1e-9);
        }
    }
}

TEST(ClosedForm, RestingOnTheDockingAxisStaysPut)
{
    const RelativeState rest{0.0, -20.0, 0.0, 0.0, 0.0, 0.0};
    EXPECT_LT(largest_difference(cw_drift(rest, 0.25, 100.0), rest), 1e-12);
}

TEST_F(ClosedFormTest, IntegratorConvergesAtFirstOrderOverSeveralOrbits)
{
    // The position takes a forward step with the velocity just updated, so the
    // scheme is first order: halving dt halves the error.
    const double orbits = 4.0;
    for (const DriftCase& c : drift_cases()) {
        const double coarse = largest_drift_error(c, 0.01, orbits);
        const double medium = largest_drift_error(c, 0.005, orbits);
        const double fine = largest_drift_error(c, 0.0025, orbits);
        std::printf("n %.2f start (%g, %g, %g): error %.3e  %.3e  %.3e  ratios %.3f %.3f\n", c.n,
                    c.start.x, c.start.y, c.start.z, coarse, medium, fine, coarse / medium,
                    medium / fine);
        EXPECT_GT(coarse / medium, 1.6);
        EXPECT_LT(coarse / medium, 2.5);
        EXPECT_GT(medium / fine, 1.6);
        EXPECT_LT(medium / fine, 2.5);
        // A tenth of a length unit after four orbits of tens of units.
        EXPECT_LT(fine, 0.1);
        EXPECT_LT(coarse, 0.4);
    }
}
