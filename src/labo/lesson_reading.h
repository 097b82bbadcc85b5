// The teacher-file reader's parts, shared by its files and by nothing else:
// the keys and their rules, the messages, the text checks and the numbers.
// lesson.h is the reader's public face.
#ifndef ORVANEL_LABO_LESSON_READING_H
#define ORVANEL_LABO_LESSON_READING_H

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

#include "lesson.h"

namespace lesson_reading {

// ---------------------------------------------------------------------------
// Keys and their rules (lesson_keys.cpp)
// ---------------------------------------------------------------------------

enum class ValueKind { real, whole, text, yes_no };

// What one key accepts: a number within [least, most] (least itself refused
// when least_excluded), or free text.
struct KeyRule {
    const char* name;  // as documented and quoted in messages; matched ignoring case
    ValueKind kind;
    bool required;  // the eleven classic items
    double least;
    double most;
    bool least_excluded;
};

// Positions in key_rules; the first eleven are the classic items in file order.
enum KeyId : int {
    key_dt,
    key_nx,
    key_trois,
    key_Omega,
    key_X0,
    key_Y0,
    key_Z0,
    key_Xp0,
    key_Yp0,
    key_Zp0,
    key_p,
    key_titre,
    key_carburant,
    key_vitesse_max,
    key_tolerance,
    key_planificateur,
    key_count
};

inline constexpr double unbounded = std::numeric_limits<double>::infinity();
extern const KeyRule key_rules[key_count];
inline constexpr const char* classic_key_list =
    "dt, nx, trois, Omega, X0, Y0, Z0, Xp0, Yp0, Zp0, p";
inline constexpr unsigned char comment_mark = '#';
inline constexpr std::string_view utf8_bom = "\xEF\xBB\xBF";

// The rule for a key written in any case; -1 when none.
int find_key(std::string_view written);
// Two keys equal ignoring ASCII case.
bool same_key(std::string_view a, std::string_view b);
// The one known key a few edits away from an unknown one, else the one it
// begins; -1 when none or several fit.
int suggested_key(std::string_view written);

// ---------------------------------------------------------------------------
// Numbers (lesson_keys.cpp)
// ---------------------------------------------------------------------------

// Why a value is not accepted as a number of its kind.
enum class NumberCheck { ok, not_a_number, not_whole, leading_zero, unrepresentable };

// A decimal number: sign, digits with one '.' or ',', optional exponent; any locale.
NumberCheck read_real(std::string_view written, double* value);
// A whole number without a leading zero (the classic reader would read octal).
NumberCheck read_whole(std::string_view written, double* value);
// The value within the rule's bounds.
bool within_range(const KeyRule& rule, double value);

// ---------------------------------------------------------------------------
// Messages and text (lesson_text.cpp)
// ---------------------------------------------------------------------------

// The text between French quotation marks, cut (on a character boundary) when long.
std::string quoted(std::string_view text);
// What a key's value must be, for the message refusing one out of range.
std::string expected_range(const KeyRule& rule);
// A file's path between French quotation marks, whole: the teacher must find it.
std::string quoted_path(const std::string& path);
// A refusal naming the line (when above 0) and the key.
LessonRead refused(int line, std::string key, const std::string& what);
// The first byte that cannot be in a scenario file, with its line; true when all are text.
bool is_text(std::string_view text, LessonRead* refusal);
// The text without the spaces and tabs around it.
std::string_view trimmed(std::string_view text);
// The line starting at *at, without its end (LF, CR LF or a lone CR); moves *at past it.
std::string_view next_line(std::string_view text, size_t* at);

}  // namespace lesson_reading

#endif
