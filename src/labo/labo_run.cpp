// The teaching edition's runs: a lesson read, a run started from it, stepped
// at the clock's pace, judged after every step and recorded row by row.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

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

constexpr double no_press = -1.0;
constexpr const char* figure_tool = "tools/plot_run.py";  // relative to the working folder

Motion current_motion()
{
    const SimulationState& s = simulation;
    return Motion{s.x, s.y, s.z, s.xp, s.yp, s.zp};
}

HistorySample sample_now()
{
    const SimulationState& s = simulation;
    const Motion m = current_motion();
    return HistorySample{s.temps, s.x, s.y, s.z, port_distance(m), chaser_speed(s.xp, s.yp, s.zp)};
}

// Keeps every other sample once the history is full: a long run keeps its
// whole shape at half the detail instead of growing without bound.
void keep_history(const HistorySample& sample)
{
    std::vector<HistorySample>& h = labo.history;
    if (h.size() >= max_history) {
        size_t kept = 0;
        for (size_t i = 0; i < h.size(); i += 2) h[kept++] = h[i];
        h.resize(kept);
    }
    h.push_back(sample);
}

void mark_presses(double fx, double fy, double fz)
{
    const SimulationState& s = simulation;
    const double thrust[3] = {fx, fy, fz};
    for (int axis = 0; axis < 3; ++axis) {
        if (thrust[axis] != 0.0) labo.presses.push_back(PressMark{s.temps, s.x, s.y, axis});
    }
}

int fuel_used()
{
    const int used = labo.lesson.fuel - simulation.reserve;
    return used > 0 ? used : 0;
}

// The classic verdict's rules under the lesson's limits: a contact freezes the
// run, and any verdict ends it here.
void judge_step()
{
    SimulationState& s = simulation;
    const Outcome decided = decide_outcome(s.x, s.y, s.z, s.xp, s.yp, s.zp, labo.lesson.limits);
    if (decided == outcome_none) return;
    record_outcome(decided);
    labo.ended = true;
    labo.end = RunEnd{decided, current_motion(), labo.lesson.limits, fuel_used(),
                      s.temps - labo.history.front().t};
}

RecordRow row_now(double fx, double fy, double fz)
{
    const SimulationState& s = simulation;
    const Motion m = current_motion();
    return RecordRow{
        s.temps,  m, fx, fy, fz, s.reserve, port_distance(m), chaser_speed(s.xp, s.yp, s.zp),
        s.outcome};
}

// Draws the finished record's figure beside it, in the background: matplotlib
// takes a second or two to start, and the window must not wait for it.
void start_figure(const std::string& record_path)
{
    if (access(figure_tool, X_OK) != 0) {
        labo.figure_note = std::string(u8"pas de figure : ") + figure_tool + " absent";
        return;
    }
    // Record names hold only letters, digits, '_', '-', '.' and '/': safe within quotes.
    const std::string command =
        std::string(figure_tool) + " '" + record_path + "' >/dev/null 2>&1 &";
    const int ignored = std::system(command.c_str());
    (void)ignored;
    labo.figure_note = std::filesystem::path(record_path).replace_extension(".png").string();
}

void step_once()
{
    SimulationState& s = simulation;
    const double fx = s.fx, fy = s.fy, fz = s.fz;
    mark_presses(fx, fy, fz);
    step_simulation();
    judge_step();
    write_record_row(labo.record, row_now(fx, fy, fz));
    keep_history(sample_now());
    if (labo.ended) {
        const bool recorded = static_cast<bool>(labo.record.file);
        finish_record(verdict_reason(labo.end));
        if (recorded) start_figure(labo.record.path);
    }
}

void open_record()
{
    std::string why;
    if (open_run_record(labo.record, runs_folder, lesson_name(), labo.lesson, &why)) {
        labo.record_note = labo.record.path;
    } else {
        labo.record_note = why;
    }
}

}  // namespace

std::string lesson_name() { return std::filesystem::path(labo.lesson_path).stem().string(); }

void finish_record(const std::string& reason)
{
    if (labo.record.file) close_run_record(labo.record, reason);
}

void restart_lesson()
{
    if (!labo.loaded) return;
    finish_record(u8"interrompu : nouvelle remise à zéro");
    simulation.omega_stash = -1.0;
    scenario = labo.lesson.values;
    start_run(labo.lesson_path.c_str());
    simulation.reserve = labo.lesson.fuel;
    restart_pacing(labo.pacing);
    labo.history.clear();
    labo.presses.clear();
    labo.history.push_back(sample_now());
    labo.last_press_time = no_press;
    labo.ended = false;
    labo.end = RunEnd{};
    labo.figure_note.clear();
    open_record();
    write_record_row(labo.record, row_now(0.0, 0.0, 0.0));
    update_prediction();
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
    labo.lesson = read.lesson;
    labo.lesson_path = path;
    labo.loaded = true;
    labo.chooser_shown = false;
    restart_lesson();
    return true;
}

bool run_is_flowing()
{
    return labo.loaded && !labo.ended && simulation.paused == 0 && !labo.chooser_shown;
}

bool advance_run(double now)
{
    const int due = steps_due(labo.pacing, now, step_interval, !run_is_flowing());
    for (int i = 0; i < due && !labo.ended; ++i) step_once();
    if (due > 0) update_prediction();
    return due > 0;
}

void toggle_pause()
{
    simulation.paused = simulation.paused != 0 ? 0 : 1;
    restart_pacing(labo.pacing);
}

void toggle_chooser()
{
    labo.chooser_shown = !labo.chooser_shown;
    restart_pacing(labo.pacing);
}

void after_press()
{
    cut_off_fuel();
    labo.last_press_time = simulation.temps;
    update_prediction();
}

void update_prediction()
{
    const SimulationState& s = simulation;
    const Motion start = with_pending_thrust(current_motion(), s.fx, s.fy, s.fz, s.interval);
    labo.prediction = predict_coast(start, scenario.Omega, scenario.trois,
                                    prediction_horizon(scenario.Omega), coast_samples);
}
