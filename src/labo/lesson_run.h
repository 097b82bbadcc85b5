// A run of the teaching edition, from its start to its verdict, free of any
// window: the presses queued and applied one per step, the steps paced by the
// clock, the verdict taken after every step under the lesson's limits, the
// record written row by row, the history kept for the plots, and the coast
// predicted with what it leads to. The desktop window and any other front end
// step a run through these operations alone, so they step it alike.
//
// A run drives the program's one SimulationState and Scenario (simulation.h);
// its own clock starts at 0 at every start and restart.
#ifndef ORVANEL_LABO_LESSON_RUN_H
#define ORVANEL_LABO_LESSON_RUN_H

#include <string>
#include <vector>

#include "approach.h"
#include "lesson.h"
#include "pacing.h"
#include "planner.h"
#include "prediction.h"
#include "run_record.h"
#include "verdict_reason.h"

// ---------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------

// The chaser after one step, kept for the plots.
struct HistorySample {
    double t = 0.0;                    // time since the run's start (ut)
    double x = 0.0, y = 0.0, z = 0.0;  // position (ul)
    double port_distance = 0.0;        // to the docking port (ul)
    double speed = 0.0;                // (ul/ut)
};

// A thrust press, where and when a step applied it.
struct PressMark {
    double t = 0.0;           // time since the run's start (ut)
    double x = 0.0, y = 0.0;  // position in the orbital plane (ul)
    int axis = 0;             // 0 radial (x), 1 along the track (y), 2 out of the plane (z)
};

// The planner as the student set it.
struct PlannerChoice {
    bool shown = false;               // its window is open
    bool aim_set = false;             // the student chose an aim (else the default one)
    double aim_x = 0.0, aim_y = 0.0;  // the aim in the orbital plane (ul)
    double flight_time = 0.0;         // ut; 0 until the run's default is taken
};

struct LessonRun {
    // What is flown.
    bool started = false;              // a lesson has been given and a run started
    Lesson lesson;                     // its title is the one shown and recorded
    std::string name;                  // the scenario's name in the record (its file's stem)
    std::string folder = runs_folder;  // where records go

    // The run since its start.
    Pacing pacing;
    std::vector<QueuedThrust> queue;     // presses made and paid for, not applied yet
    std::vector<HistorySample> history;  // one per step, the start included
    std::vector<PressMark> presses;      // one per applied press
    std::vector<CoastPoint> prediction;  // the coast from now, queued presses included
    CoastOutlook outlook;                // what that coast leads to
    double last_press_time = -1.0;       // when the last press was made (ut); < 0: none yet
    bool ended = false;                  // a verdict has been taken
    RunEnd end;                          // the verdict and its facts, once ended

    // Its record: opened at the first step, so a run in which no time passed
    // leaves none.
    RunRecord record;
    RecordRow first_row;        // the start, written when the record opens
    bool record_tried = false;  // opening was attempted for this run
    std::string record_note;    // the record's path, or why it cannot be written
};

// ---------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------

constexpr size_t max_history = 200000;    // samples kept for the plots; older ones thinned
extern const char* const restart_reason;  // closing line of a record cut by a restart

// ---------------------------------------------------------------------------
// Starting
// ---------------------------------------------------------------------------

// Starts a run of `lesson` (its title already chosen), named `name` in records;
// a record still open is closed as interrupted.
void start_lesson_run(LessonRun& run, const Lesson& lesson, const std::string& name);
// Starts the same lesson again from its first state, the clock at 0.
void restart_lesson_run(LessonRun& run);

// ---------------------------------------------------------------------------
// Flying
// ---------------------------------------------------------------------------

// A thrust key (GLUT special-key code): paid at once and queued; refused (false)
// after the verdict, without fuel, or for another key.
bool queue_press(LessonRun& run, int key);
// Steps the run as far as the clock reading `now` says (none while `held`: a
// pause, a chooser open); returns the steps taken.
int advance_lesson_run(LessonRun& run, double now, bool held);
// One step: the next queued press applied, the equations advanced, the verdict
// taken, the row recorded. Nothing once the run has ended.
void step_lesson_run(LessonRun& run);
// Recomputes the coast ahead and its outlook (after a press, a step, a change of Omega).
void refresh_prediction(LessonRun& run);

// ---------------------------------------------------------------------------
// Reading it
// ---------------------------------------------------------------------------

// The chaser now.
Motion current_motion();
// Presses used since the start.
int fuel_used(const LessonRun& run);
// The velocity change of one press (ul/ut): p over one interval; 0 without fuel.
double press_change(const LessonRun& run);

// ---------------------------------------------------------------------------
// Planning
// ---------------------------------------------------------------------------

// A fresh run's planner: the default aim and the default flight time for the
// current Omega, shown or not as before.
PlannerChoice fresh_planner_choice(bool shown);
// The planner's request from the run's state and the student's choices (the
// default aim, on the axis aim_before_port before the port, unless one was set).
PlanRequest plan_request(const LessonRun& run, const PlannerChoice& choice);

// ---------------------------------------------------------------------------
// Ending
// ---------------------------------------------------------------------------

// Closes the run's record with the reason given (program end, new run).
void finish_lesson_record(LessonRun& run, const std::string& reason);

#endif
