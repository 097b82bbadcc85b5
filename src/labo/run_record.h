// Run records for lab reports: every run, from a reset to its verdict or the
// next reset, written as CSV, one row per step. tools/plot_run.py draws one.
//
// A record is UTF-8 text: comment lines "# key: value", the column line, one
// row per step, and a closing comment line:
//   # programme: Orvanel Labo
//   # scenario: fo2                    the name part of the file name
//   # titre: <the lesson's title, possibly empty>
//   # unites: ul et ut, unités de longueur et de temps du scénario
//   # dt: 0.005                        one line each, in this order, for dt, trois,
//   ...                                Omega, X0, Y0, Z0, Xp0, Yp0, Zp0, p,
//   # tolerance: 0.1                   vitesse_max and tolerance
//   # carburant: <presses at the reset>
//   # planificateur: oui             or "non" when the lesson turned the planner off
//   temps (ut),x (ul),y (ul),z (ul),xp (ul/ut),...,verdict      (record_columns)
//   0.05,0,-19.999,...,en_cours
//   # verdict: arrime; <reason>        (just "# verdict: arrime" without a reason)
// Numbers use '.' and ',' separates the columns; each is written in the
// shortest form that reads back as exactly the value held (any locale).
#ifndef ORVANEL_LABO_RUN_RECORD_H
#define ORVANEL_LABO_RUN_RECORD_H

#include <cstdio>
#include <memory>
#include <string>

#include "lesson.h"
#include "prediction.h"
#include "simulation.h"

// ---------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------

// One row: the state after a step and the thrust that step applied.
struct RecordRow {
    double t = 0.0;  // simulated time since the reset
    Motion motion;
    double fx = 0.0, fy = 0.0, fz = 0.0;  // thrust acceleration during the step
    int fuel = 0;                         // presses left
    double port_distance = 0.0;           // to the docking port (0, -1.5, 0)
    double speed = 0.0;
    Outcome outcome = outcome_none;
};

// An open record file; closed when the record goes.
struct RunRecord {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file{nullptr, &std::fclose};
    std::string path;                // where it is written
    long rows = 0;                   // rows written so far
    Outcome outcome = outcome_none;  // the verdict of the last row, for the closing line
};

// ---------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------

extern const char* const runs_folder;  // "runs", relative to the working folder
// The column line, with units: "temps (ut),x (ul),y (ul),..." as written.
extern const char* const record_columns;

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------

// Distance from the chaser to the docking port (0, -1.5, 0).
double port_distance(const Motion& at);
// The word written in the verdict column: "en_cours", "collision", "trop_vite",
// "arrime", "perdu".
const char* outcome_word(Outcome outcome);
// Opens a new record in `folder` (created when missing) named after the local
// clock and the scenario (e.g. "2026-12-09_10-31-05_fo2.csv"; a name already
// taken gets "-2", "-3", ...: no file is ever overwritten), writes its comment
// lines and the column line. scenario_name may be the scenario file's path: its
// stem is used, each character outside [A-Za-z0-9_-] made '_'. A record still
// open is closed first, without a reason. Returns false, with a French message
// in *why (when why is not null), when the file cannot be made.
bool open_run_record(RunRecord& record, const std::string& folder, const std::string& scenario_name,
                     const Lesson& lesson, std::string* why);
// Appends one row and flushes it; nothing when the record is not open.
void write_record_row(RunRecord& record, const RecordRow& row);
// Writes the closing line "# verdict: <outcome_word of the last row>; <reason>"
// and closes the file; nothing when the record is not open.
void close_run_record(RunRecord& record, const std::string& reason);

#endif
