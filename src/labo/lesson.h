// Teacher-friendly scenario files. The classic eleven-item format is read as it
// is; besides it a file may hold comments ('#' to the end of the line), blank
// lines, spaces around '=', keys in any order, a decimal comma, and the keys
// titre, carburant, vitesse_max and tolerance. A file that cannot be used is
// refused as a whole with one message naming the line and the key.
#ifndef ORVANEL_LABO_LESSON_H
#define ORVANEL_LABO_LESSON_H

#include <string>

#include "simulation.h"

// ---------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------

// Everything a run of the teaching edition starts from.
struct Lesson {
    Scenario values;             // the eleven classic items, all required
    std::string title;           // "titre"; empty when the file gives none
    int fuel = initial_reserve;  // "carburant": presses of fuel after a reset
    VerdictLimits limits;        // "vitesse_max" and "tolerance"
};

// Why a file was refused.
struct LessonError {
    int line = 0;         // 1-based line the message is about; 0 when none fits
    std::string key;      // the key concerned, or empty
    std::string message;  // one French sentence naming the line and the key
};

// The outcome of reading a file: a lesson, or the reason it was refused.
struct LessonRead {
    bool ok = false;
    Lesson lesson;      // meaningful when ok
    LessonError error;  // meaningful when !ok
};

// ---------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------

constexpr long long max_lesson_file_bytes = 65536;  // larger files are refused unread
constexpr int max_lesson_fuel = 100000;             // carburant above this is refused
constexpr int max_title_bytes = 200;                // longer titles are refused

// ---------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------

// Reads a lesson from the text of a file.
LessonRead parse_lesson(const std::string& text);
// Reads a lesson from a file; a missing, unreadable, non-regular or oversized
// file is refused with a message that names it.
LessonRead read_lesson_file(const std::string& path);

#endif
