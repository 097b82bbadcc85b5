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

// "0,15 > 0,12": the value shown with `decimals` or more, until it differs from the limit.
std::string compared(double value, double limit, int decimals, int least_limit_decimals)
{
    const int shown_limit = limit_decimals(limit, least_limit_decimals);
    const std::string limit_text = decimal_comma(limit, shown_limit);
    const int least = std::max(decimals, shown_limit);
    for (int d = least; d <= most_reason_decimals; ++d) {
        const std::string value_text = decimal_comma(value, d);
        if (value_text != decimal_comma(limit, d)) {
            return value_text + (value > limit ? " > " : " < ") + limit_text;
        }
    }
    return decimal_comma(value, least) + (value >= limit ? " ≥ " : " ≤ ") + limit_text;
}

std::string speed_reason(const RunEnd& end)
{
    const Motion& m = end.at;
    return "vitesse " + compared(chaser_speed(m.xp, m.yp, m.zp), end.limits.max_speed,
                                 reason_decimals, reason_decimals);
}

// The port's three tolerances are the same, so the worst broken is the largest offset.
std::string collision_reason(const RunEnd& end)
{
    const Motion& m = end.at;
    const double across_x = std::fabs(m.x);
    const double across_z = std::fabs(m.z);
    const double along_y = std::fabs(m.y - port_y);
    std::string name = "|x|";
    double offset = across_x;
    std::string effect = "hors de l'axe du port";
    if (across_z > offset) name = "|z|", offset = across_z;
    if (along_y > offset) {
        name = "|y + " + decimal_comma(-port_y, 1) + "|";
        offset = along_y;
        effect = "contact sur la coque";
    }
    return name + " = " + compared(offset, end.limits.tolerance, reason_decimals, reason_decimals) +
           " : " + effect;
}

std::string loss_reason(const RunEnd& end)
{
    const Motion& m = end.at;
    const double distance = std::sqrt(m.x * m.x + m.y * m.y + m.z * m.z);
    return "distance " + compared(distance, std::sqrt(loss_radius_squared), distance_decimals, 0) +
           " : perdu dans l'espace";
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
