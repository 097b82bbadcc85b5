// Orvanel Labo, the teaching edition: the classic simulation, verdict, models
// and keys, with pacing, prediction, plots, an explained verdict, teacher files
// and run records added on top. One LaboState for the whole program, changed
// only on the GLUT thread.
#ifndef ORVANEL_LABO_H
#define ORVANEL_LABO_H

#include <string>
#include <vector>

#include "lesson.h"
#include "pacing.h"
#include "prediction.h"
#include "run_record.h"
#include "verdict_reason.h"

// ---------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------

// One of the cases shipped in data/, as the chooser offers it.
struct ShippedCase {
    const char* path;     // relative to the working folder
    const char* title;    // one short line
    const char* teaches;  // what the case shows a student
};

// The chaser's state after one step, kept for the plots.
struct HistorySample {
    double t = 0.0;
    double x = 0.0, y = 0.0, z = 0.0;
    double port_distance = 0.0;
    double speed = 0.0;
};

// A thrust press, where and when the step applied it.
struct PressMark {
    double t = 0.0;
    double x = 0.0, y = 0.0;
    int axis = 0;  // 0 radial (x), 1 along the track (y), 2 out of the plane (z)
};

struct LaboState {
    // The lesson being flown.
    bool loaded = false;  // a lesson has been read and a run started
    Lesson lesson;
    std::string lesson_path;  // the file it came from
    std::string load_error;   // why the last file asked for was refused; shown in the chooser

    // The run since the last reset.
    Pacing pacing;
    std::vector<HistorySample> history;  // one per step, the start included
    std::vector<PressMark> presses;
    std::vector<CoastPoint> prediction;  // the coast from the current state
    double last_press_time = -1.0;       // simulated time of the last press; < 0: none yet
    bool ended = false;                  // a verdict has been taken
    RunEnd end;                          // the verdict and its facts, once ended
    RunRecord record;
    std::string record_note;  // where the record goes, or why it cannot be written
    std::string figure_note;  // the figure drawn from the finished record, or why none

    // What the window shows.
    bool chooser_shown = true;
    bool help_shown = false;
    int settle_frames = 0;  // frames still to draw after an input event
};

extern LaboState labo;

// ---------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------

constexpr int shipped_case_count = 6;
extern const ShippedCase shipped_cases[shipped_case_count];
constexpr size_t max_history = 200000;  // samples kept for the plots; older ones thinned

// ---------------------------------------------------------------------------
// Runs (labo_run.cpp)
// ---------------------------------------------------------------------------

// Reads a lesson file and starts a run from it; on refusal keeps the current
// run, notes the message and shows the chooser.
bool choose_lesson(const std::string& path);
// Starts the current lesson again from its first state ('k').
void restart_lesson();
// Steps the run as far as the clock says; returns true when the state changed.
bool advance_run(double now);
// True while simulated time should flow (a lesson, no verdict, no pause, no chooser).
bool run_is_flowing();
// 'p' and the menu: pauses or resumes, time starting afresh either way.
void toggle_pause();
// 'c' and the menu: shows or hides the case chooser (the run waits while it shows).
void toggle_chooser();
// After a thrust press: fuel cut-off and a prediction showing the press's effect.
void after_press();
// Recomputes the predicted coast from the current state and pending thrust.
void update_prediction();
// Closes the run's record with the reason given (program end, new run).
void finish_record(const std::string& reason);
// The scenario name of the current lesson (its file's stem).
std::string lesson_name();

// ---------------------------------------------------------------------------
// Window (labo_window.cpp)
// ---------------------------------------------------------------------------

// GLUT, Dear ImGui, the window, the lesson named on the command line (else the
// chooser), the main loop.
[[noreturn]] void run_labo_window(int* argc, char** argv);
// Seconds on a steady clock.
double clock_seconds();

// ---------------------------------------------------------------------------
// Overlay (overlay.cpp, plots.cpp, world_layer.cpp)
// ---------------------------------------------------------------------------

// Builds this frame's panels: instruments, plots, verdict, chooser and help.
void build_overlay();
// The instrument panel: title, Omega, distance, speed and its limit, fuel, time
// since the last press, height out of the plane, speed factor, pause.
void build_instrument_panel();
// The orbital plane seen from above, and distance and speed over time.
void build_plots();
// The predicted coast in the 3D scene (modelview at the camera).
void draw_predicted_coast();

#endif
