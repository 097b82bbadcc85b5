// Orvanel Labo, the teaching edition: the classic simulation, verdict, models
// and keys, with pacing, prediction, plots, an explained verdict, teacher files
// and run records added on top. One LaboState for the whole program, changed
// only on the GLUT thread.
#ifndef ORVANEL_LABO_H
#define ORVANEL_LABO_H

#include <string>
#include <vector>

#include "background_job.h"
#include "lesson_run.h"
#include "notices.h"
#include "planner.h"
#include "shipped_cases.h"

// ---------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------

struct LaboState {
    // The lesson being flown and its run.
    LessonRun run;
    std::string lesson_path;  // the file it came from
    std::string load_error;   // why the last file asked for was refused; shown in the chooser
    std::string figure_note;  // the figure drawn from the finished record, or why none
    PlannerChoice planner;
    BurnPlan plan;  // this frame's plan, when the planner is shown

    // What the window shows.
    bool chooser_shown = true;
    bool help_shown = false;
    int settle_frames = 0;            // frames still to draw after an input event
    std::vector<Notice> notices;      // the banner's messages, oldest first (notices.cpp)
    std::vector<BackgroundJob> jobs;  // figures and help pages still being made
};

extern LaboState labo;

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
// A thrust key: paid and queued unless the run cannot take it (chooser, verdict).
void press_thrust_key(int key);
// 'm' and the menu: shows or hides the planner (when the lesson allows it).
void toggle_planner();
// Sets the planner's aim to a point of the orbital plane (a click on the plot).
void aim_planner_at(double x, double y);
// The planner's request from the run's state and the student's choices.
PlanRequest planner_request();
// True when the lesson lets the planner be used.
bool planner_allowed();
// The lesson's title as shown: its own, else the chooser's, else its file's stem.
std::string lesson_title();

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
// The predicted coast, its closest approach and the planned path in the 3D
// scene (modelview at the camera).
void draw_predicted_coast();
// The approach view: the last units before the port from above and from behind.
void build_approach_view();
// The planner's window; computes this frame's plan.
void build_planner();
// Whether the planned path is to be drawn this frame.
bool plan_drawn();

#endif
