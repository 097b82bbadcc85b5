// The window's side of a run: a lesson chosen from the chooser or a file, its
// run started and stepped through labo_core, the figure drawn when it ends.
#include <cstdio>
#include <filesystem>

#include "folders.h"
#include "labo.h"
#include "simulation.h"

LaboState labo;

const ShippedCase shipped_cases[shipped_case_count] = {
    {"data/fo.in", u8"Sans orbite (Omega = 0)",
     u8"L'espace « vide » : on pousse vers la cible, on y va tout droit."},
    {"data/fo1.in", u8"Orbite lente (Omega = 0,10)",
     u8"Le même départ, mais l'orbite courbe déjà la trajectoire."},
    {"data/fo2.in", u8"Derrière la cible (Omega = 0,25)",
     u8"Pousser vers la cible fait monter puis reculer : la dérive de Hill."},
    {"data/fo3.in", u8"Un peu plus haut (Omega = 0,25)",
     u8"Au-dessus de l'orbite on dérive en arrière sans rien faire."},
    {"data/fo4.in", u8"Plus bas et en mouvement (Omega = 0,25)",
     u8"Une vitesse radiale de départ : lire la prédiction avant d'agir."},
    {"data/fo5.in", u8"Hors du plan (Omega = 0,25)",
     u8"Le mouvement hors du plan oscille une fois par orbite."},
};

namespace {

const ShippedCase* shipped_case(const std::string& path)
{
    for (const ShippedCase& shipped : shipped_cases)
        if (path == shipped.path) return &shipped;
    return nullptr;
}

// A fresh run's planner: the default aim and flight time until the student
// chooses others.
void reset_planner_choice()
{
    labo.planner.aim_set = false;
    labo.planner.flight_time = default_flight_time(scenario.Omega);
}

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
    const ShippedCase* shipped = shipped_case(path);
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

PlanRequest planner_request()
{
    PlanRequest r;
    r.now = current_motion();
    r.queue = labo.run.queue;
    r.Omega = scenario.Omega;
    r.trois = scenario.trois;
    r.interval = step_interval;
    r.aim_x = labo.planner.aim_set ? labo.planner.aim_x : 0.0;
    r.aim_y = labo.planner.aim_set ? labo.planner.aim_y : port_y - aim_before_port;
    r.aim_z = 0.0;
    r.flight_time = labo.planner.flight_time;
    r.press_change = press_change(labo.run);
    r.tolerance = labo.run.lesson.limits.tolerance;
    return r;
}
