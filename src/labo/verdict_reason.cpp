// The verdict explained. The reason is taken on the same borders as
// decide_outcome, and a number is never shown equal to the limit it broke: it
// gets more decimals until the two differ, and when even the most decimals
// cannot tell them apart the sign says so ("≥", "≤").
#include "verdict_reason.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int reason_decimals = 2;    // speeds and distances to the port axis
constexpr int distance_decimals = 1;  // distance from the target when lost
constexpr int duration_decimals = 1;
constexpr int most_reason_decimals = 4;    // a value and its limit are told apart up to here
constexpr int most_printed_decimals = 17;  // what a double can hold, and more
constexpr double exact_limit = 1e-9;       // a limit this close to its text is shown exactly

// Fewest decimals, from `least` up, that write the limit exactly (0,125 stays 0,125).
int limit_decimals(double limit, int least)
{
    for (int d = least; d < most_reason_decimals; ++d) {
        const double scale = std::pow(10.0, d);
        if (std::fabs(std::round(limit * scale) / scale - limit) <= exact_limit) return d;
    }
    return most_reason_decimals;
}

// The value with `decimals` or more, until it differs from the limit written
// with `shown_limit` decimals; *told_apart says whether it could be.
std::string value_beside(double value, double limit, int decimals, int shown_limit,
                         bool* told_apart)
{
    const int least = std::max(decimals, shown_limit);
    for (int d = least; d <= most_reason_decimals; ++d) {
        const std::string value_text = decimal_comma(value, d);
        if (value_text != decimal_comma(limit, d)) {
            *told_apart = true;
            return value_text;
        }
    }
    *told_apart = false;
    return decimal_comma(value, least);
}

// "0,15 > 0,12": the value shown with `decimals` or more, until it differs from the limit.
std::string compared(double value, double limit, int decimals, int least_limit_decimals)
{
    const int shown_limit = limit_decimals(limit, least_limit_decimals);
    const std::string limit_text = decimal_comma(limit, shown_limit);
    bool told_apart = false;
    const std::string value_text = value_beside(value, limit, decimals, shown_limit, &told_apart);
    if (told_apart) return value_text + (value > limit ? " > " : " < ") + limit_text;
    return value_text + (value >= limit ? " ≥ " : " ≤ ") + limit_text;
}

// The value alone, as compared() writes it beside this limit.
std::string shown_beside(double value, double limit, int decimals)
{
    bool told_apart = false;
    return value_beside(value, limit, decimals, limit_decimals(limit, decimals), &told_apart);
}

double speed_of(const RunEnd& end) { return chaser_speed(end.at.xp, end.at.yp, end.at.zp); }

std::string speed_reason(const RunEnd& end)
{
    return "vitesse " +
           compared(speed_of(end), end.limits.max_speed, reason_decimals, reason_decimals);
}

// The port's offset that decided a collision: its three tolerances are the
// same, so the worst broken is the largest offset.
struct DecidingOffset {
    char axis = 'x';  // 'x', 'z', or 'y' for the distance along the axis
    double signed_value = 0.0;
    double size = 0.0;  // its absolute value
};

DecidingOffset deciding_offset(const Motion& m)
{
    DecidingOffset o{'x', m.x, std::fabs(m.x)};
    if (std::fabs(m.z) > o.size) o = {'z', m.z, std::fabs(m.z)};
    if (std::fabs(m.y - port_y) > o.size) o = {'y', m.y - port_y, std::fabs(m.y - port_y)};
    return o;
}

std::string offset_name(const DecidingOffset& o)
{
    if (o.axis == 'y') return "|y + " + decimal_comma(-port_y, 1) + "|";
    return o.axis == 'x' ? "|x|" : "|z|";
}

std::string collision_reason(const RunEnd& end)
{
    const DecidingOffset o = deciding_offset(end.at);
    const char* effect = o.axis == 'y' ? "contact sur la coque" : "hors de l'axe du port";
    return offset_name(o) + " = " +
           compared(o.size, end.limits.tolerance, reason_decimals, reason_decimals) + " : " +
           effect;
}

double distance_from_target(const Motion& m)
{
    return std::sqrt(m.x * m.x + m.y * m.y + m.z * m.z);
}

std::string loss_reason(const RunEnd& end)
{
    return "distance à la cible " +
           compared(distance_from_target(end.at), std::sqrt(loss_radius_squared), distance_decimals,
                    0) +
           " : perdu dans l'espace";
}

// The key whose thrust opposes the largest component of the velocity.
const char* braking_key(const Motion& m)
{
    const double ax = std::fabs(m.xp), ay = std::fabs(m.yp), az = std::fabs(m.zp);
    if (ay >= ax && ay >= az) return m.yp > 0.0 ? "↓" : "↑";
    if (ax >= az) return m.xp > 0.0 ? "←" : "→";
    return m.zp > 0.0 ? "Page suiv." : "Page préc.";
}

std::string too_fast_advice(const RunEnd& end)
{
    return "vous arriviez à " + shown_beside(speed_of(end), end.limits.max_speed, reason_decimals) +
           " : freinez avec " + braking_key(end.at) + " dans les derniers " +
           decimal_comma(braking_distance, 0) + " ul";
}

std::string collision_advice(const RunEnd& end)
{
    const DecidingOffset o = deciding_offset(end.at);
    const std::string size = shown_beside(o.size, end.limits.tolerance, reason_decimals);
    if (o.axis == 'y') {
        return "vous avez touché la coque à " + size +
               " du port : arrivez par l'axe, en face du port";
    }
    const bool positive = o.signed_value > 0.0;
    std::string where;
    const char* key = nullptr;
    if (o.axis == 'x') {
        where = positive ? "au-dessus de l'axe" : "au-dessous de l'axe";
        key = positive ? "←" : "→";
    } else {
        where = positive ? "à côté de l'axe (z > 0)" : "à côté de l'axe (z < 0)";
        key = positive ? "Page suiv." : "Page préc.";
    }
    return "vous arriviez " + size + " " + where + " : corrigez avec " + key + " avant le port";
}

std::string loss_advice(const RunEnd& end)
{
    return "vous étiez à " +
           shown_beside(distance_from_target(end.at), std::sqrt(loss_radius_squared),
                        distance_decimals) +
           " ul de la cible : la dérive vous a emporté ; suivez la prédiction jaune et corrigez "
           "plus tôt";
}

// "-0,00" reads as a sign where there is no value.
void drop_sign_of_zero(std::string& text)
{
    if (!text.empty() && text.front() == '-' &&
        text.find_first_of("123456789") == std::string::npos) {
        text.erase(0, 1);
    }
}

}  // namespace

std::string verdict_title(Outcome outcome)
{
    switch (outcome) {
        case outcome_docked:
            return "Arrimage réussi";
        case outcome_too_fast:
            return "Arrimage trop rapide";
        case outcome_collision:
            return "Collision";
        case outcome_lost:
            return "Perdu dans l'espace";
        default:
            return "";
    }
}

std::string verdict_reason(const RunEnd& end)
{
    switch (end.outcome) {
        case outcome_docked:
            return speed_reason(end) + " : arrimage en douceur";
        case outcome_too_fast:
            return speed_reason(end);
        case outcome_collision:
            return collision_reason(end);
        case outcome_lost:
            return loss_reason(end);
        default:
            return "";
    }
}

std::string verdict_measure(const RunEnd& end)
{
    switch (end.outcome) {
        case outcome_docked:
        case outcome_too_fast:
            return "vitesse " + shown_beside(speed_of(end), end.limits.max_speed, reason_decimals);
        case outcome_collision: {
            const DecidingOffset o = deciding_offset(end.at);
            return offset_name(o) + " = " +
                   shown_beside(o.size, end.limits.tolerance, reason_decimals);
        }
        case outcome_lost:
            return "distance à la cible " + shown_beside(distance_from_target(end.at),
                                                         std::sqrt(loss_radius_squared),
                                                         distance_decimals);
        default:
            return "";
    }
}

std::string verdict_advice(const RunEnd& end)
{
    switch (end.outcome) {
        case outcome_docked:
            return "bien joué : assez lent et dans l'axe du port";
        case outcome_too_fast:
            return too_fast_advice(end);
        case outcome_collision:
            return collision_advice(end);
        case outcome_lost:
            return loss_advice(end);
        default:
            return "";
    }
}

std::string verdict_costs(const RunEnd& end)
{
    // In French one and zero take the singular.
    const char* presses = std::abs(end.fuel_used) < 2 ? " poussée" : " poussées";
    return "carburant utilisé : " + std::to_string(end.fuel_used) + presses +
           ", durée : " + decimal_comma(end.duration, duration_decimals);
}

std::string decimal_comma(double value, int decimals)
{
    if (!std::isfinite(value)) return "?";
    decimals = std::clamp(decimals, 0, most_printed_decimals);
    const int length = std::snprintf(nullptr, 0, "%.*f", decimals, value);
    if (length <= 0) return "?";
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%.*f", decimals, value);
    text.resize(static_cast<std::size_t>(length));
    // Whatever the locale's decimal mark, the one written is a comma.
    const std::size_t mark = text.find_first_not_of("-0123456789");
    if (mark != std::string::npos) text[mark] = ',';
    drop_sign_of_zero(text);
    return text;
}
