// The final approach and the burn planner against the closed-form coast: the
// closest approach found between samples, the verdict the coast announces
// against the one a real run meets, transfers that reach their aim for any
// trois and Omega, and the flight times that no transfer can use.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "approach.h"
#include "planner.h"
#include "sim_fixture.h"

namespace {

double distance(const Motion& m, double x, double y, double z)
{
    return std::sqrt((m.x - x) * (m.x - x) + (m.y - y) * (m.y - y) + (m.z - z) * (m.z - z));
}

std::vector<CoastPoint> free_coast(const Motion& from, double Omega)
{
    return queued_coast(from, {}, Omega, 3.0, step_interval, prediction_horizon(Omega),
                        coast_samples);
}

}  // namespace

TEST(Approach, OffsetsKeepTheirSignsAndAreWithinOnlyStrictlyInsideTheLimits)
{
    const VerdictLimits limits;
    const ApproachOffsets o = approach_offsets(Motion{-0.1, -1.55, 0.05, 0.0, 0.12, 0.0}, limits);
    EXPECT_EQ(o.x, -0.1);
    EXPECT_FALSE(o.x_within);  // the verdict's border is strict
    EXPECT_TRUE(o.z_within);
    EXPECT_NEAR(o.along, -0.05, 1e-12);
    EXPECT_TRUE(o.along_within);
    EXPECT_FALSE(o.speed_within);
}

TEST(Approach, ClosestApproachIsTheOneTheClosedFormGives)
{
    // Omega 0: a straight line passing 0,6 beside the port, 18,5 ut from now.
    const CoastOutlook straight =
        look_ahead(free_coast(Motion{0.6, -20.0, 0.0, 0.0, 1.0, 0.0}, 0.0), 0.0, 3.0, step_interval,
                   VerdictLimits{});
    EXPECT_NEAR(straight.closest_distance, 0.6, 1e-9);
    EXPECT_NEAR(straight.closest_time, 18.5, 1e-6);
    EXPECT_EQ(straight.outcome, outcome_none);

    // Omega 0,25: against a fine scan of the closed form over one orbit.
    const Motion start{0.8, -6.0, 0.3, 0.02, 0.1, -0.01};
    const CoastOutlook curved =
        look_ahead(free_coast(start, 0.25), 0.25, 3.0, step_interval, VerdictLimits{});
    double best = 1e9;
    for (int i = 0; i <= 200000; ++i) {
        const Motion m = coast(start, 0.25, 3.0, i * (two_pi / 0.25) / 200000);
        best = std::min(best, distance(m, 0.0, port_y, 0.0));
    }
    EXPECT_NEAR(curved.closest_distance, best, 1e-6);
    EXPECT_EQ(closest_sentence(straight),
              "au plus près : 0,60 ul du port dans 18,5 ut, vitesse 1,00");
}

TEST(Approach, OutlookAnnouncesTheVerdictARealRunMeets)
{
    struct Case {
        Motion start;
        double Omega;
    };
    const Case cases[] = {
        {{0.3, -8.03, 0.0, 0.0, 0.5, 0.0}, 0.0},   // on the hull beside the port
        {{0.0, -2.5, 0.0, 0.0, 0.05, 0.0}, 0.0},   // docks
        {{0.0, -1.9, 0.0, 0.0, 0.3, 0.0}, 0.25},   // curved off the axis
        {{0.0, -60.0, 0.0, 0.0, -3.0, 0.0}, 0.0},  // lost
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start.y);
        const CoastOutlook outlook =
            look_ahead(free_coast(c.start, c.Omega), c.Omega, 3.0, step_interval, VerdictLimits{});
        scenario = Scenario{0.005,     10,         c.Omega,    3.0,        c.start.x, c.start.y,
                            c.start.z, c.start.xp, c.start.yp, c.start.zp, 1.0};
        quietly([] { start_run("outlook"); });
        simulation.temps = 0.0;
        Outcome met = outcome_none;
        for (int i = 0; i < 2000 && met == outcome_none; ++i) {
            step_simulation();
            const SimulationState& s = simulation;
            met = decide_outcome(s.x, s.y, s.z, s.xp, s.yp, s.zp, VerdictLimits{});
        }
        EXPECT_NE(met, outcome_none);
        EXPECT_EQ(outlook.outcome, met);
        EXPECT_NEAR(outlook.outcome_time, simulation.temps, step_interval + 1e-9);
    }
    const CoastOutlook hull =
        look_ahead(free_coast(cases[0].start, 0.0), 0.0, 3.0, step_interval, VerdictLimits{});
    EXPECT_EQ(outlook_sentence(hull, VerdictLimits{}),
              "si rien ne change : collision dans 13,1 ut, |x| = 0,30");
}

TEST(Planner, TransfersReachTheirAimWithinTheRoundingTheyReport)
{
    std::mt19937 random(20261209);
    std::uniform_real_distribution<double> spread(-1.0, 1.0), fraction(0.2, 0.9);
    const double rates[] = {0.0, 0.1, 0.25, -0.05, 1e-9};
    const double coefficients[] = {3.0, 0.0, 4.5};
    int planned = 0, tried = 0;
    for (double Omega : rates) {
        for (double trois : coefficients) {
            for (int i = 0; i < 40; ++i, ++tried) {
                PlanRequest r;
                r.now = Motion{5 * spread(random),   20 * spread(random),  2 * spread(random),
                               0.2 * spread(random), 0.2 * spread(random), 0.1 * spread(random)};
                if (i % 4 == 0) r.queue = {{0.0, 1.0, 0.0}, {0.5, 0.0, 0.0}};
                r.Omega = Omega;
                r.trois = trois;
                r.aim_x = spread(random), r.aim_y = -3.0 + spread(random), r.aim_z = 0.0;
                r.flight_time =
                    fraction(random) *
                    (Omega == 0.0 || std::fabs(Omega) < 1e-6 ? 60.0 : two_pi / std::fabs(Omega));
                r.press_change = 0.1;
                const BurnPlan plan = plan_transfer(r);
                if (!plan.ok) {
                    // Only a transfer whose presses outlast the flight may be refused here.
                    EXPECT_NE(plan.refusal.find("plus que la durée du vol"), std::string::npos)
                        << plan.refusal;
                    continue;
                }
                ++planned;
                // The exact change reaches the aim, from where the new presses start.
                const double start_time = r.queue.size() * r.interval;
                const Motion start =
                    coast_at(queued_coast(r.now, r.queue, Omega, trois, r.interval, 0.0, 1), Omega,
                             trois, start_time);
                Motion exact = start;
                exact.xp += plan.change[0], exact.yp += plan.change[1], exact.zp += plan.change[2];
                const double flight = r.flight_time - start_time;
                EXPECT_NEAR(distance(coast(exact, Omega, trois, flight), r.aim_x, r.aim_y, r.aim_z),
                            0.0, 1e-6);
                // The whole presses miss by what the plan says rounding leaves.
                Motion rounded = start;
                rounded.xp += plan.presses[0] * 0.1, rounded.yp += plan.presses[1] * 0.1;
                rounded.zp += plan.presses[2] * 0.1;
                EXPECT_NEAR(
                    distance(coast(rounded, Omega, trois, flight), r.aim_x, r.aim_y, r.aim_z),
                    plan.rounding_miss, 1e-9);
                // The path drawn arrives where the plan says.
                EXPECT_NEAR(plan.path.back().t, r.flight_time, 1e-9);
                EXPECT_NEAR(distance(plan.arrival, r.aim_x, r.aim_y, r.aim_z), plan.miss, 1e-12);
            }
        }
    }
    EXPECT_GT(planned, tried * 9 / 10);
}

TEST(Planner, FlightTimesNoTransferCanUseAreRefusedWithAReason)
{
    PlanRequest r;
    r.now = Motion{0.0, -15.0, 0.0, 0.0, 0.0, 0.0};
    r.Omega = 0.25;
    r.aim_y = -4.5;
    r.press_change = 0.05;
    r.flight_time = two_pi / 0.25;  // a whole orbit: every start comes back to itself
    BurnPlan plan = plan_transfer(r);
    EXPECT_FALSE(plan.ok);
    EXPECT_NE(plan.refusal.find("(1,00 orbite)"), std::string::npos) << plan.refusal;
    EXPECT_NE(plan.refusal.find("Choisissez une autre durée"), std::string::npos);

    r.flight_time = 0.5 * two_pi / 0.25;  // half an orbit: fine in the plane...
    EXPECT_TRUE(plan_transfer(r).ok);
    r.now.z = 1.5;  // ...but z comes back to -1,5 whatever the burn
    plan = plan_transfer(r);
    EXPECT_FALSE(plan.ok);
    EXPECT_NE(plan.refusal.find("z = -1,50"), std::string::npos) << plan.refusal;
    r.now.z = 0.05;  // within the tolerance: planned in the plane, z left as it comes
    plan = plan_transfer(r);
    EXPECT_TRUE(plan.ok);
    EXPECT_NE(plan.note.find("z arrive à -0,05"), std::string::npos) << plan.note;

    r.flight_time = -1.0;
    EXPECT_FALSE(plan_transfer(r).ok);
    r.flight_time = 5.0;
    r.press_change = 0.0;  // no fuel
    EXPECT_FALSE(plan_transfer(r).ok);
    EXPECT_EQ(presses_text({3, -12, 0}), "3 × →, 12 × ↓");
    EXPECT_EQ(presses_text({0, 0, 0}), "aucune poussée");
}
