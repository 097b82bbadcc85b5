// The cases shipped in data/, as every edition's chooser offers them: the
// file, a short title and what the case shows a student. A shipped case is
// titled in records and figures as the chooser titles it.
#ifndef ORVANEL_LABO_SHIPPED_CASES_H
#define ORVANEL_LABO_SHIPPED_CASES_H

#include <string>

struct ShippedCase {
    const char* path;     // relative to the working folder
    const char* title;    // one short line
    const char* teaches;  // what the case shows a student
};

constexpr int shipped_case_count = 6;
extern const ShippedCase shipped_cases[shipped_case_count];

// The shipped case read from `path`, or null for any other file.
const ShippedCase* find_shipped_case(const std::string& path);

#endif
