// A run of the teaching edition, stepped, judged and recorded.
#include "lesson_run.h"

#include "simulation.h"

const char* const restart_reason = "interrompu : nouvelle remise à zéro";

namespace {

constexpr double no_press = -1.0;

HistorySample sample_now()
{
    const SimulationState& s = simulation;
    const Motion m = current_motion();
    return HistorySample{s.temps, s.x, s.y, s.z, port_distance(m), chaser_speed(s.xp, s.yp, s.zp)};
}

// Keeps every other sample once the history is full: a long run keeps its
// whole shape at half the detail instead of growing without bound.
void keep_history(std::vector<HistorySample>& h, const HistorySample& sample)
{
    if (h.size() >= max_history) {
        size_t kept = 0;
        for (size_t i = 0; i < h.size(); i += 2) h[kept++] = h[i];
        h.resize(kept);
    }
    h.push_back(sample);
}

RecordRow row_now(double fx, double fy, double fz)
{
    const SimulationState& s = simulation;
    const Motion m = current_motion();
    return RecordRow{
        s.temps,  m, fx, fy, fz, s.reserve, port_distance(m), chaser_speed(s.xp, s.yp, s.zp),
        s.outcome};
}

int axis_of(const QueuedThrust& thrust)
{
    if (thrust.fx != 0.0) return 0;
    if (thrust.fy != 0.0) return 1;
    return 2;
}

// The thrust a key asks for, as the classic program reads it.
bool thrust_for_key(int key, double p, QueuedThrust& thrust)
{
    int axis = 0;
    double f = 0.0;
    if (!key_thrust(key, p, &axis, &f)) return false;
    double* const components[3] = {&thrust.fx, &thrust.fy, &thrust.fz};
    *components[axis] = f;
    return true;
}

// The next queued press becomes the thrust of the coming step.
void apply_next_press(LessonRun& run)
{
    if (run.queue.empty()) return;
    SimulationState& s = simulation;
    const QueuedThrust thrust = run.queue.front();
    run.queue.erase(run.queue.begin());
    s.fx = thrust.fx;
    s.fy = thrust.fy;
    s.fz = thrust.fz;
    run.presses.push_back(PressMark{s.temps, s.x, s.y, axis_of(thrust)});
}

// The classic verdict's rules under the lesson's limits: a contact freezes the
// run, and any verdict ends it here.
void judge_step(LessonRun& run)
{
    SimulationState& s = simulation;
    const Outcome decided = decide_outcome(s.x, s.y, s.z, s.xp, s.yp, s.zp, run.lesson.limits);
    if (decided == outcome_none) return;
    record_outcome(decided);
    run.ended = true;
    run.end = RunEnd{decided, current_motion(), run.lesson.limits, fuel_used(run), s.temps};
    run.queue.clear();
}

// The record opens at the first step: a run left before any time passed
// writes nothing.
void open_record_once(LessonRun& run)
{
    if (run.record_tried) return;
    run.record_tried = true;
    std::string why;
    if (open_run_record(run.record, run.folder, run.name, run.lesson, &why)) {
        run.record_note = run.record.path;
        write_record_row(run.record, run.first_row);
    } else {
        run.record_note = why;
    }
}

}  // namespace

Motion current_motion()
{
    const SimulationState& s = simulation;
    return Motion{s.x, s.y, s.z, s.xp, s.yp, s.zp};
}

int fuel_used(const LessonRun& run)
{
    const int used = run.lesson.fuel - simulation.reserve;
    return used > 0 ? used : 0;
}

double press_change(const LessonRun& run)
{
    (void)run;
    return simulation.reserve > 0 ? scenario.p * step_interval : 0.0;
}

void finish_lesson_record(LessonRun& run, const std::string& reason)
{
    if (run.record.file) close_run_record(run.record, reason);
}

void start_lesson_run(LessonRun& run, const Lesson& lesson, const std::string& name)
{
    finish_lesson_record(run, restart_reason);
    run.lesson = lesson;
    run.name = name;
    run.started = true;
    restart_lesson_run(run);
}

void restart_lesson_run(LessonRun& run)
{
    if (!run.started) return;
    finish_lesson_record(run, restart_reason);
    simulation.omega_stash = -1.0;
    scenario = run.lesson.values;
    start_run(run.name.c_str());
    // Each run has its own clock: the panel, the record and the figure count
    // from its start.
    simulation.temps = 0.0;
    simulation.reserve = run.lesson.fuel;
    restart_pacing(run.pacing);
    run.queue.clear();
    run.history.clear();
    run.presses.clear();
    run.history.push_back(sample_now());
    run.last_press_time = no_press;
    run.ended = false;
    run.end = RunEnd{};
    run.first_row = row_now(0.0, 0.0, 0.0);
    run.record_tried = false;
    run.record_note.clear();
    refresh_prediction(run);
}

bool queue_press(LessonRun& run, int key)
{
    QueuedThrust thrust;
    if (!run.started || run.ended || !thrust_for_key(key, scenario.p, thrust)) return false;
    if (simulation.reserve <= 0) return false;
    simulation.reserve -= 1;
    run.queue.push_back(thrust);
    run.last_press_time = simulation.temps;
    refresh_prediction(run);
    return true;
}

void step_lesson_run(LessonRun& run)
{
    if (!run.started || run.ended) return;
    SimulationState& s = simulation;
    apply_next_press(run);
    const double fx = s.fx, fy = s.fy, fz = s.fz;
    step_simulation();
    judge_step(run);
    open_record_once(run);
    write_record_row(run.record, row_now(fx, fy, fz));
    keep_history(run.history, sample_now());
    if (run.ended) finish_lesson_record(run, verdict_reason(run.end));
    // A record that could not be written to its end is never named as the run's.
    if (!run.record.failure.empty()) run.record_note = run.record.failure;
}

int advance_lesson_run(LessonRun& run, double now, bool held)
{
    const bool hold = held || !run.started || run.ended;
    const int due = steps_due(run.pacing, now, step_interval, hold);
    int taken = 0;
    for (; taken < due && !run.ended; ++taken) step_lesson_run(run);
    if (taken > 0) refresh_prediction(run);
    return taken;
}

void refresh_prediction(LessonRun& run)
{
    run.prediction = queued_coast(current_motion(), run.queue, scenario.Omega, scenario.trois,
                                  step_interval, prediction_horizon(scenario.Omega), coast_samples);
    run.outlook = look_ahead(run.prediction, scenario.Omega, scenario.trois, step_interval,
                             run.lesson.limits);
}

PlannerChoice fresh_planner_choice(bool shown)
{
    PlannerChoice choice;
    choice.shown = shown;
    choice.flight_time = default_flight_time(scenario.Omega);
    return choice;
}

PlanRequest plan_request(const LessonRun& run, const PlannerChoice& choice)
{
    PlanRequest r;
    r.now = current_motion();
    r.queue = run.queue;
    r.Omega = scenario.Omega;
    r.trois = scenario.trois;
    r.interval = step_interval;
    r.aim_x = choice.aim_set ? choice.aim_x : 0.0;
    r.aim_y = choice.aim_set ? choice.aim_y : port_y - aim_before_port;
    r.aim_z = 0.0;
    r.flight_time = choice.flight_time;
    r.press_change = press_change(run);
    r.tolerance = run.lesson.limits.tolerance;
    return r;
}
