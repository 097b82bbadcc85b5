// The final approach in numbers. The coast is looked at on the run's own
// rhythm (once per step interval, where the run takes its verdict), so the
// verdict announced is the one the run would meet; the closest approach is then
// refined between samples from the closed form.
#include "approach.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "run_record.h"
#include "verdict_reason.h"

namespace {

constexpr int time_decimals = 1;
constexpr int length_decimals = 2;
constexpr double golden = 0.6180339887498949;  // (sqrt 5 - 1) / 2

Motion with_thrust(Motion m, const QueuedThrust& thrust, double interval)
{
    return with_pending_thrust(m, thrust.fx, thrust.fy, thrust.fz, interval);
}

// The closest approach in [low, high], by golden section: the distance to the
// port along a coast has one minimum between two samples around the smallest.
double refine_closest(const std::vector<CoastPoint>& points, double Omega, double trois, double low,
                      double high)
{
    auto distance = [&](double t) { return port_distance(coast_at(points, Omega, trois, t)); };
    double a = low, b = high;
    for (int i = 0; i < closest_refinements && b - a > 0.0; ++i) {
        const double c = b - golden * (b - a);
        const double d = a + golden * (b - a);
        if (distance(c) < distance(d)) {
            b = d;
        } else {
            a = c;
        }
    }
    return 0.5 * (a + b);
}

}  // namespace

ApproachOffsets approach_offsets(const Motion& at, const VerdictLimits& limits)
{
    ApproachOffsets o;
    o.x = at.x;
    o.z = at.z;
    o.along = at.y - port_y;
    o.speed = chaser_speed(at.xp, at.yp, at.zp);
    o.x_within = std::fabs(o.x) < limits.tolerance;
    o.z_within = std::fabs(o.z) < limits.tolerance;
    o.along_within = std::fabs(o.along) < limits.tolerance;
    o.speed_within = o.speed < limits.max_speed;
    return o;
}

std::vector<CoastPoint> queued_coast(const Motion& now, const std::vector<QueuedThrust>& queue,
                                     double Omega, double trois, double interval, double horizon,
                                     int samples)
{
    Motion m = now;
    double t = 0.0;
    std::vector<CoastPoint> points;
    for (size_t i = 0; i < queue.size(); ++i) {
        if (i > 0) {
            m = coast(m, Omega, trois, interval);
            t += interval;
        }
        // Each point holds the state just after the press applied at its time.
        m = with_thrust(m, queue[i], interval);
        points.push_back({t, m});
    }
    std::vector<CoastPoint> free = predict_coast(m, Omega, trois, horizon, samples);
    for (size_t i = points.empty() ? 0 : 1; i < free.size(); ++i) {
        points.push_back({t + free[i].t, free[i].motion});
    }
    return points;
}

Motion coast_at(const std::vector<CoastPoint>& points, double Omega, double trois, double t)
{
    if (points.empty()) return Motion{};
    // The last point at or before t: from it the coast is free.
    auto after = std::upper_bound(points.begin(), points.end(), t,
                                  [](double time, const CoastPoint& p) { return time < p.t; });
    const CoastPoint& from = after == points.begin() ? points.front() : *(after - 1);
    return coast(from.motion, Omega, trois, t - from.t);
}

CoastOutlook look_ahead(const std::vector<CoastPoint>& points, double Omega, double trois,
                        double interval, const VerdictLimits& limits)
{
    CoastOutlook outlook;
    if (points.empty() || !(interval > 0.0)) return outlook;
    const double end = points.back().t;
    const long checks = std::min<long>(most_outlook_checks, static_cast<long>(end / interval));
    double best_time = 0.0;
    double best = port_distance(points.front().motion);
    long last_check = 0;
    for (long k = 1; k <= checks; ++k) {
        const double t = k * interval;
        const Motion m = coast_at(points, Omega, trois, t);
        last_check = k;
        const double d = port_distance(m);
        if (d < best) best = d, best_time = t;
        const Outcome met = decide_outcome(m.x, m.y, m.z, m.xp, m.yp, m.zp, limits);
        if (met != outcome_none) {
            outlook.outcome = met;
            outlook.outcome_time = t;
            outlook.outcome_at = m;
            break;
        }
    }
    const double low = std::max(0.0, best_time - interval);
    const double high = std::min(last_check * interval, best_time + interval);
    const double closest = high > low ? refine_closest(points, Omega, trois, low, high) : best_time;
    const Motion at = coast_at(points, Omega, trois, closest);
    outlook.known = true;
    outlook.closest_time = closest;
    outlook.closest_at = at;
    outlook.closest_distance = port_distance(at);
    outlook.closest_speed = chaser_speed(at.xp, at.yp, at.zp);
    return outlook;
}

std::string outlook_sentence(const CoastOutlook& outlook, const VerdictLimits& limits)
{
    if (!outlook.known || outlook.outcome == outcome_none) return "";
    RunEnd met;
    met.outcome = outlook.outcome;
    met.at = outlook.outcome_at;
    met.limits = limits;
    const std::string when = decimal_comma(outlook.outcome_time, time_decimals) + " ut";
    std::string title = verdict_title(outlook.outcome);
    if (!title.empty()) title[0] = static_cast<char>(std::tolower(title[0]));
    return "si rien ne change : " + title + " dans " + when + ", " + verdict_measure(met);
}

std::string closest_sentence(const CoastOutlook& outlook)
{
    if (!outlook.known) return "";
    return "au plus près : " + decimal_comma(outlook.closest_distance, length_decimals) +
           " ul du port dans " + decimal_comma(outlook.closest_time, time_decimals) +
           " ut, vitesse " + decimal_comma(outlook.closest_speed, length_decimals);
}
