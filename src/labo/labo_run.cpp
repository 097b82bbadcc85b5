// The window's side of a run: a lesson chosen from the chooser or a file, its
// run started and stepped through labo_core, the figure drawn when it ends.
#include <cstdio>
#include <filesystem>

#include "folders.h"
#include "labo.h"
#include "simulation.h"

LaboState labo;

namespace {

// A fresh run's planner: the default aim and flight time until the student
// chooses others.
void reset_planner_choice() { labo.planner = fresh_planner_choice(labo.planner.shown); }

}  // namespace

std::string lesson_title()
{
    if (!labo.run.lesson.title.empty()) return labo.run.lesson.title;
    return labo.run.name;
}

void restart_lesson()
{
    if (!labo.run.started) return;
    restart_lesson_run(labo.run);
    labo.figure_note.clear();
    reset_planner_choice();
}

bool choose_lesson(const std::string& path)
{
    LessonRead read = read_lesson_file(path);
    if (!read.ok) {
        // Messages about the text name its line; the file is named here.
        const std::string& message = read.error.message;
        labo.load_error =
            message.find(path) == std::string::npos ? path + " : " + message : message;
        std::fprintf(stderr, "orvanel-labo: %s\n", labo.load_error.c_str());
        labo.chooser_shown = true;
        return false;
    }
    labo.load_error.clear();
    // A shipped case is titled in the record and the figure as the chooser titles it.
    const ShippedCase* shipped = find_shipped_case(path);
    if (read.lesson.title.empty() && shipped != nullptr) read.lesson.title = shipped->title;
    labo.lesson_path = path;
    labo.chooser_shown = false;
    labo.figure_note.clear();
    labo.run.folder = records_folder();
    start_lesson_run(labo.run, read.lesson, std::filesystem::path(path).stem().string());
    reset_planner_choice();
    return true;
}

bool run_is_flowing()
{
    return labo.run.started && !labo.run.ended && simulation.paused == 0 && !labo.chooser_shown;
}

bool advance_run(double now)
{
    const bool was_ended = labo.run.ended;
    const int taken = advance_lesson_run(labo.run, now, !run_is_flowing());
    if (!was_ended && labo.run.ended && labo.run.record_note == labo.run.record.path &&
        !labo.run.record.path.empty()) {
        start_record_figure(labo.run.record.path);
    }
    return taken > 0;
}

void toggle_pause()
{
    simulation.paused = simulation.paused != 0 ? 0 : 1;
    restart_pacing(labo.run.pacing);
}

void toggle_chooser()
{
    labo.chooser_shown = !labo.chooser_shown;
    restart_pacing(labo.run.pacing);
}

void press_thrust_key(int key)
{
    if (labo.chooser_shown) return;
    queue_press(labo.run, key);
}

bool planner_allowed() { return labo.run.lesson.planner_allowed; }

void toggle_planner() { labo.planner.shown = !labo.planner.shown && planner_allowed(); }

void aim_planner_at(double x, double y)
{
    labo.planner.aim_set = true;
    labo.planner.aim_x = x;
    labo.planner.aim_y = y;
}

PlanRequest planner_request() { return plan_request(labo.run, labo.planner); }
