// The explained verdict on both sides of every border of decide_outcome.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "simulation.h"
#include "verdict_reason.h"

namespace {

const VerdictLimits classic{};
const VerdictLimits lenient{0.2, 0.05};  // tolerance, max_speed
const VerdictLimits odd{0.125, max_docking_speed};

constexpr Outcome none = outcome_none, docked = outcome_docked, too_fast = outcome_too_fast,
                  hit = outcome_collision, lost = outcome_lost;

// A chaser at (x, y, z) moving along y at `yp`.
struct ReasonCase {
    VerdictLimits limits;
    double x, y, z, yp;
    Outcome outcome;
    const char* reason;
};

// y = -1.45 is 0.05 from the port, inside the contact box.
const ReasonCase reason_cases[] = {
    // Docking speed.
    {classic, 0, -1.45, 0, 0.08, docked, "vitesse 0,08 < 0,12 : arrimage en douceur"},
    {classic, 0, -1.45, 0, 0.1199, docked, "vitesse 0,1199 < 0,12 : arrimage en douceur"},
    {classic, 0, -1.45, 0, 0.11999999, docked, "vitesse 0,12 ≤ 0,12 : arrimage en douceur"},
    {classic, 0, -1.45, 0, 0.12, too_fast, "vitesse 0,12 ≥ 0,12"},
    {classic, 0, -1.45, 0, 0.1201, too_fast, "vitesse 0,1201 > 0,12"},
    {classic, 0, -1.45, 0, -0.15, too_fast, "vitesse 0,15 > 0,12"},
    // The port's tolerance, each offset on both sides; the worst offset decides.
    {classic, 0.0999, -1.45, 0, 0.05, docked, "vitesse 0,05 < 0,12 : arrimage en douceur"},
    {classic, 0.1, -1.45, 0, 0.05, hit, "|x| = 0,10 ≥ 0,10 : hors de l'axe du port"},
    {classic, -0.13, -1.45, 0, 0.05, hit, "|x| = 0,13 > 0,10 : hors de l'axe du port"},
    {classic, 0, -1.45, -0.0999, 0.05, docked, "vitesse 0,05 < 0,12 : arrimage en douceur"},
    {classic, 0, -1.45, 0.1001, 0.05, hit, "|z| = 0,1001 > 0,10 : hors de l'axe du port"},
    {classic, 0, -1.4001, 0, 0.05, docked, "vitesse 0,05 < 0,12 : arrimage en douceur"},
    {classic, 0, -1.3999, 0, 0.05, hit, "|y + 1,5| = 0,1001 > 0,10 : contact sur la coque"},
    {classic, 0.13, -1.45, 0.2, 0.05, hit, "|z| = 0,20 > 0,10 : hors de l'axe du port"},
    {classic, 0.3999, -1.45, 0, 0.05, hit, "|x| = 0,40 > 0,10 : hors de l'axe du port"},
    {classic, 0.3999, 0, 0, 0.05, hit, "|y + 1,5| = 1,50 > 0,10 : contact sur la coque"},
    // The contact box: its faces do not touch.
    {classic, 0.4, -1.45, 0, 0.05, none, ""},
    {classic, 0, -1.45, 0.4, 0.05, none, ""},
    {classic, 0, -1.5, 0, 0.05, none, ""},
    {classic, 0, 1.5, 0, 0.05, none, ""},
    {classic, 0, 1.4999, 0, 0.05, hit, "|y + 1,5| = 3,00 > 0,10 : contact sur la coque"},
    // Farther than 100.
    {classic, 100, 0, 0, 0, none, ""},
    {classic, 100.2, 0, 0, 0, lost, "distance à la cible 100,2 > 100 : perdu dans l'espace"},
    {classic, 60, -80.0001, 0, 0, lost, "distance à la cible 100,0001 > 100 : perdu dans l'espace"},
    {classic, 0, 0, -100.0000001, 0, lost, "distance à la cible 100,0 ≥ 100 : perdu dans l'espace"},
    // A teacher's limits.
    {lenient, 0.13, -1.45, 0, 0.04, docked, "vitesse 0,04 < 0,05 : arrimage en douceur"},
    {lenient, 0.13, -1.45, 0, 0.05, too_fast, "vitesse 0,05 ≥ 0,05"},
    {lenient, 0.1999, -1.45, 0, -0.06, too_fast, "vitesse 0,06 > 0,05"},
    {lenient, -0.25, -1.45, 0, 0.01, hit, "|x| = 0,25 > 0,20 : hors de l'axe du port"},
    {odd, 0.13, -1.45, 0, 0.01, hit, "|x| = 0,130 > 0,125 : hors de l'axe du port"},
};

}  // namespace

TEST(VerdictReason, NamesTheDecidingLimitOnBothSidesOfEachBorder)
{
    for (const ReasonCase& c : reason_cases) {
        const Motion at{c.x, c.y, c.z, 0.0, c.yp, 0.0};
        EXPECT_EQ(decide_outcome(c.x, c.y, c.z, 0.0, c.yp, 0.0, c.limits), c.outcome) << c.reason;
        EXPECT_EQ(verdict_reason(RunEnd{c.outcome, at, c.limits, 0, 0.0}), c.reason);
    }
}

TEST(VerdictReason, AdviceSaysWhatToChangeOnEachSideOfTheBorders)
{
    struct AdviceCase {
        Motion at;
        Outcome outcome;
        const char* advice;
    };
    const AdviceCase cases[] = {
        {{0, -1.45, 0, 0, 0.15, 0},
         too_fast,
         "vous arriviez à 0,15 : freinez avec ↓ dans les derniers 2 ul"},
        {{0, -1.45, 0, 0, 0.12, 0},
         too_fast,
         "vous arriviez à 0,12 : freinez avec ↓ dans les derniers 2 ul"},
        {{0, -1.45, 0, 0, 0.1201, 0},
         too_fast,
         "vous arriviez à 0,1201 : freinez avec ↓ dans les derniers 2 ul"},
        {{0, -1.45, 0, -0.13, 0.05, 0},
         too_fast,
         "vous arriviez à 0,14 : freinez avec → dans les derniers 2 ul"},
        {{0.13, -1.45, 0, 0, 0.05, 0},
         hit,
         "vous arriviez 0,13 au-dessus de l'axe : corrigez avec ← avant le port"},
        {{-0.1, -1.45, 0, 0, 0.05, 0},
         hit,
         "vous arriviez 0,10 au-dessous de l'axe : corrigez avec → avant le port"},
        {{0.05, -1.45, -0.1001, 0, 0.05, 0},
         hit,
         "vous arriviez 0,1001 à côté de l'axe (z < 0) : corrigez avec Page préc. avant le port"},
        {{0, -1.02, 0, 0, 0.05, 0},
         hit,
         "vous avez touché la coque à 0,48 du port : arrivez par l'axe, en face du port"},
        {{100.2, 0, 0, 0, 0, 0},
         lost,
         "vous étiez à 100,2 ul de la cible : la dérive vous a emporté ; suivez la prédiction "
         "jaune et corrigez plus tôt"},
    };
    for (const AdviceCase& c : cases) {
        const Motion& m = c.at;
        ASSERT_EQ(decide_outcome(m.x, m.y, m.z, m.xp, m.yp, m.zp, classic), c.outcome) << c.advice;
        EXPECT_EQ(verdict_advice(RunEnd{c.outcome, m, classic, 0, 0.0}), c.advice);
    }
    EXPECT_EQ(verdict_advice(RunEnd{}), "");
}

TEST(VerdictReason, TitlesAndCosts)
{
    EXPECT_EQ(verdict_title(outcome_docked), "Arrimage réussi");
    EXPECT_EQ(verdict_title(outcome_too_fast), "Arrimage trop rapide");
    EXPECT_EQ(verdict_title(outcome_collision), "Collision");
    EXPECT_EQ(verdict_title(outcome_lost), "Perdu dans l'espace");
    EXPECT_EQ(verdict_title(outcome_none), "");
    RunEnd end;
    end.fuel_used = 12;
    end.duration = 35.2;
    EXPECT_EQ(verdict_costs(end), "carburant utilisé : 12 poussées, durée : 35,2");
    end.fuel_used = 1;
    end.duration = 0.04;
    EXPECT_EQ(verdict_costs(end), "carburant utilisé : 1 poussée, durée : 0,0");
}

TEST(VerdictReason, DecimalCommaWritesLikePrintf)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {3.14159, 2, "3,14"}, {-2.5, 1, "-2,5"},    {12.0, 0, "12"},         {-0.0, 2, "0,00"},
        {-0.001, 2, "0,00"},  {-0.006, 2, "-0,01"}, {1e6, 3, "1000000,000"}, {std::nan(""), 2, "?"},
        {-inf, 2, "?"},       {0.5, -4, "0"},
    };
    for (const auto& c : cases) EXPECT_EQ(decimal_comma(c.value, c.decimals), c.text) << c.text;
}
