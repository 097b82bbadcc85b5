#include "number_text.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int most_significant_digits = 17;  // enough for any double to read back
constexpr size_t number_room = 64;           // the longest scientific text and more
constexpr size_t fixed_room = 400;           // a double in fixed form reaches 309 digits

std::string non_finite_text(double value)
{
    if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
    return value < 0 ? "-inf" : "inf";
}

// Whether |value| rounded to 1 + decimals significant digits reads back as
// itself; the text written is left in `text`.
bool reads_back(double magnitude, int decimals, char (&text)[number_room])
{
    std::snprintf(text, sizeof text, "%.*e", decimals, magnitude);
    return std::strtod(text, nullptr) == magnitude;
}

// The shortest digits of |value| (no trailing zeros) and the power of ten of
// the first one. More digits never stop reading back once some do, so the
// count is found by halving the range.
void shortest_digits(double value, std::string& digits, int& power)
{
    const double magnitude = std::fabs(value);
    char text[number_room];
    int low = 0, high = most_significant_digits - 1;  // decimals after the first digit
    while (low < high) {
        const int middle = (low + high) / 2;
        if (reads_back(magnitude, middle, text))
            high = middle;
        else
            low = middle + 1;
    }
    reads_back(magnitude, low, text);
    const std::string written(text);
    const size_t e = written.find('e');
    digits.clear();
    for (size_t i = 0; i < e; ++i)
        if (written[i] != '.') digits += written[i];
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    power = std::atoi(written.c_str() + e + 1);
}

// A whole number longer than its shortest digits is written exactly, as
// to_chars writes it: above 2^53 the zeros a padding would give are not the
// value's own digits.
std::string fixed_form(double magnitude, const std::string& digits, int power)
{
    if (power < 0) return "0." + std::string(static_cast<size_t>(-power - 1), '0') + digits;
    const size_t whole = static_cast<size_t>(power) + 1;
    if (digits.size() <= whole) {
        std::string exact(fixed_room, '\0');
        const int length = std::snprintf(&exact[0], exact.size(), "%.0f", magnitude);
        exact.resize(static_cast<size_t>(length));
        return exact;
    }
    return digits.substr(0, whole) + "." + digits.substr(whole);
}

std::string scientific_form(const std::string& digits, int power)
{
    std::string text = digits.substr(0, 1);
    if (digits.size() > 1) text += "." + digits.substr(1);
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "e%c%02d", power < 0 ? '-' : '+', std::abs(power));
    return text + exponent;
}

}  // namespace

std::string portable_shortest_text(double value, bool fixed_only)
{
    if (!std::isfinite(value)) return non_finite_text(value);
    const std::string sign = std::signbit(value) ? "-" : "";
    if (value == 0.0) return sign + "0";
    std::string digits;
    int power = 0;
    shortest_digits(value, digits, power);
    const std::string fixed = fixed_form(std::fabs(value), digits, power);
    if (fixed_only) return sign + fixed;
    const std::string scientific = scientific_form(digits, power);
    return sign + (scientific.size() < fixed.size() ? scientific : fixed);
}

// The WebAssembly build's library has no floating-point to_chars or from_chars.
#if defined(__EMSCRIPTEN__)

std::string shortest_text(double value) { return portable_shortest_text(value, false); }
std::string shortest_fixed_text(double value) { return portable_shortest_text(value, true); }

bool read_decimal(std::string_view written, double* value)
{
    const std::string text(written);
    if (text.empty() || text[0] == '+' || std::isspace(static_cast<unsigned char>(text[0])))
        return false;
    char* end = nullptr;
    errno = 0;
    const double read = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || errno == ERANGE) return false;
    *value = read;
    return true;
}

#else

std::string shortest_text(double value)
{
    char text[number_room];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
    return std::string(text, end.ptr);
}

std::string shortest_fixed_text(double value)
{
    char text[fixed_room];
    const std::to_chars_result end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    return std::string(text, end.ptr);
}

bool read_decimal(std::string_view written, double* value)
{
    const std::from_chars_result end =
        std::from_chars(written.data(), written.data() + written.size(), *value);
    return end.ec == std::errc() && end.ptr == written.data() + written.size();
}

#endif

std::string scientific_text(double value, int decimals)
{
    char text[number_room];
    std::snprintf(text, sizeof text, "%.*e", decimals, value);
    return text;
}
