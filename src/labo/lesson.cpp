// Teacher-friendly scenario files: the text is checked for bytes that are not
// text, then read line by line, each line split into a key and a value and the
// value checked by its key's rule. The first problem ends the reading with one
// message; nothing is corrected behind the teacher's back.
#include "lesson.h"

#include <string_view>

#include "lesson_reading.h"

using namespace lesson_reading;

namespace {

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
