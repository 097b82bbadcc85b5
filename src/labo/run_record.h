// Run records for lab reports: every run, from a reset to its verdict or the
// next reset, written as CSV, one row per step. tools/plot_run.py draws one.
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
    std::string path;  // where it is written
    long rows = 0;     // rows written so far
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
// Opens a new record in `folder` (created when missing) named after the clock
// and the scenario (e.g. "2026-12-09_10-31-05_fo2.csv", never reusing a name),
// writes its comment lines ('#': scenario, title, Omega, trois, limits, fuel)
// and the column line. Returns false, with a French message in *why, when the
// file cannot be made.
bool open_run_record(RunRecord& record, const std::string& folder, const std::string& scenario_name,
                     const Lesson& lesson, std::string* why);
// Appends one row; nothing when the record is not open.
void write_record_row(RunRecord& record, const RecordRow& row);
// Writes the closing comment line with the verdict's reason and closes the file.
void close_run_record(RunRecord& record, const std::string& reason);

#endif
