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
//
// A record that cannot be written to its end (a full disk, a file system made
// read-only) stops at the first failed write and, when there is room, ends with
//   # verdict: inacheve; relevé arrêté : disque plein
// on a line of its own (a row cut by the failure is never continued). Nothing
// more is written to it; the reason is printed once on the error stream and
// kept in RunRecord::failure for the window.
//
// Beside each record, a spreadsheet copy (".tableur.csv") that a French
// spreadsheet opens with one value per cell: a UTF-8 byte order mark, ';'
// between cells, decimal commas, numbers rounded to 6 significant digits and
// never in exponent form, the case in a short block above the rows:
//   programme;scénario;titre;unités        then their values on the next line
//   dt;trois;Omega;...;planificateur       then their values on the next line
//   (empty line)
//   temps (ut);x (ul);...;verdict          then one row per step
//   (empty line)
//   verdict;arrime;<reason>                (inacheve when the record stopped)
#ifndef ORVANEL_LABO_RUN_RECORD_H
#define ORVANEL_LABO_RUN_RECORD_H

#include <cstdio>
#include <memory>
#include <string>

#include <sys/types.h>
#include <unistd.h>

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

// How a record's bytes reach a file: POSIX write() unless a test puts a writer
// that fails, to play a full disk. Returns the bytes written, or -1 with errno.
using RecordWriter = ssize_t (*)(int descriptor, const void* bytes, size_t count);

// An open record and its spreadsheet copy; both closed when the record goes.
// Both are written with the writer on their descriptors, never through stdio's
// buffer, so that every byte's fate is known at once.
struct RunRecord {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file{nullptr, &std::fclose};   // exact CSV
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> sheet{nullptr, &std::fclose};  // its copy
    std::string path;                // where the exact CSV is (or was to be) written
    std::string sheet_path;          // where its spreadsheet copy is written
    long rows = 0;                   // rows written so far
    Outcome outcome = outcome_none;  // the verdict of the last row, for the closing line
    // Why the record could not be made or was stopped before its end, in French
    // ("impossible de créer « runs/x.csv » : permission refusée", "disque plein");
    // empty while every write has succeeded. Set once; the files are closed then.
    std::string failure;
    RecordWriter writer = &::write;  // kept when the record is opened again
};

// ---------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------

extern const char* const runs_folder;  // "runs", relative to the working folder
// The column line, with units: "temps (ut),x (ul),y (ul),..." as written.
extern const char* const record_columns;
extern const char* const sheet_suffix;     // ".tableur.csv", replacing ".csv"
extern const char* const unfinished_word;  // "inacheve", the closing verdict of a stopped record

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------

// French words for an errno value: "disque plein" (ENOSPC, EDQUOT),
// "permission refusée" (EACCES, EPERM, EROFS), ...
std::string french_error(int code);
// Distance from the chaser to the docking port (0, -1.5, 0).
double port_distance(const Motion& at);
// The word written in the verdict column: "en_cours", "collision", "trop_vite",
// "arrime", "perdu".
const char* outcome_word(Outcome outcome);
// Opens a new record in `folder` (created when missing) named after the local
// clock and the scenario (e.g. "2026-12-09_10-31-05_fo2.csv"; a name already
// taken gets "-2", "-3", ...: no file is ever overwritten) and its spreadsheet
// copy ("..._fo2.tableur.csv"), writes their heads. scenario_name may be the
// scenario file's path: its stem is used, letters (accented ones too), digits,
// '_' and '-' kept, every other character made '_'. A record still open is
// closed first, without a reason. Returns false, with a French message and its
// reason in *why (when why is not null) and in record.failure, printed once on
// the error stream, when the files cannot be made or their heads written.
bool open_run_record(RunRecord& record, const std::string& folder, const std::string& scenario_name,
                     const Lesson& lesson, std::string* why);
// Appends one row to both files; nothing when the record is not open. A write
// that fails stops the record (see above).
void write_record_row(RunRecord& record, const RecordRow& row);
// Writes the closing line "# verdict: <outcome_word of the last row>; <reason>"
// (and the copy's closing row) and closes both files, checking the close;
// nothing when the record is not open.
void close_run_record(RunRecord& record, const std::string& reason);
// True when the record has been written to its end and closed with its verdict.
bool record_is_complete(const RunRecord& record);

#endif
