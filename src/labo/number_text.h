// Numbers written and read the same on every platform the core is built for.
// Records must read back as exactly the values held, and the browser's build
// must write them byte for byte as the desktop's. Where the standard library
// has floating-point to_chars and from_chars they are used; where it lacks
// them (the WebAssembly build's), a portable way gives the same text.
#ifndef ORVANEL_LABO_NUMBER_TEXT_H
#define ORVANEL_LABO_NUMBER_TEXT_H

#include <string>
#include <string_view>

// The shortest text that reads back as exactly `value`, in fixed or
// scientific form, whichever is shorter (fixed on a tie): "0.05", "1e-07".
std::string shortest_text(double value);
// The shortest text that reads back as exactly `value`, never with an exponent.
std::string shortest_fixed_text(double value);
// `value` in scientific form with `decimals` digits after the point, rounded
// to nearest: "1.23450e+00".
std::string scientific_text(double value, int decimals);
// Reads a decimal number (optional '-', digits, '.', exponent; no '+') that
// is the whole of `written`; false when it is not one or out of range.
bool read_decimal(std::string_view written, double* value);

// The portable way, built everywhere so that tests compare it with the
// standard library's: shortest digits found by rounding to more and more
// digits until the text reads back exactly.
std::string portable_shortest_text(double value, bool fixed_only);

#endif
