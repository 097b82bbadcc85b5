// The burn planner. The coast is linear in the state, so the position after
// time T is the free coast plus M v, where the columns of M are the positions
// reached from the origin with a unit velocity along each axis. The orbital
// plane and the out-of-plane motion do not mix: a 2 by 2 system for x, y and
// one equation for z.
#include "planner.h"

#include <algorithm>
#include <cmath>

#include "verdict_reason.h"

namespace {

// z already arriving this close to the aim needs no out-of-plane burn, even
// when the out-of-plane transition is singular (ul).
constexpr double z_already_there = 1e-6;

const char* const positive_keys[3] = {"→", "↑", "Page préc."};
const char* const negative_keys[3] = {"←", "↓", "Page suiv."};

std::string orbit_fraction(double t, double Omega)
{
    if (!std::isfinite(Omega) || Omega == 0.0) return "";
    return " (" + decimal_comma(t * std::fabs(Omega) / two_pi, 2) + " orbite)";
}

BurnPlan refused(const std::string& why)
{
    BurnPlan plan;
    plan.refusal = why;
    return plan;
}

Motion unit_velocity(int axis)
{
    Motion m;
    if (axis == 0) m.xp = 1.0;
    if (axis == 1) m.yp = 1.0;
    if (axis == 2) m.zp = 1.0;
    return m;
}

PressCounts whole_presses(const VelocityChange& change, double press_change)
{
    PressCounts counts{};
    for (size_t i = 0; i < counts.size(); ++i) {
        const double presses = std::round(change[i] / press_change);
        counts[i] = static_cast<int>(
            std::clamp<double>(presses, -most_planned_presses, most_planned_presses));
    }
    return counts;
}

QueuedThrust press_thrust(size_t axis, int sign, double press_change, double interval)
{
    QueuedThrust thrust;
    const double f = sign * press_change / interval;
    if (axis == 0) thrust.fx = f;
    if (axis == 1) thrust.fy = f;
    if (axis == 2) thrust.fz = f;
    return thrust;
}

double distance_from(const Motion& m, const PlanRequest& r)
{
    const double dx = m.x - r.aim_x, dy = m.y - r.aim_y, dz = m.z - r.aim_z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Where the new presses start: after those already waiting, one per interval.
Motion start_of_new_presses(const PlanRequest& r, double start_time)
{
    if (r.queue.empty()) return r.now;
    const std::vector<CoastPoint> waiting =
        queued_coast(r.now, r.queue, r.Omega, r.trois, r.interval, 0.0, 1);
    return coast_at(waiting, r.Omega, r.trois, start_time);
}

// The exact velocity change at `start` to reach the aim after `flight`;
// false, with the reason, when no transfer exists. Where z arrives whatever
// the burn but within the tolerance, the plan leaves z alone and says so.
bool solve_change(const PlanRequest& r, const Motion& start, double flight, VelocityChange& change,
                  std::string& why, std::string& note)
{
    const Motion drift = coast(start, r.Omega, r.trois, flight);
    const Motion mx = coast(unit_velocity(0), r.Omega, r.trois, flight);
    const Motion my = coast(unit_velocity(1), r.Omega, r.trois, flight);
    const Motion mz = coast(unit_velocity(2), r.Omega, r.trois, flight);
    const double ex = r.aim_x - drift.x, ey = r.aim_y - drift.y, ez = r.aim_z - drift.z;
    const double det = mx.x * my.y - my.x * mx.y;
    const double largest =
        std::max({std::fabs(mx.x), std::fabs(my.x), std::fabs(mx.y), std::fabs(my.y)});
    const double scale = largest * largest;
    if (!std::isfinite(det) || !(std::fabs(det) > singular_transition * scale)) {
        why = "Pour une durée de " + decimal_comma(r.flight_time, 1) + " ut" +
              orbit_fraction(r.flight_time, r.Omega) +
              ", la dérive ramène tous les départs au même endroit du plan : aucune poussée "
              "ne choisit l'arrivée. Choisissez une autre durée.";
        return false;
    }
    change[0] = (ex * my.y - my.x * ey) / det;
    change[1] = (mx.x * ey - ex * mx.y) / det;
    if (std::fabs(mz.z) > singular_transition * flight) {
        change[2] = ez / mz.z;
    } else if (std::fabs(ez) < z_already_there) {
        change[2] = 0.0;
    } else if (std::fabs(ez) < r.tolerance) {
        change[2] = 0.0;
        note = "À cette durée" + orbit_fraction(r.flight_time, r.Omega) + ", z arrive à " +
               decimal_comma(drift.z, 2) + " quelle que soit la poussée : dans la tolérance.";
    } else {
        why = "Pour une durée de " + decimal_comma(r.flight_time, 1) + " ut" +
              orbit_fraction(r.flight_time, r.Omega) +
              ", le mouvement hors du plan arrive en z = " + decimal_comma(drift.z, 2) +
              " quelle que soit la poussée. Choisissez une autre durée.";
        return false;
    }
    return true;
}

}  // namespace

BurnPlan plan_transfer(const PlanRequest& r)
{
    if (!(r.press_change > 0.0) || !std::isfinite(r.press_change) || !(r.interval > 0.0))
        return refused("Sans poussée possible (plus de carburant ou p = 0), rien à planifier.");
    if (!std::isfinite(r.flight_time) || !(r.flight_time > 0.0))
        return refused("La durée de vol doit être positive.");
    const double start_time = static_cast<double>(r.queue.size()) * r.interval;
    const double flight = r.flight_time - start_time;
    if (!(flight > 0.0))
        return refused("Les poussées en attente prennent déjà toute la durée de vol.");
    BurnPlan plan;
    const Motion start = start_of_new_presses(r, start_time);
    if (!solve_change(r, start, flight, plan.change, plan.refusal, plan.note)) return plan;
    plan.ok = true;
    plan.presses = whole_presses(plan.change, r.press_change);

    Motion at_once = start;
    at_once.xp += plan.presses[0] * r.press_change;
    at_once.yp += plan.presses[1] * r.press_change;
    at_once.zp += plan.presses[2] * r.press_change;
    plan.rounding_miss = distance_from(coast(at_once, r.Omega, r.trois, flight), r);

    std::vector<QueuedThrust> queue = r.queue;
    for (size_t axis = 0; axis < plan.presses.size(); ++axis) {
        const int count = plan.presses[axis];
        const int sign = count > 0 ? 1 : -1;
        for (int i = 0; i < std::abs(count); ++i)
            queue.push_back(press_thrust(axis, sign, r.press_change, r.interval));
    }
    // One press per step: presses that would still be waiting on arrival
    // cannot make this transfer.
    const double queue_end = queue.empty() ? 0.0 : (queue.size() - 1) * r.interval;
    if (queue_end >= r.flight_time) {
        return refused("Il faudrait " + std::to_string(queue.size() - r.queue.size()) +
                       " poussées, soit " + decimal_comma(queue_end, 1) +
                       " ut de poussée, plus que la durée du vol : choisissez une durée plus "
                       "longue.");
    }
    const double beyond = r.flight_time - queue_end;
    plan.path = queued_coast(r.now, queue, r.Omega, r.trois, r.interval, beyond, plan_samples);
    plan.arrival = coast_at(plan.path, r.Omega, r.trois, r.flight_time);
    plan.miss = distance_from(plan.arrival, r);
    plan.arrival_change = {-plan.arrival.xp, -plan.arrival.yp, -plan.arrival.zp};
    plan.arrival_presses = whole_presses(plan.arrival_change, r.press_change);
    return plan;
}

double default_flight_time(double Omega)
{
    if (!std::isfinite(Omega) || Omega == 0.0) return still_flight_time;
    return 0.5 * two_pi / std::fabs(Omega);
}

double economical_flight_time(const PlanRequest& request)
{
    const double unit = default_flight_time(request.Omega);
    double best_time = request.flight_time;
    long fewest = -1;
    for (int i = 0; i <= economy_steps; ++i) {
        PlanRequest r = request;
        r.flight_time =
            unit * (economy_shortest + (economy_longest - economy_shortest) * i / economy_steps);
        const BurnPlan plan = plan_transfer(r);
        if (!plan.ok) continue;
        long presses = 0;
        for (size_t axis = 0; axis < plan.presses.size(); ++axis)
            presses += std::abs(plan.presses[axis]) + std::abs(plan.arrival_presses[axis]);
        if (fewest < 0 || presses < fewest) fewest = presses, best_time = r.flight_time;
    }
    return best_time;
}

std::string presses_text(const PressCounts& presses)
{
    std::string text;
    for (size_t axis = 0; axis < presses.size(); ++axis) {
        const int count = presses[axis];
        if (count == 0) continue;
        if (!text.empty()) text += ", ";
        text += std::to_string(std::abs(count)) + " × " +
                (count > 0 ? positive_keys[axis] : negative_keys[axis]);
    }
    return text.empty() ? "aucune poussée" : text;
}
