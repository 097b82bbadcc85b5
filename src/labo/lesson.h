// Teacher-friendly scenario files. The classic eleven-item format is read as it
// is; besides it a file may hold comments ('#' to the end of the line), blank
// lines, spaces around '=', keys in any order, a decimal comma, and the keys
// titre, carburant, vitesse_max and tolerance. A file that cannot be used is
// refused as a whole with one message naming the line and the key.
//
// The format, line by line (lines end in LF, CR LF or a lone CR; a UTF-8 byte
// order mark at the start is skipped; spaces and tabs around every part are ignored):
//   - a blank line, or a line whose first visible character is '#': ignored;
//   - key = value, the key matched ignoring case ("omega" is Omega), each key once:
//       dt, nx, trois, Omega, X0, Y0, Z0, Xp0, Yp0, Zp0, p   all eleven required;
//       titre        free text: the whole rest of the line, '#' included;
//       carburant    presses of fuel, a whole number from 0 to max_lesson_fuel;
//       vitesse_max  docking speed limit, above 0;
//       tolerance    port tolerance, above 0 and at most contact_half_width;
//       planificateur  oui or non: whether the burn planner may be used;
//     on a line other than titre, '#' anywhere after the '=' starts a comment;
//     several items may share a line, separated by spaces, as the classic
//     format allows ("dt=0.005 nx=500 trois=3 ..."); a titre takes the rest of it.
// Numbers: an optional sign, digits with at most one '.' or ',' and an optional
// exponent ("-1,5e-3"); never nan, inf or hexadecimal; read the same in every
// locale. nx is a whole number from min_trail_length to max_trail_length without
// a leading zero (the classic reader takes "010" as octal); dt is at least min_dt
// and at most step_interval (a longer sub-step would never be taken, and the run
// would stand still); every number is finite. Where the classic reader brings a value into range,
// this one refuses it: the teacher sees the mistake.
// The file must be UTF-8 text: a NUL or other control byte (tab aside) or a byte
// sequence that is not UTF-8 refuses it, naming the line it is on.
//
// Messages are French sentences such as
//   "ligne 4 : « Omega » : « 0,2,5 » n'est pas un nombre."
//   "ligne 9 : « Omega » : déjà donnée ligne 4."
//   "ligne 3 : « Omgea » : clé inconnue ; vouliez-vous dire « Omega » ?"
// Refusals that concern no single line (a missing item, an empty file, a file
// too big, one that cannot be opened) have line 0 and no "ligne" prefix: a missing
// item is named ("« Omega » manque : ..."); the first missing in file order.
// Known keys are named as listed above, whatever case the file wrote them in.
#ifndef ORVANEL_LABO_LESSON_H
#define ORVANEL_LABO_LESSON_H

#include <string>

#include "simulation.h"

// ---------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------

// Everything a run of the teaching edition starts from.
struct Lesson {
    Scenario values;              // the eleven classic items, all required
    std::string title;            // "titre"; empty when the file gives none
    int fuel = initial_reserve;   // "carburant": presses of fuel after a reset
    VerdictLimits limits;         // "vitesse_max" and "tolerance"
    bool planner_allowed = true;  // "planificateur": oui, or non for a graded exercise
};

// Why a file was refused.
struct LessonError {
    int line = 0;         // 1-based line the message is about; 0 when none fits
    std::string key;      // the key concerned (as listed above; as written when
                          // unknown), or empty
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

// Reads a lesson from the text of a file. Before reading, dt and p hold the
// classic reset's default_dt and default_thrust (every file must give them anyway).
LessonRead parse_lesson(const std::string& text);
// Reads a lesson from a file; a missing, unreadable, non-regular or oversized
// file is refused with a message that names it (without blocking on a FIFO);
// the text of a readable file gets parse_lesson's messages, which name no file.
LessonRead read_lesson_file(const std::string& path);

#endif
