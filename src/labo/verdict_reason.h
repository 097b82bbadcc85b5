// The verdict explained: which limit decided it and by how much, in French
// with decimal commas, for the teaching edition's panel and run records.
#ifndef ORVANEL_LABO_VERDICT_REASON_H
#define ORVANEL_LABO_VERDICT_REASON_H

#include <string>

#include "prediction.h"
#include "simulation.h"

// What the explanation needs to know about the end of a run.
struct RunEnd {
    Outcome outcome = outcome_none;
    Motion at;              // position and velocity when the verdict was taken
    VerdictLimits limits;   // the limits the run was judged with
    int fuel_used = 0;      // presses
    double duration = 0.0;  // simulated time since the reset
};

// Short title of a verdict: "Arrimage réussi", "Arrimage trop rapide",
// "Collision", "Perdu dans l'espace"; empty for outcome_none.
std::string verdict_title(Outcome outcome);
// The deciding limit and the margin, e.g. "vitesse 0,15 > 0,12",
// "|x| = 0,13 > 0,10 : hors de l'axe du port", "distance 100,2 > 100 : perdu dans l'espace".
std::string verdict_reason(const RunEnd& end);
// "carburant utilisé : 12 poussées, durée : 35,2" (units of the scenario).
std::string verdict_costs(const RunEnd& end);
// A number with a decimal comma and `decimals` digits after it.
std::string decimal_comma(double value, int decimals);

#endif
