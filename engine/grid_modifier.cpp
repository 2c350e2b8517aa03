// grid_modifier.cpp — modeller set 1 applied to a finished body or wing grid: the conformal bend and its offset.
#include "grid_modifier.h"

#include <algorithm>
#include <cmath>

#include "body_grid.h"
#include "modifier_map.h"
#include "section.h"

namespace korvel {

double GridModifierOffset(ModelState& m, int32_t n, double x0, double Tea, double Lea, double nm, double fZ,
                          double rc1) {
    HalfCircleTable(m.RingSin, m.RingCos, n);
    const double eT = 2.0 - Tea / 180.0;
    const double g = MeridianRatio(x0, 2.0 - Lea / 180.0);
    double lowest = 0.0;
    for (int32_t k = n - 1; k >= 1; --k) {
        const double a = x0 + (1.0 - x0) * m.RingCos[k];
        const double b = rc1 * (1.0 - x0) * m.RingSin[k];
        const double e = eT + k * (Tea - Lea) / (180.0 * n);
        lowest = std::min(lowest, MeridianMap(a, b, e).h);
    }
    return (1.0 - 1.0 / g) * fZ * nm * lowest;
}

void KarmanTrefftzGrid(ModelState& m, double kc, double kt, double tx, double tz, double dY) {
    // The grid's law divides the edge angle by 180 and 360 where the section's multiplies by the doubles
    // of 1/180 and 1/360: the exponents may differ in the last bit, the map is the same.
    const ModifierMap map(kc, 2.0 - kt / 180.0, 1.0 - kt / 360.0);
    const Complex2 P1 = map(m.BodyEndX[0] + tx, tz);
    const Complex2 P2 = map(m.BodyEndX[1] + tx, tz);
    const double dx = P2.re - P1.re;
    const double dy = P2.im - P1.im;
    const double L2 = dx * dx + dy * dy;
    const double L = std::sqrt(L2);
    const int32_t N = m.GridN;

    for (int32_t i = 1; i <= m.GridMPlus1; ++i) {
        array1Df& X = m.GridX[i];
        array1Df& Y = m.GridY[i];
        array1Df& Z = m.GridZ[i];
        for (int32_t j = 1; j <= N; ++j) {
            const double xs = X[j] + tx;
            const double zs = Z[j] + tz;
            const double rho = std::sqrt(Y[j] * Y[j] + zs * zs);
            const Complex2 w = map(xs, rho);
            // On the axis line Y and zs are both 0 and the direction about the axis is lost: keep the real
            // part alone, the limit wherever the axis maps onto itself and the centre of the ring elsewhere.
            const double G = rho > 0.0 ? w.im / rho : 0.0;
            const double U = w.re - P1.re;
            const double V = G * zs - P1.im;
            X[j] = (dx * U + dy * V) / L2;
            Z[j] = (dx * V - dy * U) / L2;
            Y[j] = G * Y[j] * dY / L;
        }
        X[N + 1] = X[1];
        Y[N + 1] = Y[1];
        Z[N + 1] = Z[1];
    }
}

}  // namespace korvel
