// The free drift in closed form. Along the track y' + 2 Omega x does not
// change (call it c), so the radial equation becomes x'' = a x + b with
// a = (trois - 4) Omega^2 and b = 2 Omega c: an oscillation when a < 0, a
// parabola when a = 0, an escape when a > 0. All three are written with the
// same four series of u = a t^2,
//   g_k(u) = sum over n of u^n / (2n + k)!,   k = 0 .. 3,
// (cos, sin/s, (1 - cos)/s^2, (s - sin)/s^3 and their hyperbolic twins), so
// that no formula divides by Omega: a tiny Omega is as sound as Omega 0.
#include "prediction.h"

#include <algorithm>
#include <cmath>

namespace {

// Below this |u| the series are summed directly: the closed forms lose digits
// to cancellation there, and the series' terms fall faster than 1 / (2n)!.
constexpr double series_reach = 1.0;
constexpr int series_terms = 12;  // 1 / 24! is far below a double's precision

// g_0 .. g_3 at one u.
struct DriftSeries {
    double g0 = 0.0, g1 = 0.0, g2 = 0.0, g3 = 0.0;
};

// g_k(u) summed term by term; each term is the previous one times
// u / ((2n + k + 1)(2n + k + 2)).
double series_sum(double u, int k)
{
    double term = 1.0;
    for (int i = 2; i <= k; ++i) term /= i;
    double sum = 0.0;
    for (int n = 0; n < series_terms; ++n) {
        sum += term;
        term *= u / ((2.0 * n + k + 1.0) * (2.0 * n + k + 2.0));
    }
    return sum;
}

DriftSeries summed_series(double u)
{
    return {series_sum(u, 0), series_sum(u, 1), series_sum(u, 2), series_sum(u, 3)};
}

DriftSeries oscillating_series(double s)  // u = -s^2
{
    const double half_sine = std::sin(0.5 * s);
    return {std::cos(s), std::sin(s) / s, 2.0 * half_sine * half_sine / (s * s),
            (s - std::sin(s)) / (s * s * s)};
}

DriftSeries escaping_series(double s)  // u = s^2
{
    const double half_sinh = std::sinh(0.5 * s);
    return {std::cosh(s), std::sinh(s) / s, 2.0 * half_sinh * half_sinh / (s * s),
            (std::sinh(s) - s) / (s * s * s)};
}

DriftSeries drift_series(double u)
{
    if (std::fabs(u) < series_reach) return summed_series(u);
    if (u < 0.0) return oscillating_series(std::sqrt(-u));
    return escaping_series(std::sqrt(u));
}

// x, x' and y, y' after time t (the orbital plane).
void coast_in_plane(const Motion& from, double Omega, double trois, double t, Motion& to)
{
    const double c = from.yp + 2.0 * Omega * from.x;
    const double a = (trois - 4.0) * Omega * Omega;
    const double b = 2.0 * Omega * c;
    const DriftSeries g = drift_series(a * t * t);
    to.x = from.x * g.g0 + from.xp * t * g.g1 + b * t * t * g.g2;
    to.xp = (a * from.x + b) * t * g.g1 + from.xp * g.g0;
    // y' = c - 2 Omega x, integrated term by term.
    const double x_integral = from.x * t * g.g1 + from.xp * t * t * g.g2 + b * t * t * t * g.g3;
    to.y = from.y + c * t - 2.0 * Omega * x_integral;
    to.yp = c - 2.0 * Omega * to.x;
}

// z, z' after time t: z'' = -Omega^2 z, a straight line when Omega is 0.
void coast_out_of_plane(const Motion& from, double Omega, double t, Motion& to)
{
    const double a = -Omega * Omega;
    const DriftSeries g = drift_series(a * t * t);
    to.z = from.z * g.g0 + from.zp * t * g.g1;
    to.zp = a * from.z * t * g.g1 + from.zp * g.g0;
}

bool is_finite(const Motion& m)
{
    return std::isfinite(m.x) && std::isfinite(m.y) && std::isfinite(m.z) && std::isfinite(m.xp) &&
           std::isfinite(m.yp) && std::isfinite(m.zp);
}

}  // namespace

Motion coast(const Motion& from, double Omega, double trois, double t)
{
    Motion to;
    coast_in_plane(from, Omega, trois, t, to);
    coast_out_of_plane(from, Omega, t, to);
    return to;
}

double prediction_horizon(double Omega)
{
    if (!std::isfinite(Omega) || Omega == 0.0) return still_horizon;
    return std::min(two_pi / std::fabs(Omega), longest_horizon);
}

std::vector<CoastPoint> predict_coast(const Motion& from, double Omega, double trois,
                                      double horizon, int samples)
{
    std::vector<CoastPoint> points{{0.0, from}};
    if (!std::isfinite(horizon) || !(horizon > 0.0)) return points;
    const int count = std::clamp(samples, 1, most_coast_samples);
    points.reserve(static_cast<std::size_t>(count) + 1);
    for (int i = 1; i <= count; ++i) {
        const double t = horizon * i / count;
        const Motion at = coast(from, Omega, trois, t);
        if (!is_finite(at)) break;
        points.push_back({t, at});
    }
    return points;
}

Motion with_pending_thrust(const Motion& now, double fx, double fy, double fz, double interval)
{
    Motion after = now;
    after.xp += fx * interval;
    after.yp += fy * interval;
    after.zp += fz * interval;
    return after;
}
