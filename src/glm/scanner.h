// The reading primitives of the OBJ and MTL readers, over a file held in
// memory. They reproduce what the C stream functions do on these files:
//  - a token is a "%s" conversion: blanks (the C locale's isspace, line ends
//    included) are skipped, then the whole run of non-blank bytes is taken;
//  - skipping the rest of a line, or taking it for a name, takes at most
//    line_limit bytes, up to and including the next '\n';
//  - numbers are "%f" and "%d" conversions, with what a failed conversion
//    consumes (a sign, a partial "nan" or "inf", the "0x" of a hexadecimal
//    number) and literal '/' matching that leaves a mismatch unread.
// Files are read as they are, CR LF line ends included: a CR is a blank, so it
// never is part of a token, a number or a word, and a line skip that would
// stop after the LF of a pair stops at the same next statement, before or
// after the LF. Only the group name rule sees the CR, and drops it.
// Private to the readers (and their tests); not part of the library surface.
#ifndef ORVANEL_GLM_SCANNER_H
#define ORVANEL_GLM_SCANNER_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "glm_internal.h"

// The scanning functions are small and called per byte or per number; the
// passes only reach their speed with them folded into the loops.
#define GLM_ALWAYS_INLINE inline __attribute__((always_inline))

// Bytes a line skip or a name takes at most (a 128-byte line buffer).
constexpr size_t line_limit = 127;
// Size of a name buffer: the longest name and its terminating NUL.
constexpr size_t name_buffer_size = line_limit + 1;

// A position in a text; everything before pos has been consumed.
struct Scanner {
    const char* pos;  // next unread byte
    const char* end;  // one past the last byte
};

// Unmaps a file mapping of the recorded length.
struct MappingRelease {
    size_t length = 0;
    void operator()(const char* first) const;
};

// A whole file in memory: the file itself mapped read-only, or a copy of
// what could be read when it cannot be mapped.
struct LoadedText {
    std::unique_ptr<const char, MappingRelease> mapping;  // the mapped file, or none
    std::unique_ptr<char[]> copy;                         // the bytes read, or none
    size_t size = 0;                                      // bytes used
};

// Why a file could not be had.
enum class LoadFailure {
    none,
    cannot_open,  // missing, unreadable, or a read error
    not_regular,  // a FIFO, a device, a directory: refused before any read
};

// Opens a file for binary reading without ever blocking: anything but a
// regular file is closed again at once (a FIFO with no writer would block an
// ordinary open forever). Null on failure, with the reason in *failure.
std::FILE* glm_open_regular(const char* path, LoadFailure* failure);
// Loads a regular file; false, with the reason in *failure, when it cannot.
bool glm_load_text(const char* path, LoadedText* text, LoadFailure* failure);
// The loaded bytes as the range the reading passes scan.
inline ModelText glm_text_of(const LoadedText& text)
{
    const char* first = text.mapping ? text.mapping.get() : text.copy.get();
    return ModelText{first, first + text.size};
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
GLM_ALWAYS_INLINE bool glm_is_blank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

GLM_ALWAYS_INLINE bool glm_is_digit(char c) { return c >= '0' && c <= '9'; }

// Word-at-a-time digit handling: eight bytes loaded at once (little-endian).
constexpr size_t word_bytes = 8;

GLM_ALWAYS_INLINE uint64_t glm_load_word(const char* p)
{
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Nonzero in every byte of the word that is not an ASCII digit, exact up to
// the first such byte (a carry may disturb the bytes after it).
GLM_ALWAYS_INLINE uint64_t glm_non_digit_bytes(uint64_t word)
{
    constexpr uint64_t high_nibbles = 0xF0F0F0F0F0F0F0F0u;
    constexpr uint64_t threes = 0x3030303030303030u;  // high nibble of '0'..'9'
    constexpr uint64_t sixes = 0x0606060606060606u;   // pushes ':'..'?' out of it
    return ((word & high_nibbles) ^ threes) | (((word + sixes) & high_nibbles) ^ threes);
}

GLM_ALWAYS_INLINE void glm_skip_blanks(Scanner& s)
{
    while (s.pos < s.end && glm_is_blank(*s.pos)) ++s.pos;
}

// Reads a "%s" token of any length; false at the end of the text.
GLM_ALWAYS_INLINE bool glm_read_token(Scanner& s, std::string_view* token)
{
    glm_skip_blanks(s);
    if (s.pos == s.end) return false;
    const char* first = s.pos;
    while (s.pos < s.end && !glm_is_blank(*s.pos)) ++s.pos;
    *token = std::string_view(first, static_cast<size_t>(s.pos - first));
    return true;
}

// Position just after the first '\n' of the room bytes at p, or p + room.
// Lines are short, so a 16-byte compare beats a call to memchr.
GLM_ALWAYS_INLINE const char* glm_after_line_end(const char* p, size_t room)
{
#ifdef __SSE2__
    constexpr size_t lane_bytes = 16;
    const __m128i newline = _mm_set1_epi8('\n');
    while (room >= lane_bytes) {
        __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        int hits = _mm_movemask_epi8(_mm_cmpeq_epi8(chunk, newline));
        if (hits != 0) return p + __builtin_ctz(static_cast<unsigned>(hits)) + 1;
        p += lane_bytes;
        room -= lane_bytes;
    }
#endif
    for (; room > 0; --room)
        if (*p++ == '\n') return p;
    return p;
}

// Takes the rest of the line: up to and including '\n', at most line_limit bytes.
GLM_ALWAYS_INLINE std::string_view glm_take_line(Scanner& s)
{
    size_t room = static_cast<size_t>(s.end - s.pos);
    if (room > line_limit) room = line_limit;
    const char* first = s.pos;
    s.pos = glm_after_line_end(first, room);
    return std::string_view(first, static_cast<size_t>(s.pos - first));
}

GLM_ALWAYS_INLINE void glm_skip_line(Scanner& s) { glm_take_line(s); }

// The part of a token or line a C string would hold: up to its first NUL.
GLM_ALWAYS_INLINE std::string_view glm_c_string_part(std::string_view text)
{
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\0') return text.substr(0, i);
    return text;
}

// Name rule: of the rest of the line, the second blank-separated word if there
// is one, otherwise the first, otherwise the empty name.
void glm_take_name(Scanner& s, char (&name)[name_buffer_size]);
// Group name rule: the rest of the line without its last byte (the line end,
// both bytes of a CR LF), leading blanks kept.
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
// Powers of ten 10^0..10^19 as integers.
extern const uint64_t exact_integer_powers_of_ten[mantissa_digit_limit + 1];

// True when the double lies exactly halfway between two adjacent floats, where
// rounding it to float could differ from rounding the decimal number directly.
GLM_ALWAYS_INLINE bool glm_is_float_tie(double d)
{
    constexpr int dropped_bits = 52 - 23;  // mantissa bits a float does not keep
    constexpr uint64_t dropped_mask = (uint64_t{1} << dropped_bits) - 1;
    constexpr uint64_t half = uint64_t{1} << (dropped_bits - 1);
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return (bits & dropped_mask) == half;
}

// Value of the count (1..8) digits at p, eight readable bytes there:
// the digits are moved to the top of the word and combined pairwise,
// 8 digits -> 4 pairs -> 2 quads -> 1 value.
GLM_ALWAYS_INLINE uint64_t glm_word_digits_value(uint64_t word, size_t count)
{
    uint64_t w = word << (8 * (word_bytes - count));
    w &= 0x0F0F0F0F0F0F0F0Fu;
    w = (w * 10 + (w >> 8)) & 0x00FF00FF00FF00FFu;
    w = (w * 100 + (w >> 16)) & 0x0000FFFF0000FFFFu;
    w = (w * 10000 + (w >> 32)) & 0xFFFFFFFFu;
    return w;
}

// Appends the decimal digits from p on to mantissa (wrapping past 64 bits;
// the caller rejects such long runs by their length) and moves p past them.
// Up to eight at once when eight bytes are readable, the rest one by one.
GLM_ALWAYS_INLINE void glm_append_digits(const char*& p, const char* end, uint64_t* mantissa)
{
    uint64_t m = *mantissa;
    if (static_cast<size_t>(end - p) >= word_bytes) {
        const uint64_t word = glm_load_word(p);
        const uint64_t non_digits = glm_non_digit_bytes(word);
        const size_t count =
            non_digits != 0 ? static_cast<size_t>(__builtin_ctzll(non_digits) >> 3) : word_bytes;
        if (count != 0) {
            m = m * exact_integer_powers_of_ten[count] + glm_word_digits_value(word, count);
            p += count;
        }
        if (count < word_bytes) {
            *mantissa = m;
            return;
        }
    }
    while (p < end && glm_is_digit(*p)) m = m * 10 + static_cast<uint64_t>(*p++ - '0');
    *mantissa = m;
}

// One "%f" conversion: 1 with the value stored, scan_mismatch, or scan_end_of_text.
// Plain decimal numbers of at most 19 digits, with a mantissa below 2^53 and
// a power of ten within 1e22, are converted exactly in double precision (both
// operands are exact, so there is one rounding) and rounded once more to
// float, which equals strtof unless the double is a float tie; everything
// else (nan, inf, hexadecimal, long numbers, ties) goes to the general path,
// which ends in strtof.
GLM_ALWAYS_INLINE int glm_scan_float(Scanner& s, float* value)
{
    glm_skip_blanks(s);
    if (s.pos == s.end) return scan_end_of_text;
    const char* p = s.pos;
    const char* const end = s.end;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    const char* const integer = p;
    uint64_t mantissa = 0;
    // Integer parts are short; a plain loop beats the word-wide one there.
    while (p < end && glm_is_digit(*p))
        mantissa = mantissa * 10 + static_cast<uint64_t>(*p++ - '0');
    const size_t integer_digits = static_cast<size_t>(p - integer);
    size_t fraction_digits = 0;
    if (p < end && *p == '.') {
        const char* const fraction = ++p;
        glm_append_digits(p, end, &mantissa);
        fraction_digits = static_cast<size_t>(p - fraction);
    } else if (integer_digits == 1 && *integer == '0' && p < end && (*p | 0x20) == 'x') {
        return glm_scan_float_general(s, value);
    }
    // No digit at all (a sign alone, ".", "nan", "inf") or too many of them.
    const size_t digits = integer_digits + fraction_digits;
    if (digits == 0 || digits > mantissa_digit_limit) return glm_scan_float_general(s, value);
    int64_t exponent = -static_cast<int64_t>(fraction_digits);
    if (p < end && (*p | 0x20) == 'e') {
        const char* q = p + 1;
        bool exponent_negative = false;
        if (q < end && (*q == '-' || *q == '+')) exponent_negative = *q++ == '-';
        int64_t written = 0;
        for (; q < end && glm_is_digit(*q); ++q) {
            if (written > exact_power_limit + mantissa_digit_limit)
                return glm_scan_float_general(s, value);
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
GLM_ALWAYS_INLINE void glm_scan_floats(Scanner& s, float* values, int count)
{
    for (int i = 0; i < count; ++i)
        if (glm_scan_float(s, &values[i]) != 1) return;
}

// One "%d" conversion: 1 with the value stored (when Values), scan_mismatch
// (a sign alone is consumed), or scan_end_of_text. Values beyond 64 bits
// saturate. Indices are short, so a plain digit loop is as fast as any.
template <bool Values>
GLM_ALWAYS_INLINE int glm_scan_int_as(Scanner& s, int64_t* value)
{
    const char* p = s.pos;
    const char* const end = s.end;
    while (p < end && glm_is_blank(*p)) ++p;
    if (p == end) {
        s.pos = p;
        return scan_end_of_text;
    }
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    const char* const first_digit = p;
    constexpr int64_t saturated = INT64_MAX / 10 - 1;
    int64_t n = 0;
    for (; p < end && glm_is_digit(*p); ++p)
        if (Values && n < saturated) n = n * 10 + (*p - '0');
    s.pos = p;
    if (p == first_digit) return scan_mismatch;
    if (Values) *value = negative ? -n : n;
    return 1;
}

// Matches one literal byte of a format: 1 when consumed, scan_mismatch when
// another byte stands there (left unread), scan_end_of_text at the end.
GLM_ALWAYS_INLINE int glm_match(Scanner& s, char literal)
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

// Reads one corner with the form F; returns the numbers read, or
// scan_end_of_text when the text ended before the first one. Fields not
// read keep their values; without Values none is stored (counting).
template <CornerForm F, bool Values>
GLM_ALWAYS_INLINE int glm_scan_corner_as(Scanner& s, CornerIndices* corner)
{
    int first = glm_scan_int_as<Values>(s, &corner->vertex);
    if (first != 1 || F == CornerForm::vertex) return first;
    if (glm_match(s, '/') != 1) return 1;
    if (F == CornerForm::vertex_normal) {
        if (glm_match(s, '/') != 1) return 1;
        return 1 + (glm_scan_int_as<Values>(s, &corner->normal) == 1);
    }
    if (glm_scan_int_as<Values>(s, &corner->texcoord) != 1) return 1;
    if (F == CornerForm::vertex_texcoord) return 2;
    if (glm_match(s, '/') != 1) return 2;
    return 2 + (glm_scan_int_as<Values>(s, &corner->normal) == 1);
}

// The same for a form chosen at run time, storing the values.
inline int glm_scan_corner(Scanner& s, CornerForm form, CornerIndices* corner)
{
    switch (form) {
        case CornerForm::vertex:
            return glm_scan_corner_as<CornerForm::vertex, true>(s, corner);
        case CornerForm::vertex_texcoord:
            return glm_scan_corner_as<CornerForm::vertex_texcoord, true>(s, corner);
        case CornerForm::vertex_texcoord_normal:
            return glm_scan_corner_as<CornerForm::vertex_texcoord_normal, true>(s, corner);
        case CornerForm::vertex_normal:
            return glm_scan_corner_as<CornerForm::vertex_normal, true>(s, corner);
    }
    return scan_mismatch;
}

// A scanner over a token as the C string sscanf would see (up to a NUL).
GLM_ALWAYS_INLINE Scanner glm_token_scanner(std::string_view token)
{
    std::string_view part = glm_c_string_part(token);
    return Scanner{part.data(), part.data() + part.size()};
}

// The form of a face whose first corner is the token.
GLM_ALWAYS_INLINE CornerForm glm_choose_form(std::string_view token)
{
    // One walk finds both the end of the C string part and a "//" in it.
    size_t length = 0;
    bool double_slash = false;
    for (char previous = '\0'; length < token.size() && token[length] != '\0'; ++length) {
        if (token[length] == '/' && previous == '/') double_slash = true;
        previous = token[length];
    }
    if (double_slash) return CornerForm::vertex_normal;
    Scanner t{token.data(), token.data() + length};
    CornerIndices scratch;
    int read = glm_scan_corner_as<CornerForm::vertex_texcoord_normal, false>(t, &scratch);
    if (read == 3) return CornerForm::vertex_texcoord_normal;
    if (read == 2) return CornerForm::vertex_texcoord;
    return CornerForm::vertex;
}

// ---------------------------------------------------------------------------
// Plain corners: the shortcuts of the face loops
// ---------------------------------------------------------------------------

// Longest digit run a plain corner number may have; longer ones (leading
// zeros, out-of-range indices) take the general reading.
constexpr ptrdiff_t plain_digit_limit = 9;

// An unsigned number of at most plain_digit_limit digits at p, moving p
// past it; false when there is none or it is longer.
GLM_ALWAYS_INLINE bool glm_plain_number(const char*& p, const char* end, int64_t* value)
{
    if (static_cast<size_t>(end - p) >= word_bytes) {
        // Indices are short: one word holds the whole number and what ends it.
        const uint64_t word = glm_load_word(p);
        const uint64_t non_digits = glm_non_digit_bytes(word);
        if (non_digits != 0) {
            const size_t count = static_cast<size_t>(__builtin_ctzll(non_digits) >> 3);
            if (count == 0) return false;
            *value = static_cast<int64_t>(glm_word_digits_value(word, count));
            p += count;
            return true;
        }
    }
    const char* q = p;
    int64_t n = 0;
    while (q < end && glm_is_digit(*q) && q - p < plain_digit_limit) n = n * 10 + (*q++ - '0');
    if (q == p || (q < end && glm_is_digit(*q))) return false;
    *value = n;
    p = q;
    return true;
}

// Reads, at p, a corner written in one of the four forms with plain numbers,
// the longest form the bytes spell ("7/8/9" is never taken as "7/8"): stores
// that form and the numbers, moves p past them. False, nothing stored, when a
// number is missing, signed or longer than plain_digit_limit.
GLM_ALWAYS_INLINE bool glm_plain_corner_of_any_form(const char*& p, const char* end,
                                                    CornerForm* form, CornerIndices* corner)
{
    const char* q = p;
    CornerIndices read = *corner;
    if (!glm_plain_number(q, end, &read.vertex)) return false;
    CornerForm found = CornerForm::vertex;
    if (q < end && *q == '/') {
        ++q;
        if (q < end && *q == '/') {
            ++q;
            found = CornerForm::vertex_normal;
            if (!glm_plain_number(q, end, &read.normal)) return false;
        } else {
            found = CornerForm::vertex_texcoord;
            if (!glm_plain_number(q, end, &read.texcoord)) return false;
            if (q < end && *q == '/') {
                ++q;
                found = CornerForm::vertex_texcoord_normal;
                if (!glm_plain_number(q, end, &read.normal)) return false;
            }
        }
    }
    *form = found;
    *corner = read;
    p = q;
    return true;
}

// A plain corner written exactly in the form F, read as above; false, nothing
// stored, for any other writing. Where it succeeds the general corner reading
// would take the same bytes and values; where it fails that reading decides.
template <CornerForm F>
GLM_ALWAYS_INLINE bool glm_plain_corner(const char*& p, const char* end, CornerIndices* corner)
{
    const char* q = p;
    CornerForm form;
    CornerIndices read = *corner;
    if (!glm_plain_corner_of_any_form(q, end, &form, &read) || form != F) return false;
    *corner = read;
    p = q;
    return true;
}

// Numbers a corner of the form F carries.
template <CornerForm F>
constexpr int glm_corner_numbers()
{
    return F == CornerForm::vertex ? 1 : F == CornerForm::vertex_texcoord_normal ? 3 : 2;
}

// glm_scan_corner_as<F, true>, with the plain corner tried first.
template <CornerForm F>
GLM_ALWAYS_INLINE int glm_scan_corner_fast(Scanner& s, CornerIndices* corner)
{
    const char* p = s.pos;
    while (p < s.end && glm_is_blank(*p)) ++p;
    if (glm_plain_corner<F>(p, s.end, corner)) {
        s.pos = p;
        return glm_corner_numbers<F>();
    }
    return glm_scan_corner_as<F, true>(s, corner);
}

// Shortcut of the counting pass for the usual face line: when the rest of the
// line holds only plain corners written exactly in the form F, and the next
// statement does not start with a number (so the face ends with the line),
// returns how many corners the line holds and moves s past them. The corner
// reads would have found the same corners. Otherwise returns -1 and leaves s
// alone, for the general reading.
template <CornerForm F>
GLM_ALWAYS_INLINE int glm_count_plain_corners(Scanner& s)
{
    const char* p = s.pos;
    const char* const end = s.end;
    int corners = 0;
    CornerIndices scratch;
    for (;;) {
        while (p < end && *p != '\n' && glm_is_blank(*p)) ++p;
        if (p == end || *p == '\n') break;
        if (!glm_plain_corner<F>(p, end, &scratch)) return -1;
        if (p < end && !glm_is_blank(*p)) return -1;
        ++corners;
    }
    while (p < end && glm_is_blank(*p)) ++p;
    if (p < end && (glm_is_digit(*p) || *p == '+' || *p == '-')) return -1;
    s.pos = p;
    return corners;
}

// The first corner of a face when it is a whole token written as a plain
// corner ("7", "7/8", "7/8/9", "7//9"): stores the form that glm_choose_form
// would choose and the values the corner reading would give (0 for numbers
// the form does not carry), and moves s past the token. False, s untouched,
// for any other token.
GLM_ALWAYS_INLINE bool glm_plain_first_corner(Scanner& s, CornerForm* form, CornerIndices* corner)
{
    const char* p = s.pos;
    while (p < s.end && glm_is_blank(*p)) ++p;
    CornerForm found;
    CornerIndices read;
    if (!glm_plain_corner_of_any_form(p, s.end, &found, &read)) return false;
    if (p < s.end && !glm_is_blank(*p)) return false;
    *form = found;
    *corner = read;
    s.pos = p;
    return true;
}

#endif
