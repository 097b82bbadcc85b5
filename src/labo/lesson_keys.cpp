// The teacher-file reader's keys, with the rule each value must meet, the
// suggestions offered for a mistyped key, and the numbers it accepts.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "lesson_reading.h"
#include "number_text.h"

namespace lesson_reading {

const KeyRule key_rules[key_count] = {
    // A sub-step longer than the step would never be taken: the run would stand still.
    {"dt", ValueKind::real, true, min_dt, step_interval, false},
    {"nx", ValueKind::whole, true, min_trail_length, max_trail_length, false},
    {"trois", ValueKind::real, true, -unbounded, unbounded, false},
    {"Omega", ValueKind::real, true, -unbounded, unbounded, false},
    {"X0", ValueKind::real, true, -unbounded, unbounded, false},
    {"Y0", ValueKind::real, true, -unbounded, unbounded, false},
    {"Z0", ValueKind::real, true, -unbounded, unbounded, false},
    {"Xp0", ValueKind::real, true, -unbounded, unbounded, false},
    {"Yp0", ValueKind::real, true, -unbounded, unbounded, false},
    {"Zp0", ValueKind::real, true, -unbounded, unbounded, false},
    {"p", ValueKind::real, true, -unbounded, unbounded, false},
    {"titre", ValueKind::text, false, 0.0, 0.0, false},
    {"carburant", ValueKind::whole, false, 0.0, max_lesson_fuel, false},
    {"vitesse_max", ValueKind::real, false, 0.0, unbounded, true},
    // A tolerance wider than the target's half-width would dock outside the target.
    {"tolerance", ValueKind::real, false, 0.0, contact_half_width, true},
    {"planificateur", ValueKind::yes_no, false, 0.0, 0.0, false},
};

namespace {

constexpr size_t max_suggested_key = 32;    // longer unknown keys get no suggestion
constexpr int max_suggestion_distance = 2;  // edits between a typo and its key
constexpr size_t min_completed_key = 3;     // shorter beginnings suggest no key
constexpr int max_whole_digits = 9;         // more digits is out of every whole range

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Edits (insertion, deletion, substitution, swap of neighbours) between two
// short keys, ignoring case.
int edit_distance(std::string_view a, std::string_view b)
{
    const size_t width = b.size() + 1;
    std::vector<int> d((a.size() + 1) * width);
    for (size_t i = 0; i <= a.size(); ++i) d[i * width] = static_cast<int>(i);
    for (size_t j = 0; j <= b.size(); ++j) d[j] = static_cast<int>(j);
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            const int change = lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1;
            int best = std::min({d[(i - 1) * width + j] + 1, d[i * width + j - 1] + 1,
                                 d[(i - 1) * width + j - 1] + change});
            if (i > 1 && j > 1 && lower(a[i - 1]) == lower(b[j - 2]) &&
                lower(a[i - 2]) == lower(b[j - 1]))
                best = std::min(best, d[(i - 2) * width + j - 2] + 1);
            d[i * width + j] = best;
        }
    }
    return d[a.size() * width + b.size()];
}

// The one known key that starts with what was written ("vitesse" for
// vitesse_max), or -1 when none or several do.
int completed_key(std::string_view written)
{
    if (written.size() < min_completed_key) return -1;
    int found = -1;
    for (int id = 0; id < key_count; ++id) {
        const std::string_view name = key_rules[id].name;
        if (name.size() <= written.size() || !same_key(name.substr(0, written.size()), written))
            continue;
        if (found >= 0) return -1;
        found = id;
    }
    return found;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool same_key(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

int find_key(std::string_view written)
{
    for (int id = 0; id < key_count; ++id)
        if (same_key(written, key_rules[id].name)) return id;
    return -1;
}

// The one known key a few edits away from an unknown one, else the one it
// begins; -1 when none or several fit.
int suggested_key(std::string_view written)
{
    if (written.size() > max_suggested_key) return -1;
    int best = -1, best_distance = max_suggestion_distance + 1;
    bool tied = false;
    for (int id = 0; id < key_count; ++id) {
        const int distance = edit_distance(written, key_rules[id].name);
        if (distance < best_distance) {
            best = id;
            best_distance = distance;
            tied = false;
        } else if (distance == best_distance) {
            tied = true;
        }
    }
    if (best >= 0 && !tied) return best;
    return completed_key(written);
}

// A decimal number: sign, digits with one '.' or ',' (digits on at least one
// side), optional exponent. Converted by read_decimal, which ignores the locale.
NumberCheck read_real(std::string_view written, double* value)
{
    std::string plain(written);
    size_t at = 0;
    if (at < plain.size() && (plain[at] == '+' || plain[at] == '-')) ++at;
    size_t digits = 0;
    while (at < plain.size() && is_digit(plain[at])) ++at, ++digits;
    if (at < plain.size() && (plain[at] == '.' || plain[at] == ',')) {
        plain[at++] = '.';
        while (at < plain.size() && is_digit(plain[at])) ++at, ++digits;
    }
    if (digits == 0) return NumberCheck::not_a_number;
    if (at < plain.size() && (plain[at] == 'e' || plain[at] == 'E')) {
        ++at;
        if (at < plain.size() && (plain[at] == '+' || plain[at] == '-')) ++at;
        size_t exponent_digits = 0;
        while (at < plain.size() && is_digit(plain[at])) ++at, ++exponent_digits;
        if (exponent_digits == 0) return NumberCheck::not_a_number;
    }
    if (at != plain.size()) return NumberCheck::not_a_number;
    const size_t from = plain[0] == '+' ? 1 : 0;  // read_decimal takes no '+'
    if (!read_decimal(std::string_view(plain).substr(from), value) || !std::isfinite(*value))
        return NumberCheck::unrepresentable;
    return NumberCheck::ok;
}

// A whole number: sign and decimal digits. A leading zero is refused because the
// classic reader takes "nx=010" as octal 8; the two readers must never differ.
NumberCheck read_whole(std::string_view written, double* value)
{
    const bool negative = !written.empty() && written.front() == '-';
    if (!written.empty() && (written.front() == '+' || negative)) written.remove_prefix(1);
    if (written.empty()) return NumberCheck::not_a_number;
    for (char c : written)
        if (!is_digit(c))
            return read_real(written, value) == NumberCheck::ok ? NumberCheck::not_whole
                                                                : NumberCheck::not_a_number;
    if (written.size() > 1 && written.front() == '0') return NumberCheck::leading_zero;
    if (written.size() > static_cast<size_t>(max_whole_digits)) {
        *value = negative ? -unbounded : unbounded;  // beyond every range
        return NumberCheck::ok;
    }
    long whole = 0;
    for (char c : written) whole = whole * 10 + (c - '0');
    *value = static_cast<double>(negative ? -whole : whole);
    return NumberCheck::ok;
}

bool within_range(const KeyRule& rule, double value)
{
    if (rule.least_excluded ? !(value > rule.least) : !(value >= rule.least)) return false;
    return value <= rule.most;
}

}  // namespace lesson_reading
