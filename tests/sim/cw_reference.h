// Closed-form free drift of the Hill / Clohessy-Wiltshire equations with the
// usual radial coefficient 3:
//   x'' = 3 n^2 x + 2 n y',   y'' = -2 n x',   z'' = -n^2 z.
// Written from the equations, independently of the integrator, so that the
// integrator can be checked against it and the test pilot can plan with it.
#ifndef ORVANEL_TEST_CW_REFERENCE_H
#define ORVANEL_TEST_CW_REFERENCE_H

#include <cmath>

struct RelativeState {
    double x = 0.0, y = 0.0, z = 0.0;
    double xp = 0.0, yp = 0.0, zp = 0.0;
};

// State reached from s after drifting for time t at orbital rate n. With
// n = 0 the equations have no force and the motion is a straight line.
inline RelativeState cw_drift(const RelativeState& s, double n, double t)
{
    RelativeState r;
    if (n == 0.0) {
        r = s;
        r.x += s.xp * t;
        r.y += s.yp * t;
        r.z += s.zp * t;
        return r;
    }
    const double nt = n * t;
    const double c = std::cos(nt);
    const double sn = std::sin(nt);
    r.x = (4.0 - 3.0 * c) * s.x + (sn / n) * s.xp + (2.0 / n) * (1.0 - c) * s.yp;
    r.y = 6.0 * (sn - nt) * s.x + s.y - (2.0 / n) * (1.0 - c) * s.xp +
          ((4.0 * sn - 3.0 * nt) / n) * s.yp;
    r.z = s.z * c + (s.zp / n) * sn;
    r.xp = 3.0 * n * sn * s.x + c * s.xp + 2.0 * sn * s.yp;
    r.yp = 6.0 * n * (c - 1.0) * s.x - 2.0 * sn * s.xp + (4.0 * c - 3.0) * s.yp;
    r.zp = -s.z * n * sn + s.zp * c;
    return r;
}

#endif
