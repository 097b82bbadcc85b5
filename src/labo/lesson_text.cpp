// The teacher-file reader's messages and text checks: French quotation,
// bounds as a French reader writes them, bytes that are not UTF-8 text, lines
// ending in LF, CR LF or a lone CR.
#include <cstdio>

#include "lesson_reading.h"
#include "number_text.h"

namespace lesson_reading {

namespace {

constexpr size_t max_quoted_bytes = 40;  // longer text is cut in messages

// A bound as a French reader writes it: no exponent, a decimal comma, no locale
// involved. Only the rules' bounds, all small, are written this way.
std::string french_number(double value)
{
    std::string written = shortest_fixed_text(value);
    for (char& c : written)
        if (c == '.') c = ',';
    return written;
}

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

bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

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

}  // namespace lesson_reading
