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
// The deciding limit and the margin, on the borders of decide_outcome:
//   docked     "vitesse 0,08 < 0,12 : arrimage en douceur"
//   too fast   "vitesse 0,15 > 0,12"
//   collision  the largest of the port's offsets, "|x| = 0,13 > 0,10 : hors de l'axe
//              du port" (or |z|), "|y + 1,5| = 0,20 > 0,10 : contact sur la coque"
//   lost       "distance 100,2 > 100 : perdu dans l'espace"
// Two decimals (one for the distance), more, up to four, until the value differs
// from its limit ("0,1201 > 0,12"); when even four cannot tell them apart the
// sign is "≥" or "≤" ("vitesse 0,12 ≥ 0,12"). A limit keeps the decimals it needs
// ("0,130 > 0,125"). Empty for outcome_none.
std::string verdict_reason(const RunEnd& end);
// "carburant utilisé : 12 poussées, durée : 35,2" (units of the scenario; 0 and 1
// take the singular "poussée").
std::string verdict_costs(const RunEnd& end);
// A number as printf's "%.*f" writes it, with a decimal comma whatever the locale;
// "-0,00" is written "0,00" and a value that is not finite "?". decimals is kept
// within 0 .. 17.
std::string decimal_comma(double value, int decimals);

#endif
