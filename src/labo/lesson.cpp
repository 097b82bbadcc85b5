// Teacher-friendly scenario files: the text is checked for bytes that are not
// text, then read line by line, each line split into a key and a value and the
// value checked by its key's rule. The first problem ends the reading with one
// message; nothing is corrected behind the teacher's back.
#include "lesson.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string_view>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// ---------------------------------------------------------------------------
// Keys and their rules
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

constexpr double unbounded = std::numeric_limits<double>::infinity();

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

const char* const classic_key_list = "dt, nx, trois, Omega, X0, Y0, Z0, Xp0, Yp0, Zp0, p";

constexpr unsigned char comment_mark = '#';
constexpr std::string_view utf8_bom = "\xEF\xBB\xBF";
constexpr size_t max_quoted_bytes = 40;     // longer text is cut in messages
constexpr size_t max_suggested_key = 32;    // longer unknown keys get no suggestion
constexpr int max_suggestion_distance = 2;  // edits between a typo and its key
constexpr size_t min_completed_key = 3;     // shorter beginnings suggest no key
constexpr int max_whole_digits = 9;         // more digits is out of every whole range

// ---------------------------------------------------------------------------
// Messages
// ---------------------------------------------------------------------------

// The text between French quotation marks, cut (on a character boundary) when long.
std::string quoted(std::string_view text)
{
    std::string shown(text);
    if (shown.size() > max_quoted_bytes) {
        size_t cut = max_quoted_bytes;
        while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) --cut;
        shown.resize(cut);
        shown += "…";
    }
    return "« " + shown + " »";
}

// A bound as a French reader writes it: no exponent, a decimal comma, no locale
// involved. Only the rules' bounds, all small, are written this way.
std::string french_number(double value)
{
    char text[64];
    const std::to_chars_result end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    std::string written(text, end.ptr);
    for (char& c : written)
        if (c == '.') c = ',';
    return written;
}

// What a key's value must be, for the message refusing one out of range.
std::string expected_range(const KeyRule& rule)
{
    const std::string least = french_number(rule.least);
    const std::string most = french_number(rule.most);
    if (rule.kind == ValueKind::whole) return "un entier de " + least + " à " + most;
    const std::string start = rule.least_excluded ? "plus grand que " : "au moins ";
    if (rule.most == unbounded) return start + least;
    return start + least + " et au plus " + most;
}

// A file's path between French quotation marks, whole: the teacher must find it.
std::string quoted_path(const std::string& path) { return "« " + path + " »"; }

LessonRead refused(int line, std::string key, const std::string& what)
{
    LessonRead read;
    read.error.line = line;
    read.error.key = std::move(key);
    read.error.message = line > 0 ? "ligne " + std::to_string(line) + " : " + what : what;
    return read;
}

// ---------------------------------------------------------------------------
// Bytes that are not text
// ---------------------------------------------------------------------------

// Length of the well-formed UTF-8 character at text[at], or 0 when the bytes there
// are not one (stray continuation, overlong form, surrogate, beyond U+10FFFF).
size_t utf8_length(std::string_view text, size_t at)
{
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // accepted range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() - at < length) return 0;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char c = static_cast<unsigned char>(text[at + k]);
        if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF)) return 0;
    }
    return length;
}

bool is_control(unsigned char c)
{
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F;
}

// The first byte that cannot be in a scenario file, with its line; true when all are text.
bool is_text(std::string_view text, LessonRead* refusal)
{
    int line = 1;
    char byte[8];
    for (size_t at = 0; at < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        const size_t length = utf8_length(text, at);
        if (is_control(c) || length == 0) {
            std::snprintf(byte, sizeof byte, "0x%02X", c);
            const std::string why = is_control(c)
                                        ? " : ce n'est pas du texte, est-ce bien un fichier de "
                                          "scénario ?"
                                        : " hors UTF-8 : enregistrez le fichier en UTF-8.";
            *refusal = refused(line, "", std::string("octet ") + byte + why);
            return false;
        }
        const bool line_end =
            c == '\n' || (c == '\r' && (at + 1 == text.size() || text[at + 1] != '\n'));
        if (line_end) ++line;
        at += length;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Lines, keys and values
// ---------------------------------------------------------------------------

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
    return text;
}

// The line starting at *at, without its end (LF, CR LF or a lone CR); moves *at past it.
std::string_view next_line(std::string_view text, size_t* at)
{
    const size_t start = *at;
    const size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
        *at = text.size();
        return text.substr(start);
    }
    *at = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    return text.substr(start, end - start);
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

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

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Why a value is not accepted as a number of its kind.
enum class NumberCheck { ok, not_a_number, not_whole, leading_zero, unrepresentable };

// A decimal number: sign, digits with one '.' or ',' (digits on at least one
// side), optional exponent. Converted by from_chars, which ignores the locale.
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
    const size_t from = plain[0] == '+' ? 1 : 0;  // from_chars takes no '+'
    const std::from_chars_result end =
        std::from_chars(plain.data() + from, plain.data() + plain.size(), *value);
    if (end.ec != std::errc() || !std::isfinite(*value)) return NumberCheck::unrepresentable;
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

// Where a real-valued key is kept; null for the whole-number and text keys.
double* real_field(Lesson& lesson, int id)
{
    Scenario& s = lesson.values;
    double* const fields[] = {&s.dt,
                              nullptr,
                              &s.trois,
                              &s.Omega,
                              &s.X0,
                              &s.Y0,
                              &s.Z0,
                              &s.Xp0,
                              &s.Yp0,
                              &s.Zp0,
                              &s.p,
                              nullptr,
                              nullptr,
                              &lesson.limits.max_speed,
                              &lesson.limits.tolerance,
                              nullptr};
    static_assert(sizeof fields / sizeof fields[0] == key_count, "one entry per key");
    return id >= 0 && id < key_count ? fields[id] : nullptr;
}

void store(Lesson& lesson, int id, double value)
{
    if (id == key_nx) {
        lesson.values.nx = static_cast<int>(value);
    } else if (id == key_carburant) {
        lesson.fuel = static_cast<int>(value);
    } else if (double* field = real_field(lesson, id)) {
        *field = value;
    }
}

// Reading in progress: the lesson so far and the line each key was given on.
struct LessonParse {
    LessonRead read;
    int given_on[key_count] = {};  // line of each key; 0 while not given
    bool any_key = false;
};

// Checks a number against its key's rule and stores it; false with the refusal set.
bool take_number(LessonParse& parse, int line, int id, std::string_view written)
{
    const KeyRule& rule = key_rules[id];
    const std::string key = rule.name;
    const std::string prefix = quoted(key) + " : " + quoted(written);
    double value = 0.0;
    const NumberCheck check =
        rule.kind == ValueKind::whole ? read_whole(written, &value) : read_real(written, &value);
    switch (check) {
        case NumberCheck::ok:
            break;
        case NumberCheck::not_a_number:
            parse.read = refused(line, key, prefix + " n'est pas un nombre.");
            return false;
        case NumberCheck::not_whole:
            parse.read = refused(line, key, prefix + " n'est pas un nombre entier.");
            return false;
        case NumberCheck::leading_zero:
            parse.read = refused(line, key,
                                 prefix +
                                     " : un entier s'écrit sans zéro en tête (le lecteur "
                                     "classique lirait de l'octal).");
            return false;
        case NumberCheck::unrepresentable:
            parse.read = refused(line, key, prefix + " est hors des nombres représentables.");
            return false;
    }
    if (!within_range(rule, value)) {
        parse.read = refused(
            line, key, prefix + " hors des limites (attendu : " + expected_range(rule) + ").");
        return false;
    }
    store(parse.read.lesson, id, value);
    return true;
}

// Takes "oui" or "non" (any case); false with the refusal set.
bool take_choice(LessonParse& parse, int line, int id, std::string_view written)
{
    const KeyRule& rule = key_rules[id];
    const bool yes = same_key(written, "oui");
    if (!yes && !same_key(written, "non")) {
        parse.read =
            refused(line, rule.name,
                    quoted(rule.name) + " : " + quoted(written) + " : attendu « oui » ou « non ».");
        return false;
    }
    if (id == key_planificateur) parse.read.lesson.planner_allowed = yes;
    return true;
}

// Reads one line (or the rest of one) that is neither blank nor a comment;
// false with the refusal set.
bool take_item(LessonParse& parse, int line, std::string_view text)
{
    const size_t equals = text.find('=');
    const size_t comment = text.find(static_cast<char>(comment_mark));
    if (equals == std::string_view::npos ||
        (comment != std::string_view::npos && comment < equals)) {
        parse.read = refused(line, "",
                             quoted(trimmed(text.substr(0, comment))) +
                                 " : il manque « = » (attendu : clé = valeur).");
        return false;
    }
    const std::string_view written_key = trimmed(text.substr(0, equals));
    if (written_key.empty()) {
        parse.read = refused(line, "", "clé manquante avant « = ».");
        return false;
    }
    const int id = find_key(written_key);
    if (id < 0) {
        const int guess = suggested_key(written_key);
        const std::string hint =
            guess >= 0 ? std::string(" ; vouliez-vous dire ") + quoted(key_rules[guess].name) + " ?"
                       : std::string(" (clés possibles : ") + classic_key_list +
                             ", titre, carburant, vitesse_max, tolerance, planificateur).";
        parse.read =
            refused(line, std::string(written_key), quoted(written_key) + " : clé inconnue" + hint);
        return false;
    }
    const KeyRule& rule = key_rules[id];
    if (parse.given_on[id] > 0) {
        parse.read = refused(
            line, rule.name,
            quoted(rule.name) + " : déjà donnée ligne " + std::to_string(parse.given_on[id]) + ".");
        return false;
    }
    parse.given_on[id] = line;
    parse.any_key = true;
    std::string_view rest = text.substr(equals + 1);
    if (rule.kind == ValueKind::text) {
        // A title is the whole rest of the line: "Exercice #3" keeps its '#'.
        const std::string_view title = trimmed(rest);
        if (title.size() > static_cast<size_t>(max_title_bytes)) {
            parse.read =
                refused(line, rule.name,
                        quoted(rule.name) + " : titre trop long (" + std::to_string(title.size()) +
                            " octets, au plus " + std::to_string(max_title_bytes) + ").");
            return false;
        }
        parse.read.lesson.title = std::string(title);
        return true;
    }
    std::string_view value = trimmed(rest.substr(0, rest.find(static_cast<char>(comment_mark))));
    if (value.empty()) {
        parse.read =
            refused(line, rule.name, quoted(rule.name) + " : valeur manquante après « = ».");
        return false;
    }
    // The classic format lets items share a line: "dt=0.005 nx=500 ...".
    std::string_view more;
    const size_t blank = value.find_first_of(" \t");
    if (blank != std::string_view::npos) {
        const std::string_view tail = trimmed(value.substr(blank));
        if (tail.find('=') != std::string_view::npos) {
            more = tail;
            value = value.substr(0, blank);
        }
    }
    const bool taken = rule.kind == ValueKind::yes_no ? take_choice(parse, line, id, value)
                                                      : take_number(parse, line, id, value);
    if (!taken) return false;
    return more.empty() || take_item(parse, line, more);
}

// The first classic item the file did not give; -1 when it gave them all.
int first_missing(const LessonParse& parse)
{
    for (int id = 0; id < key_count; ++id)
        if (key_rules[id].required && parse.given_on[id] == 0) return id;
    return -1;
}

}  // namespace

LessonRead parse_lesson(const std::string& whole_text)
{
    if (whole_text.size() > static_cast<size_t>(max_lesson_file_bytes))
        return refused(0, "",
                       "le fichier dépasse " + std::to_string(max_lesson_file_bytes) + " octets.");
    std::string_view text = whole_text;
    if (text.substr(0, utf8_bom.size()) == utf8_bom) text.remove_prefix(utf8_bom.size());
    LessonParse parse;
    if (!is_text(text, &parse.read)) return parse.read;
    parse.read.lesson.values.dt = default_dt;
    parse.read.lesson.values.p = default_thrust;
    int line = 0;
    for (size_t at = 0; at < text.size();) {
        ++line;
        const std::string_view content = trimmed(next_line(text, &at));
        if (content.empty() || static_cast<unsigned char>(content.front()) == comment_mark)
            continue;
        if (!take_item(parse, line, content)) return parse.read;
    }
    if (!parse.any_key)
        return refused(0, "",
                       "aucune valeur : le fichier est vide ou ne contient que des commentaires.");
    const int missing = first_missing(parse);
    if (missing >= 0)
        return refused(0, key_rules[missing].name,
                       quoted(key_rules[missing].name) + " manque : les onze valeurs classiques (" +
                           classic_key_list + ") sont obligatoires.");
    parse.read.ok = true;
    return parse.read;
}

LessonRead read_lesson_file(const std::string& path)
{
    // Opened without blocking, so that a FIFO with no writer is seen and refused.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return refused(0, "",
                       quoted_path(path) + (errno == ENOENT ? " : fichier introuvable."
                                                            : " ne peut pas être ouvert."));
    struct stat info {};
    std::string text;
    std::string problem;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        problem = " n'est pas un fichier ordinaire.";
    } else if (info.st_size > max_lesson_file_bytes) {
        problem = " dépasse " + std::to_string(max_lesson_file_bytes) + " octets.";
    } else {
        // One byte more than allowed is asked for, to see a file that grew meanwhile.
        text.resize(static_cast<size_t>(max_lesson_file_bytes) + 1);
        size_t filled = 0;
        ssize_t got = 0;
        while (filled < text.size()) {
            got = ::read(fd, &text[filled], text.size() - filled);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            filled += static_cast<size_t>(got);
        }
        text.resize(filled);
        if (got < 0)
            problem = " ne peut pas être lu.";
        else if (filled > static_cast<size_t>(max_lesson_file_bytes))
            problem = " dépasse " + std::to_string(max_lesson_file_bytes) + " octets.";
    }
    ::close(fd);
    if (!problem.empty()) return refused(0, "", quoted_path(path) + problem);
    return parse_lesson(text);
}
