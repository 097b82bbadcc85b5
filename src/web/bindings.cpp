// The page's handle on the C++ core (embind): a run started, paced, pressed,
// stepped and read; the planner; the numbers written as the core writes them.
// Nothing here decides anything: each call passes through to labo_core or sim.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "approach.h"
#include "planner.h"
#include "shipped_cases.h"
#include "simulation.h"
#include "web_labo.h"
#include "web_models.h"

using emscripten::val;

namespace {

// A JavaScript Float64Array holding a copy of `values`.
val float64_array(const std::vector<double>& values)
{
    const val view(emscripten::typed_memory_view(values.size(), values.data()));
    return val::global("Float64Array").new_(view);
}

val motion_object(const Motion& m)
{
    val o = val::object();
    o.set("x", m.x);
    o.set("y", m.y);
    o.set("z", m.z);
    o.set("xp", m.xp);
    o.set("yp", m.yp);
    o.set("zp", m.zp);
    return o;
}

// ---------------------------------------------------------------------------
// Choosing and starting
// ---------------------------------------------------------------------------

val case_list()
{
    val list = val::array();
    for (const ShippedCase& shipped : shipped_cases) {
        val entry = val::object();
        entry.set("path", std::string(shipped.path));
        entry.set("title", std::string(shipped.title));
        entry.set("teaches", std::string(shipped.teaches));
        list.call<void>("push", entry);
    }
    return list;
}

std::string start_case(int index)
{
    if (index < 0 || index >= shipped_case_count)
        return u8"il n'y a pas de cas " + std::to_string(index + 1) + u8" (les cas vont de 1 à " +
               std::to_string(shipped_case_count) + ").";
    return start_lesson(shipped_cases[index].path, shipped_cases[index].path);
}

void restart() { restart_web_run(); }

// ---------------------------------------------------------------------------
// Flying
// ---------------------------------------------------------------------------

bool press(int key) { return web.run.started && queue_press(web.run, key); }

int advance(double now_seconds, bool held)
{
    if (!web.run.started) return 0;
    const int taken = advance_lesson_run(web.run, now_seconds, held);
    if (taken > 0) note_records();
    return taken;
}

void step_once()
{
    if (!web.run.started) return;
    step_lesson_run(web.run);
    refresh_prediction(web.run);
    note_records();
}

// Bytes a record file may take (a test sets a small one).
void set_budget(double bytes)
{
    const double most = static_cast<double>(std::numeric_limits<size_t>::max());
    set_record_budget(bytes > 0 ? static_cast<size_t>(std::min(bytes, most)) : 0);
}

// A pause, a hidden tab or a chooser: the clock starts afresh when it ends.
// Wall seconds until the next step falls due (infinity when none will).
double seconds_to_next_step_now()
{
    return seconds_to_next_step(web.run.pacing, simulation.interval);
}

void hold_changed() { restart_pacing(web.run.pacing); }
void faster() { pace_faster(web.run.pacing); }
void slower() { pace_slower(web.run.pacing); }

// ---------------------------------------------------------------------------
// Reading the run
// ---------------------------------------------------------------------------

val offsets_object(const Motion& at)
{
    const ApproachOffsets o = approach_offsets(at, web.run.lesson.limits);
    val v = val::object();
    v.set("x", o.x);
    v.set("z", o.z);
    v.set("along", o.along);
    v.set("speed", o.speed);
    v.set("xWithin", o.x_within);
    v.set("zWithin", o.z_within);
    v.set("alongWithin", o.along_within);
    v.set("speedWithin", o.speed_within);
    return v;
}

val verdict_object()
{
    const RunEnd& end = web.run.end;
    val v = val::object();
    v.set("outcome", static_cast<int>(end.outcome));
    v.set("title", verdict_title(end.outcome));
    v.set("reason", verdict_reason(end));
    v.set("advice", verdict_advice(end));
    v.set("costs", verdict_costs(end));
    return v;
}

val record_object()
{
    const RunRecord& r = web.run.record;
    val v = val::object();
    v.set("path", r.path);
    v.set("sheetPath", r.sheet_path);
    v.set("complete", record_is_complete(r));
    v.set("note", web.run.record_note);
    v.set("failure", r.failure);
    return v;
}

val status()
{
    const LessonRun& run = web.run;
    const SimulationState& s = simulation;
    const Motion at = current_motion();
    val v = val::object();
    v.set("started", run.started);
    v.set("title", shown_title());
    v.set("name", run.name);
    v.set("time", s.temps);
    v.set("Omega", scenario.Omega);
    v.set("trois", scenario.trois);
    v.set("motion", motion_object(at));
    v.set("portDistance", port_distance(at));
    v.set("targetDistance", std::sqrt(at.x * at.x + at.y * at.y + at.z * at.z));
    v.set("lossDistance", std::sqrt(loss_radius_squared));
    v.set("speed", chaser_speed(s.xp, s.yp, s.zp));
    v.set("maxSpeed", run.lesson.limits.max_speed);
    v.set("tolerance", run.lesson.limits.tolerance);
    v.set("fuel", s.reserve);
    v.set("fuelStart", run.lesson.fuel);
    v.set("fuelUsed", fuel_used(run));
    v.set("waiting", static_cast<int>(run.queue.size()));
    const bool pressed = run.last_press_time >= 0.0;
    const double since = pressed ? s.temps - run.last_press_time : 0.0;
    v.set("pressed", pressed);
    v.set("sinceLastPress", since);
    v.set("sinceLastPressOrbits", since * std::fabs(scenario.Omega) / two_pi);
    v.set("offsets", offsets_object(at));
    v.set("closest", run.ended ? std::string() : closest_sentence(run.outlook));
    v.set("ahead", run.ended ? std::string() : outlook_sentence(run.outlook, run.lesson.limits));
    v.set("closestKnown", run.outlook.known && !run.ended);
    v.set("closestAt", motion_object(run.outlook.closest_at));
    v.set("speedLabel", speed_label(run.pacing));
    v.set("secondsToNextStep", seconds_to_next_step(run.pacing, s.interval));
    v.set("ended", run.ended);
    v.set("verdict", verdict_object());
    v.set("record", record_object());
    v.set("plannerAllowed", run.lesson.planner_allowed);
    return v;
}

// The classic trail, oldest first: x, y, z per entry.
val trail()
{
    const SimulationState& s = simulation;
    std::vector<double> points;
    const size_t size = s.trail_x.size();
    const int n = scenario.nx;
    if (n >= 2 && s.trail_y.size() == size && s.trail_z.size() == size &&
        static_cast<size_t>(n) < size) {
        points.reserve(3 * static_cast<size_t>(n));
        for (int i = 1; i <= n - 1; ++i) {
            points.push_back(s.trail_x[i]);
            points.push_back(s.trail_y[i]);
            points.push_back(s.trail_z[i]);
        }
    }
    return float64_array(points);
}

// Samples from `from` on: t, x, y, z, port distance, speed per sample.
val history_since(int from)
{
    const std::vector<HistorySample>& h = web.run.history;
    std::vector<double> values;
    if (from < 0) from = 0;
    for (size_t i = static_cast<size_t>(from); i < h.size(); ++i) {
        const HistorySample& e = h[i];
        values.insert(values.end(), {e.t, e.x, e.y, e.z, e.port_distance, e.speed});
    }
    return float64_array(values);
}

int history_count() { return static_cast<int>(web.run.history.size()); }

// t, x, y, axis per applied press.
val press_marks()
{
    std::vector<double> values;
    for (const PressMark& m : web.run.presses)
        values.insert(values.end(), {m.t, m.x, m.y, static_cast<double>(m.axis)});
    return float64_array(values);
}

// t, x, y, z per point of a coast.
val coast_points(const std::vector<CoastPoint>& points)
{
    std::vector<double> values;
    values.reserve(4 * points.size());
    for (const CoastPoint& p : points)
        values.insert(values.end(), {p.t, p.motion.x, p.motion.y, p.motion.z});
    return float64_array(values);
}

val prediction()
{
    return coast_points(web.run.ended ? std::vector<CoastPoint>{} : web.run.prediction);
}

// ---------------------------------------------------------------------------
// The planner
// ---------------------------------------------------------------------------

void aim_at(double x, double y)
{
    web.planner.aim_set = true;
    web.planner.aim_x = x;
    web.planner.aim_y = y;
}

void aim_default() { web.planner.aim_set = false; }
void set_flight_time(double t) { web.planner.flight_time = t; }
double choose_economical_flight_time()
{
    web.planner.flight_time = economical_flight_time(plan_request(web.run, web.planner));
    return web.planner.flight_time;
}

val change_array(const VelocityChange& c)
{
    val a = val::array();
    for (double component : c) a.call<void>("push", component);
    return a;
}

val plan()
{
    const PlanRequest request = plan_request(web.run, web.planner);
    const BurnPlan p = plan_transfer(request);
    val v = val::object();
    v.set("ok", p.ok);
    v.set("refusal", p.refusal);
    v.set("note", p.note);
    v.set("aimX", request.aim_x);
    v.set("aimY", request.aim_y);
    v.set("flightTime", request.flight_time);
    v.set("defaultFlightTime", default_flight_time(scenario.Omega));
    v.set("flightOrbits", request.flight_time * std::fabs(scenario.Omega) / two_pi);
    v.set("presses", presses_text(p.presses));
    v.set("change", change_array(p.change));
    v.set("miss", p.miss);
    v.set("roundingMiss", p.rounding_miss);
    v.set("pressChange", request.press_change);
    v.set("arrivalSpeed", chaser_speed(p.arrival.xp, p.arrival.yp, p.arrival.zp));
    v.set("arrivalPresses", presses_text(p.arrival_presses));
    v.set("arrivalChange", change_array(p.arrival_change));
    v.set("path", coast_points(p.path));
    return v;
}

val limits_object()
{
    val v = val::object();
    v.set("contactHalfLength", contact_half_length);
    v.set("contactHalfWidth", contact_half_width);
    v.set("portY", port_y);
    v.set("economyShortest", economy_shortest);
    v.set("economyLongest", economy_longest);
    v.set("outcomeDocked", static_cast<int>(outcome_docked));
    v.set("keyLeft", key_thrust_left);
    v.set("keyUp", key_thrust_up);
    v.set("keyRight", key_thrust_right);
    v.set("keyDown", key_thrust_down);
    v.set("keyPageUp", key_thrust_page_up);
    v.set("keyPageDown", key_thrust_page_down);
    return v;
}

}  // namespace

EMSCRIPTEN_BINDINGS(orvanel_labo)
{
    using emscripten::function;
    function("caseList", &case_list);
    function("startCase", &start_case);
    function("startGivenFile", &start_lesson);
    function("restart", &restart);
    function("press", &press);
    function("advance", &advance);
    function("stepOnce", &step_once);
    function("holdChanged", &hold_changed);
    function("setRecordBudget", &set_budget);
    function("secondsToNextStep", &seconds_to_next_step_now);
    function("faster", &faster);
    function("slower", &slower);
    function("status", &status);
    function("trail", &trail);
    function("historySince", &history_since);
    function("historyCount", &history_count);
    function("pressMarks", &press_marks);
    function("prediction", &prediction);
    function("aimAt", &aim_at);
    function("aimDefault", &aim_default);
    function("setFlightTime", &set_flight_time);
    function("chooseEconomicalFlightTime", &choose_economical_flight_time);
    function("plan", &plan);
    function("limits", &limits_object);
    function("decimalComma", &decimal_comma);
    function("modelMesh", &model_mesh);
}
