// section.cpp — the airfoil section: a circle mapped by a Karman-Trefftz transform, its modifier map and reshaping.
#include "section.h"

#include <cmath>
#include <cstddef>
#include <numbers>
#include <stdexcept>
#include <utility>

#include "modifier_map.h"

namespace korvel {
namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;
constexpr double kPerDegree = 0.005555555555555556;      // 1/180: degrees to a full exponent
constexpr double kHalfPerDegree = 0.002777777777777778;  // 1/360: degrees to a half exponent
constexpr double kHalfSqrt2 = 0.7071067811865476;

// The in-place operations need a section that BuildBaseSection made; anything else is left alone.
bool SectionReady(const ModelState& m) {
    const int32_t ns = m.SectionCount;
    return ns >= 4 && ns % 4 == 0 && m.SectionX.size() == static_cast<std::size_t>(ns) + 2 &&
           m.SectionY.size() == m.SectionX.size() && m.SectionLE > 1 && m.SectionLE <= ns;
}

void SwapPoints(ModelState& m, int32_t i, int32_t j) {
    std::swap(m.SectionX[i], m.SectionX[j]);
    std::swap(m.SectionY[i], m.SectionY[j]);
}

// Fills entries k and n-k of a table from directly evaluated angles; used where the quadrant or octant
// symmetry does not apply. mirrorSine/mirrorCosine give the sign of the mirrored entry.
void DirectFill(array1Df& sines, array1Df& cosines, int32_t n, long double span, double mirrorSine,
                double mirrorCosine) {
    const double step = static_cast<double>(span / n);
    for (int32_t k = 1; k <= n / 2; ++k) {
        const double s = std::sin(k * step);
        const double c = std::cos(k * step);
        sines[k] = s;
        cosines[k] = c;
        sines[n - k] = mirrorSine * s;
        cosines[n - k] = mirrorCosine * c;
    }
}

// Sizes both tables to n+1 entries and fills entry 0; false when no further entry exists.
bool StartTable(array1Df& sines, array1Df& cosines, int32_t n) {
    const std::size_t size = n >= 0 ? static_cast<std::size_t>(n) + 1 : 0;
    array1Df(size, 0.0).swap(sines);
    array1Df(size, 0.0).swap(cosines);
    if (n < 0) return false;
    sines[0] = 0.0;
    cosines[0] = 1.0;
    return n > 0;
}

}  // namespace

void HalfCircleTable(array1Df& sines, array1Df& cosines, int32_t n) {
    if (!StartTable(sines, cosines, n)) return;
    if (n % 4 == 0) {
        const int32_t q = n / 4;
        const int32_t h = n / 2;
        const double step = static_cast<double>(kPi / n);
        for (int32_t k = 1; k <= q - 1; ++k) {
            const double s = std::sin(k * step);
            const double c = std::cos(k * step);
            sines[k] = s;
            sines[h - k] = c;
            sines[h + k] = c;
            sines[n - k] = s;
            cosines[k] = c;
            cosines[h - k] = s;
            cosines[h + k] = -s;
            cosines[n - k] = -c;
        }
        sines[q] = kHalfSqrt2;
        sines[3 * q] = kHalfSqrt2;
        cosines[q] = kHalfSqrt2;
        cosines[3 * q] = -kHalfSqrt2;
    } else {
        DirectFill(sines, cosines, n, kPi, 1.0, -1.0);
    }
    if (n % 2 == 0) {
        sines[n / 2] = 1.0;
        cosines[n / 2] = 0.0;
    }
    sines[n] = 0.0;
    cosines[n] = -1.0;
}

void FullCircleTable(array1Df& sines, array1Df& cosines, int32_t n) {
    if (!StartTable(sines, cosines, n)) return;
    if (n % 8 == 0) {
        const int32_t o = n / 8;
        const int32_t q = n / 4;
        const int32_t h = n / 2;
        const double step = static_cast<double>(kPi / h);
        for (int32_t k = 1; k <= o - 1; ++k) {
            const double s = std::sin(k * step);
            const double c = std::cos(k * step);
            sines[k] = s;
            sines[q - k] = c;
            sines[q + k] = c;
            sines[h - k] = s;
            sines[h + k] = -s;
            sines[3 * q - k] = -c;
            sines[3 * q + k] = -c;
            sines[n - k] = -s;
            cosines[k] = c;
            cosines[q - k] = s;
            cosines[q + k] = -s;
            cosines[h - k] = -c;
            cosines[h + k] = -c;
            cosines[3 * q - k] = -s;
            cosines[3 * q + k] = s;
            cosines[n - k] = c;
        }
        const double diag[8][2] = {{0.0, 1.0},   {kHalfSqrt2, kHalfSqrt2},   {1.0, 0.0},  {kHalfSqrt2, -kHalfSqrt2},
                                   {0.0, -1.0},  {-kHalfSqrt2, -kHalfSqrt2}, {-1.0, 0.0}, {-kHalfSqrt2, kHalfSqrt2}};
        for (int32_t j = 0; j < 8; ++j) {
            sines[j * o] = diag[j][0];
            cosines[j * o] = diag[j][1];
        }
    } else {
        DirectFill(sines, cosines, n, 2.0L * kPi, -1.0, 1.0);
        if (n % 2 == 0) {
            sines[n / 2] = 0.0;
            cosines[n / 2] = -1.0;
        }
        if (n % 4 == 0) {
            sines[n / 4] = 1.0;
            cosines[n / 4] = 0.0;
            sines[3 * (n / 4)] = -1.0;
            cosines[3 * (n / 4)] = 0.0;
        }
    }
    sines[n] = 0.0;
    cosines[n] = 1.0;
}

void BuildBaseSection(ModelState& m, int direction, double x0, double y0, double rc1, double rc2, double fZ,
                      double size, double Tea, double Lea) {
    const int32_t ns = m.SectionCount;
    if (ns < 4 || ns % 4 != 0) {
        throw std::invalid_argument("the section needs a point count that is a positive multiple of 4");
    }
    AllocateGrid(m, false, true);
    array1Df& X = m.SectionX;
    array1Df& Y = m.SectionY;
    const int32_t h = ns / 2;

    const double eTE = 2.0 - Tea * kPerDegree;
    const double eLE = 2.0 - Lea * kPerDegree;
    const double dE = (Tea - Lea) * kPerDegree;

    // Scale that brings the mapped chord to `size` with the leading edge at 0.
    const double a = 1.0 / x0 - 1.0;
    const double g = Power(a * a, 0.0, eLE, eLE / 2.0).rho;
    const double k = 0.5 - 0.5 / g;
    double sx = k * size;
    const double sy = (1.0 - 1.0 / g) * fZ * size;
    double off;
    if (direction == 0) {
        off = 1.0;
        sx = -sx;
    } else {
        off = (1.0 + g) / (1.0 - g);
    }

    // Generating curve: the circle through (1, 0) around (x0, y0), its halves squeezed vertically.
    const double dx = 1.0 - x0;
    const double R = std::sqrt(dx * dx + y0 * y0);
    const double beta = std::atan2(y0, dx);
    const double Ry1 = rc1 * R;
    const double Ry2 = rc2 * R;
    double Rx = R;
    if (rc2 < 1.0 && y0 > 0.0) {
        Rx = dx / std::sqrt(1.0 - y0 * y0 / ((dx * dx + y0 * y0) * rc2 * rc2));
    } else if (rc1 < 1.0 && y0 < 0.0) {
        Rx = dx / std::sqrt(1.0 - y0 * y0 / ((dx * dx + y0 * y0) * rc1 * rc1));
    }

    const double stepFirst = static_cast<double>((kPi + 2.0L * beta) / h);
    for (int32_t i = h; i >= 2; --i) {
        const double theta = (i - 1) * stepFirst - beta;
        X[i] = x0 + Rx * std::cos(theta);
        Y[i] = y0 + (theta < kPi ? Ry1 : Ry2) * std::sin(theta);
    }
    const double stepSecond = static_cast<double>((kPi - 2.0L * beta) / h);
    for (int32_t i = h + 2; i <= ns; ++i) {
        const double theta = static_cast<double>(static_cast<long double>(i - h - 1) * stepSecond + (kPi + beta));
        X[i] = x0 + Rx * std::cos(theta);
        Y[i] = y0 + Ry2 * std::sin(theta);
    }

    const int32_t le = h + 1;
    m.SectionLE = le;
    X[le] = 2.0 * x0 - 1.0;
    Y[le] = 0.0;
    Y[1] = 0.0;
    m.SectionMinY = 0.0;
    X[1] = direction != 0 ? size : 0.0;
    X[ns + 1] = X[1];
    Y[ns + 1] = Y[1];

    // The exponent runs linearly from eTE at the trailing edge to eLE at the leading edge on both halves.
    const double step = dE / h;
    for (int32_t j = ns; j >= 2; --j) {
        double e;
        if (j < le) {
            e = eTE + (j - 1) * step;
        } else if (j == le) {
            e = eLE;
        } else {
            e = eLE + (le - j) * step;
        }
        const PolarRatio r = RatioOf(1.0, X[j], Y[j]);
        const PolarPower w = Power(r.modulus2, r.phi, e, e / 2.0);
        const double d = (w.rho - 2.0 * std::cos(w.psi)) * w.rho + 1.0;
        X[j] = ((1.0 - w.rho * w.rho) / d - off) * sx;
        Y[j] = sy * w.rho * std::sin(w.psi) / d;
        if (Y[j] < m.SectionMinY) m.SectionMinY = Y[j];
    }

    if (direction == 1) X[le] = 0.0;
    Y[le] = 0.0;
    if (m.SectionMinY > 0.0) m.SectionMinY = 0.0;

    if (Y[le - 1] > Y[le + 1]) {
        for (int32_t i = h; i >= 1; --i) SwapPoints(m, i, ns + 2 - i);
        m.SectionLE = ns - m.SectionLE + 2;
    }
}

void KarmanTrefftzSection(ModelState& m, double tx, double tz, double kc, double kt) {
    if (!SectionReady(m)) return;
    array1Df& X = m.SectionX;
    array1Df& Y = m.SectionY;
    const int32_t ns = m.SectionCount;
    const int32_t le = m.SectionLE;
    const ModifierMap map(kc, 2.0 - kt * kPerDegree, 1.0 - kt * kHalfPerDegree);

    const Complex2 P = map(X[le] + tx, tz);
    const Complex2 T = map(X[1] + tx, tz);
    const double dre = T.re - P.re;
    const double dim = T.im - P.im;
    const double d2 = dre * dre + dim * dim;
    const double c1 = dre / d2;
    const double c2 = -dim / d2;

    m.SectionMinY = 0.0;
    for (int32_t i = ns; i >= 2; --i) {
        const Complex2 z = map(X[i] + tx, Y[i] + tz);
        const double p = z.re - P.re;
        const double q = z.im - P.im;
        X[i] = c1 * p - c2 * q;
        Y[i] = c2 * p + c1 * q;
        if (Y[i] < m.SectionMinY) m.SectionMinY = Y[i];
    }
    X[1] = 1.0;
    Y[1] = 0.0;
    X[le] = 0.0;
    Y[le] = 0.0;
    X[ns + 1] = 1.0;
    Y[ns + 1] = 0.0;
}

void ScaleSection(ModelState& m, int direction, double size) {
    if (!SectionReady(m)) return;
    array1Df& X = m.SectionX;
    array1Df& Y = m.SectionY;
    const int32_t ns = m.SectionCount;
    const int32_t le = m.SectionLE;
    const double a = direction != 0 ? size : -size;
    const double b = direction != 0 ? 0.0 : 1.0;
    for (int32_t i = ns; i >= 2; --i) {
        X[i] = (X[i] - b) * a;
        Y[i] = Y[i] * size;
    }
    Y[1] = 0.0;
    Y[le] = 0.0;
    Y[ns + 1] = 0.0;
    if (direction == 1) {
        X[1] = size;
        X[le] = 0.0;
    } else {
        X[1] = 0.0;
        X[le] = size;
    }
    X[ns + 1] = X[1];
}

void OrientSection(ModelState& m) {
    if (!SectionReady(m)) return;
    const int32_t ns = m.SectionCount;
    const int32_t le = m.SectionLE;
    if (m.SectionY[le - 1] > m.SectionY[le + 1]) {
        for (int32_t k = 2; k <= le - 1; ++k) SwapPoints(m, k, ns + 2 - k);
    }
}

void FlipSectionVertical(ModelState& m) {
    if (!SectionReady(m)) return;
    const int32_t ns = m.SectionCount;
    const int32_t le = m.SectionLE;
    for (int32_t k = 2; k <= le - 1; ++k) {
        m.SectionY[k] = -m.SectionY[k];
        m.SectionY[ns + 2 - k] = -m.SectionY[ns + 2 - k];
        SwapPoints(m, k, ns + 2 - k);
    }
}

void FlipSectionHorizontal(ModelState& m) {
    if (!SectionReady(m)) return;
    array1Df& X = m.SectionX;
    const int32_t ns = m.SectionCount;
    const int32_t le = m.SectionLE;
    const int32_t mid = (le + 1) / 2;
    X[mid] = 1.0 - X[mid];
    X[ns + 2 - mid] = 1.0 - X[ns + 2 - mid];
    for (int32_t k = 2; k <= le / 2; ++k) {
        X[k] = 1.0 - X[k];
        X[ns + 2 - k] = 1.0 - X[ns + 2 - k];
        X[le + 1 - k] = 1.0 - X[le + 1 - k];
        X[le - 1 + k] = 1.0 - X[le - 1 + k];
        SwapPoints(m, k, le + 1 - k);
        SwapPoints(m, ns + 2 - k, le - 1 + k);
    }
}

}  // namespace korvel
