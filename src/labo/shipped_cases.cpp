#include "shipped_cases.h"

const ShippedCase shipped_cases[shipped_case_count] = {
    {"data/fo.in", u8"Sans orbite (Omega = 0)",
     u8"L'espace « vide » : on pousse vers la cible, on y va tout droit."},
    {"data/fo1.in", u8"Orbite lente (Omega = 0,10)",
     u8"Le même départ, mais l'orbite courbe déjà la trajectoire."},
    {"data/fo2.in", u8"Derrière la cible (Omega = 0,25)",
     u8"Pousser vers la cible fait monter puis reculer : la dérive de Hill."},
    {"data/fo3.in", u8"Un peu plus haut (Omega = 0,25)",
     u8"Au-dessus de l'orbite on dérive en arrière sans rien faire."},
    {"data/fo4.in", u8"Plus bas et en mouvement (Omega = 0,25)",
     u8"Une vitesse radiale de départ : lire la prédiction avant d'agir."},
    {"data/fo5.in", u8"Hors du plan (Omega = 0,25)",
     u8"Le mouvement hors du plan oscille une fois par orbite."},
};

const ShippedCase* find_shipped_case(const std::string& path)
{
    for (const ShippedCase& shipped : shipped_cases)
        if (path == shipped.path) return &shipped;
    return nullptr;
}
