// The reading primitives of the OBJ and MTL readers, over a file held in
// memory. They reproduce what the C stream functions do on these files:
//  - a token is a "%s" conversion: blanks (the C locale's isspace, line ends
//    included) are skipped, then the whole run of non-blank bytes is taken;
//  - skipping the rest of a line, or taking it for a name, takes at most
//    line_limit bytes, up to and including the next '\n';
//  - numbers are "%f" and "%d" conversions, with what a failed conversion
//    consumes (a sign, a partial "nan" or "inf", the "0x" of a hexadecimal
//    number) and literal '/' matching that leaves a mismatch unread.
// A CR LF pair is turned into a lone LF when the file is loaded, so a CR of
// such a pair is never part of a token or a name.
// Private to the readers (and their tests); not part of the library surface.
#ifndef ORVANEL_GLM_SCANNER_H
#define ORVANEL_GLM_SCANNER_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "glm.h"

// Bytes a line skip or a name takes at most (a 128-byte line buffer).
constexpr size_t line_limit = 127;
// Size of a name buffer: the longest name and its terminating NUL.
constexpr size_t name_buffer_size = line_limit + 1;

// A position in a text; everything before pos has been consumed.
struct Scanner {
    const char* pos;  // next unread byte
    const char* end;  // one past the last byte
};

// A whole file loaded in memory, CR LF pairs already turned into LF.
struct LoadedText {
    std::unique_ptr<char[]> bytes;  // owned buffer
    size_t size = 0;                // bytes used
};

// Loads a regular file; false when it cannot be opened or read (or is a directory).
bool glm_load_text(const char* path, LoadedText* text);
// The loaded bytes as the range the reading passes scan.
inline ModelText glm_text_of(const LoadedText& text)
{
    return ModelText{text.bytes.get(), text.bytes.get() + text.size};
}
// 1-based number of the line that holds position pos of the text.
unsigned glm_line_number(const ModelText& text, const char* pos);

// "%f" slow path: nan, inf, hexadecimal, many digits, exact ties (see below).
int glm_scan_float_general(Scanner& s, float* value);
// strtof of the bytes first..last (not NUL-terminated); false when it takes none.
bool glm_convert_float(const char* first, const char* last, float* value);

// ---------------------------------------------------------------------------
// Blanks, tokens, lines and names
// ---------------------------------------------------------------------------

// The C locale's isspace: ' ', '\t', '\n', '\v', '\f', '\r'.
inline bool glm_is_blank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

inline bool glm_is_digit(char c) { return c >= '0' && c <= '9'; }

inline void glm_skip_blanks(Scanner& s)
{
    while (s.pos < s.end && glm_is_blank(*s.pos)) ++s.pos;
}

// Reads a "%s" token of any length; false at the end of the text.
inline bool glm_read_token(Scanner& s, std::string_view* token)
{
    glm_skip_blanks(s);
    if (s.pos == s.end) return false;
    const char* first = s.pos;
    while (s.pos < s.end && !glm_is_blank(*s.pos)) ++s.pos;
    *token = std::string_view(first, static_cast<size_t>(s.pos - first));
    return true;
}

// Takes the rest of the line: up to and including '\n', at most line_limit bytes.
inline std::string_view glm_take_line(Scanner& s)
{
    size_t room = static_cast<size_t>(s.end - s.pos);
    if (room > line_limit) room = line_limit;
    const char* first = s.pos;
    const void* newline = std::memchr(first, '\n', room);
    s.pos = newline != nullptr ? static_cast<const char*>(newline) + 1 : first + room;
    return std::string_view(first, static_cast<size_t>(s.pos - first));
}

inline void glm_skip_line(Scanner& s) { glm_take_line(s); }

// The part of a token or line a C string would hold: up to its first NUL.
inline std::string_view glm_c_string_part(std::string_view text)
{
    const void* nul = std::memchr(text.data(), '\0', text.size());
    if (nul == nullptr) return text;
    return text.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - text.data()));
}

// Name rule: of the rest of the line, the second blank-separated word if there
// is one, otherwise the first, otherwise the empty name.
void glm_take_name(Scanner& s, char (&name)[name_buffer_size]);
// Group name rule: the rest of the line without its last byte (the line end),
// leading blanks kept.
void glm_take_group_name(Scanner& s, char (&name)[name_buffer_size]);

// ---------------------------------------------------------------------------
// Numbers
// ---------------------------------------------------------------------------

// Results of one conversion, as the C scanning functions count them.
constexpr int scan_end_of_text = -1;  // the text ended before anything was read
constexpr int scan_mismatch = 0;      // nothing converted

// Largest mantissa a double holds exactly, and largest exact power of ten.
constexpr uint64_t exact_mantissa_limit = uint64_t{1} << 53;
constexpr int exact_power_limit = 22;
// Decimal digits that always fit in 64 bits.
constexpr int mantissa_digit_limit = 19;

// Powers of ten 1e0..1e22, all exact in double precision.
extern const double exact_powers_of_ten[exact_power_limit + 1];

// True when the double lies exactly halfway between two adjacent floats, where
// rounding it to float could differ from rounding the decimal number directly.
inline bool glm_is_float_tie(double d)
{
    constexpr int dropped_bits = 52 - 23;  // mantissa bits a float does not keep
    constexpr uint64_t dropped_mask = (uint64_t{1} << dropped_bits) - 1;
    constexpr uint64_t half = uint64_t{1} << (dropped_bits - 1);
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return (bits & dropped_mask) == half;
}

// One "%f" conversion: 1 with the value stored, scan_mismatch, or scan_end_of_text.
// Plain decimal numbers with at most 19 significant digits and a power of ten
// within 1e22 are converted exactly in double precision and rounded once to
// float, which equals strtof unless the double is a float tie; everything else
// goes to the general path, which ends in strtof.
inline int glm_scan_float(Scanner& s, float* value)
{
    glm_skip_blanks(s);
    if (s.pos == s.end) return scan_end_of_text;
    const char* p = s.pos;
    const char* const end = s.end;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (p == end || !(glm_is_digit(*p) || *p == '.') || (*p == '0' && p + 1 < end && (p[1] | 0x20) == 'x'))
        return glm_scan_float_general(s, value);
    uint64_t mantissa = 0;
    int digits = 0;           // significant digits in mantissa
    int64_t exponent = 0;     // power of ten applied to mantissa
    bool any_digit = false, dot = false;
    for (; p < end; ++p) {
        const char c = *p;
        if (glm_is_digit(c)) {
            any_digit = true;
            if (digits >= mantissa_digit_limit) return glm_scan_float_general(s, value);
            mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
            if (mantissa != 0) ++digits;
            if (dot) --exponent;
        } else if (c == '.' && !dot) {
            dot = true;
        } else {
            break;
        }
    }
    if (!any_digit) return glm_scan_float_general(s, value);
    if (p < end && (*p | 0x20) == 'e') {
        const char* q = p + 1;
        bool exponent_negative = false;
        if (q < end && (*q == '-' || *q == '+')) exponent_negative = *q++ == '-';
        int64_t written = 0;
        for (; q < end && glm_is_digit(*q); ++q) {
            if (written > exact_power_limit) return glm_scan_float_general(s, value);
            written = written * 10 + (*q - '0');
        }
        exponent += exponent_negative ? -written : written;
        p = q;
    }
    if (mantissa >= exact_mantissa_limit || exponent > exact_power_limit ||
        exponent < -exact_power_limit)
        return glm_scan_float_general(s, value);
    double d = static_cast<double>(mantissa);
    if (exponent >= 0)
        d *= exact_powers_of_ten[exponent];
    else
        d /= exact_powers_of_ten[-exponent];
    if (glm_is_float_tie(d)) return glm_scan_float_general(s, value);
    const float f = static_cast<float>(d);
    *value = negative ? -f : f;
    s.pos = p;
    return 1;
}

// Reads up to count floats as "%f %f %f" does, stopping at the first failure;
// components not read keep their values.
inline void glm_scan_floats(Scanner& s, float* values, int count)
{
    for (int i = 0; i < count; ++i)
        if (glm_scan_float(s, &values[i]) != 1) return;
}

// One "%d" conversion: 1 with the value stored, scan_mismatch (a sign alone
// is consumed), or scan_end_of_text. Values beyond 64 bits saturate.
inline int glm_scan_int(Scanner& s, int64_t* value)
{
    constexpr int64_t saturated = INT64_MAX / 10 - 1;
    glm_skip_blanks(s);
    if (s.pos == s.end) return scan_end_of_text;
    const char* p = s.pos;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    const char* first_digit = p;
    int64_t n = 0;
    for (; p < s.end && glm_is_digit(*p); ++p)
        if (n < saturated) n = n * 10 + (*p - '0');
    s.pos = p;
    if (p == first_digit) return scan_mismatch;
    *value = negative ? -n : n;
    return 1;
}

// Matches one literal byte of a format: 1 when consumed, scan_mismatch when
// another byte stands there (left unread), scan_end_of_text at the end.
inline int glm_match(Scanner& s, char literal)
{
    if (s.pos == s.end) return scan_end_of_text;
    if (*s.pos != literal) return scan_mismatch;
    ++s.pos;
    return 1;
}

// ---------------------------------------------------------------------------
// Face corners
// ---------------------------------------------------------------------------

// The four corner forms, chosen once per face from its first corner.
enum class CornerForm {
    vertex,                  // "%d"
    vertex_texcoord,         // "%d/%d"
    vertex_texcoord_normal,  // "%d/%d/%d"
    vertex_normal,           // "%d//%d"
};

// The working values of a face's corners, as read (not yet resolved).
struct CornerIndices {
    int64_t vertex = 0;
    int64_t texcoord = 0;
    int64_t normal = 0;
};

// Reads one corner with the form; returns the numbers read, or
// scan_end_of_text when the text ended before the first one. Fields not
// read keep their values.
inline int glm_scan_corner(Scanner& s, CornerForm form, CornerIndices* corner)
{
    int first = glm_scan_int(s, &corner->vertex);
    if (first != 1 || form == CornerForm::vertex) return first;
    if (glm_match(s, '/') != 1) return 1;
    if (form == CornerForm::vertex_normal) {
        if (glm_match(s, '/') != 1) return 1;
        return 1 + (glm_scan_int(s, &corner->normal) == 1);
    }
    if (glm_scan_int(s, &corner->texcoord) != 1) return 1;
    if (form == CornerForm::vertex_texcoord) return 2;
    if (glm_match(s, '/') != 1) return 2;
    return 2 + (glm_scan_int(s, &corner->normal) == 1);
}

// A scanner over a token as the C string sscanf would see (up to a NUL).
inline Scanner glm_token_scanner(std::string_view token)
{
    std::string_view part = glm_c_string_part(token);
    return Scanner{part.data(), part.data() + part.size()};
}

// The form of a face whose first corner is the token.
inline CornerForm glm_choose_form(std::string_view token)
{
    std::string_view part = glm_c_string_part(token);
    if (part.find("//") != std::string_view::npos) return CornerForm::vertex_normal;
    Scanner t = glm_token_scanner(token);
    CornerIndices scratch;
    int read = glm_scan_corner(t, CornerForm::vertex_texcoord_normal, &scratch);
    if (read == 3) return CornerForm::vertex_texcoord_normal;
    if (read == 2) return CornerForm::vertex_texcoord;
    return CornerForm::vertex;
}

#endif
