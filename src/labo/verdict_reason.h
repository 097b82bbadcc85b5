// The verdict explained: which limit decided it and by how much, in French
// with decimal commas, for the teaching edition's panel and run records.
#ifndef ORVANEL_LABO_VERDICT_REASON_H
#define ORVANEL_LABO_VERDICT_REASON_H

#include <string>

#include "prediction.h"
#include "simulation.h"

// Braking starts this far before the port, in the advice for a fast arrival (ul).
constexpr double braking_distance = 2.0;

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
//   lost       "distance à la cible 100,2 > 100 : perdu dans l'espace" (from the
//              target's centre, where the loss is measured; not from the port)
// Two decimals (one for the distance), more, up to four, until the value differs
// from its limit ("0,1201 > 0,12"); when even four cannot tell them apart the
// sign is "≥" or "≤" ("vitesse 0,12 ≥ 0,12"). A limit keeps the decimals it needs
// ("0,130 > 0,125"). Empty for outcome_none.
std::string verdict_reason(const RunEnd& end);
// The deciding quantity alone, as the reason writes it: "vitesse 0,15",
// "|x| = 0,42", "|y + 1,5| = 0,48", "distance à la cible 100,2".
std::string verdict_measure(const RunEnd& end);
// One sentence a student can act on, from the state at the verdict:
//   too fast   "vous arriviez à 0,15 : freinez avec ↓ dans les derniers 2 ul"
//              (the key opposing the largest part of the velocity)
//   off axis   "vous arriviez 0,13 au-dessus de l'axe : corrigez avec ← avant le port"
//   on hull    "vous avez touché la coque à 0,48 du port : arrivez par l'axe, en face du port"
//   lost       the distance from the target, and that the drift carried the chaser away
// Numbers as the reason writes them. Empty for outcome_none.
std::string verdict_advice(const RunEnd& end);
// "carburant utilisé : 12 poussées, durée : 35,2" (units of the scenario; 0 and 1
// take the singular "poussée").
std::string verdict_costs(const RunEnd& end);
// A number as printf's "%.*f" writes it, with a decimal comma whatever the locale;
// "-0,00" is written "0,00" and a value that is not finite "?". decimals is kept
// within 0 .. 17.
std::string decimal_comma(double value, int decimals);

#endif
