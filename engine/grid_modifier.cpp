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

namespace {

// zeta -> (1 + W)/(1 - W), W = ((kc - zeta)/(kc + zeta))^n, n = 2 - kt/180.
class ModifierMap {
public:
    ModifierMap(double kc, double kt) : kc_(kc), n_(2.0 - kt / 180.0), half_(1.0 - kt / 360.0) {}

    Complex2 operator()(double x, double y) const {
        const PolarRatio w = RatioOf(kc_, x, y);
        if (std::fabs(n_) < 1e-12) return ModifierLimitAtZero(w);
        // W = R·e^(i psi) with ln R = alpha. Near the exponent 0, W -> 1 and both 1 - R² and
        // D = |1 - W|² = (R - 2 cos psi)·R + 1 cancel to nothing in the direct form (NaN a few
        // millionths of a degree below 360): form them from expm1 and the half-angle sine instead.
        const double alpha = half_ * std::log(w.modulus2);
        const double psi = n_ * w.phi;
        const double R = std::exp(alpha);
        const double h = std::sin(0.5 * psi);
        const double em = std::expm1(alpha);                  // R - 1
        const double re1 = 2.0 * h * h - em * std::cos(psi);  // Re(1 - W)
        const double im1 = R * std::sin(psi);                 // -Im(1 - W)
        const double D = re1 * re1 + im1 * im1;
        return {-em * (em + 2.0) / D, 2.0 * im1 / D};  // 1 - R² = -(R - 1)(R + 1)
    }

private:
    double kc_, n_, half_;
};

}  // namespace

void KarmanTrefftzGrid(ModelState& m, double kc, double kt, double tx, double tz, double dY) {
    const ModifierMap map(kc, kt);
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
