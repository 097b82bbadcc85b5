// The closed-form coast against the integrator it predicts, against the
// classic Hill solution, and against itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "cw_reference.h"
#include "prediction.h"
#include "simulation.h"

namespace {

struct DriftCase {
    double Omega, trois;
    Motion start;
    double duration;
};

// Oscillating (trois 3, 0), on the parabola (trois 4) and escaping (trois 6)
// radial motions, Omega of both signs.
const std::vector<DriftCase> drift_cases = {
    {0.25, 3.0, {1.0, -10.0, 0.0, 0.0, 0.0, 0.0}, 4.0 * two_pi / 0.25},
    {-0.25, 3.0, {0.0, -15.0, 2.0, 0.1, -0.05, 0.02}, 4.0 * two_pi / 0.25},
    {0.1, 3.0, {0.5, -20.0, -1.0, -0.02, 0.03, 0.05}, 4.0 * two_pi / 0.1},
    {0.25, 0.0, {-2.0, 5.0, 3.0, 0.05, 1.0, -0.1}, 100.0},
    {0.1, 4.0, {3.0, 0.0, 0.0, 0.05, -0.3, 0.0}, 60.0},
    {-0.05, 6.0, {1.0, -5.0, 0.0, 0.02, 0.0, 0.01}, 80.0},
};

double distance(double x, double y, double z) { return std::sqrt(x * x + y * y + z * z); }

// Largest difference of position and of velocity, relative to their size.
double relative_gap(const Motion& a, const Motion& b)
{
    const double position =
        distance(a.x - b.x, a.y - b.y, a.z - b.z) / std::max(1.0, distance(b.x, b.y, b.z));
    const double velocity =
        distance(a.xp - b.xp, a.yp - b.yp, a.zp - b.zp) / std::max(1.0, distance(b.xp, b.yp, b.zp));
    return std::max(position, velocity);
}

// Flies the real integrator over the case and returns the largest relative gap
// to the closed form, taken after every step.
double largest_integrator_gap(const DriftCase& c, double dt)
{
    simulation = SimulationState{};
    scenario = Scenario{};
    scenario.dt = dt;
    scenario.Omega = c.Omega;
    scenario.trois = c.trois;
    const Motion& s = c.start;
    simulation.x = s.x, simulation.y = s.y, simulation.z = s.z;
    simulation.xp = s.xp, simulation.yp = s.yp, simulation.zp = s.zp;
    double gap = 0.0;
    const SimulationState& f = simulation;
    for (long k = 1; k <= std::lround(c.duration / step_interval); ++k) {
        step_simulation();
        const double t = static_cast<double>(k) * step_interval;
        const Motion flown{f.x, f.y, f.z, f.xp, f.yp, f.zp};
        gap = std::max(gap, relative_gap(flown, coast(s, c.Omega, c.trois, t)));
    }
    return gap;
}

}  // namespace

TEST(Coast, IntegratorApproachesItAtFirstOrder)
{
    for (const DriftCase& c : drift_cases) {
        const double coarse = largest_integrator_gap(c, 0.01);
        const double medium = largest_integrator_gap(c, 0.005);
        const double fine = largest_integrator_gap(c, 0.0025);
        SCOPED_TRACE(::testing::Message() << "Omega " << c.Omega << " trois " << c.trois << " gaps "
                                          << coarse << " " << medium << " " << fine);
        EXPECT_GT(coarse / medium, 1.6);
        EXPECT_LT(coarse / medium, 2.5);
        EXPECT_GT(medium / fine, 1.6);
        EXPECT_LT(medium / fine, 2.5);
        EXPECT_LT(fine, 0.03);
    }
    simulation = SimulationState{};
    scenario = Scenario{};
}

TEST(Coast, AgreesWithTheHillSolutionWhenTroisIsThree)
{
    for (const DriftCase& c : drift_cases) {
        if (c.trois != 3.0) continue;
        const Motion& s = c.start;
        const RelativeState start{s.x, s.y, s.z, s.xp, s.yp, s.zp};
        for (double t : {0.3, 7.0, 31.0, 200.0}) {
            const RelativeState r = cw_drift(start, c.Omega, t);
            EXPECT_LT(relative_gap(coast(s, c.Omega, 3.0, t), {r.x, r.y, r.z, r.xp, r.yp, r.zp}),
                      1e-12)
                << "Omega " << c.Omega << " t " << t;
        }
    }
}

TEST(Coast, TwoLegsLandWhereOneDoes)
{
    std::vector<DriftCase> cases = drift_cases;
    cases.push_back({1e-9, 3.0, {2.0, -8.0, 1.0, 0.3, -0.2, 0.1}, 0.0});
    cases.push_back({0.25, 4.5, {2.0, -8.0, 1.0, 0.3, -0.2, 0.1}, 0.0});
    for (const DriftCase& c : cases) {
        for (double t : {0.01, 3.0, 40.0}) {
            const Motion once = coast(c.start, c.Omega, c.trois, 2.5 * t);
            const Motion legs =
                coast(coast(c.start, c.Omega, c.trois, t), c.Omega, c.trois, 1.5 * t);
            EXPECT_LT(relative_gap(legs, once), 1e-10)
                << "Omega " << c.Omega << " trois " << c.trois << " t " << t;
        }
        EXPECT_LT(relative_gap(coast(c.start, c.Omega, c.trois, 0.0), c.start), 1e-15);
    }
}

TEST(Coast, WithoutAnOrbitTheDriftIsAStraightLine)
{
    const Motion s{2.0, -8.0, 1.0, 0.3, -0.2, 0.1};
    const double t = 100.0;
    const Motion line{s.x + s.xp * t, s.y + s.yp * t, s.z + s.zp * t, s.xp, s.yp, s.zp};
    EXPECT_LT(relative_gap(coast(s, 0.0, 3.0, t), line), 1e-15);
    // A tiny orbital rate bends the line by about Omega t^2: no division by
    // Omega may blow that up.
    EXPECT_LT(relative_gap(coast(s, 1e-12, 3.0, t), line), 1e-9);
    EXPECT_LT(relative_gap(coast(s, -1e-12, 6.0, t), line), 1e-9);
}

TEST(Coast, PredictionCoversOneOrbitWithinItsLimits)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_DOUBLE_EQ(prediction_horizon(0.25), two_pi / 0.25);
    EXPECT_DOUBLE_EQ(prediction_horizon(-0.25), two_pi / 0.25);
    EXPECT_EQ(prediction_horizon(1e-6), longest_horizon);
    for (double still : {0.0, nan, inf}) EXPECT_EQ(prediction_horizon(still), still_horizon);

    const Motion s{1.0, -10.0, 0.5, 0.0, 0.1, 0.0};
    const std::vector<CoastPoint> points = predict_coast(s, 0.25, 3.0, 20.0, coast_samples);
    ASSERT_EQ(points.size(), static_cast<std::size_t>(coast_samples) + 1);
    EXPECT_EQ(relative_gap(points.front().motion, s), 0.0);
    EXPECT_DOUBLE_EQ(points.back().t, 20.0);
    EXPECT_LT(relative_gap(points.back().motion, coast(s, 0.25, 3.0, 20.0)), 1e-15);

    EXPECT_EQ(predict_coast(s, 0.25, 3.0, 20.0, 0).size(), 2u);
    EXPECT_EQ(predict_coast(s, 0.25, 3.0, 20.0, 1 << 30).size(),
              static_cast<std::size_t>(most_coast_samples) + 1);
    for (double none : {-1.0, 0.0, nan, inf})
        EXPECT_EQ(predict_coast(s, 0.25, 3.0, none, 10).size(), 1u);
    // An escape that overflows stops before its first infinite point.
    const std::vector<CoastPoint> escape = predict_coast(s, 1.0, 10.0, 1000.0, 100);
    EXPECT_GT(escape.size(), 2u);
    EXPECT_LT(escape.size(), 101u);
    for (const CoastPoint& p : escape) EXPECT_TRUE(std::isfinite(p.motion.x + p.motion.yp));
}

TEST(Coast, PendingThrustChangesOnlyTheVelocity)
{
    const Motion after = with_pending_thrust({1, 2, 3, 0.1, 0.2, 0.3}, 2, -2, 0, step_interval);
    EXPECT_LT(relative_gap(after, {1, 2, 3, 0.2, 0.1, 0.3}), 1e-15);
}
