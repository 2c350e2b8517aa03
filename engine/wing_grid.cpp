// wing_grid.cpp — the point grid of a wing swept from the current section, with its tips, fold and planform.
#include "wing_grid.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "checked_int.h"
#include "section.h"

namespace korvel {

namespace {

// The Jouk planform curve's shape: each pair of weights adds up to 1, so that t = 0 gives q = 1, a = 2
// and b = 0, the root; kJoukTipParameter is the t where the span ends (a0 about -2.36205, b0 -4.62737).
constexpr double kJoukPoleWeight = 0.48, kJoukPoleOffset = 0.52;
constexpr double kJoukChordWeight = 0.6, kJoukChordOffset = 0.4;
constexpr double kJoukTipParameter = 2.772012797;
// tan 75 degrees: 2 tan 75° (1 - √3/2) = 1, so the elliptical law reaches ss at the span ends.
constexpr double kTan75 = 3.732050807568877;

}  // namespace

void JoukPlanformPoint(double t, double& a, double& b) {
    const double s = std::sin(t);
    const double c = std::cos(t);
    const double q = 1.0 / (kJoukPoleWeight * c + kJoukPoleOffset);
    a = (kJoukChordWeight * c + kJoukChordOffset) * (1.0 + q);
    b = (1.0 - q) * s;
}

namespace {

struct Point2 {
    double x;
    double y;
};

int32_t RaiseToMultipleOf4(int32_t x) { return x + ((4 - x % 4) % 4); }

// A share of the outline; an outline of length 0 (flat section, no span) gives nothing to share.
double Share(double part, double outline) { return outline > 0.0 ? part / outline : 0.0; }

// The span curve f = 1 - sqrt(1 - y²/L²) that drives the fold and the elliptical chord; L = 0 only
// happens with nothing to span (no span, no thickness), where every y is 0 too.
double SpanCurve(double y, double L) {
    if (!(L > 0.0)) return 0.0;
    return 1.0 - std::sqrt(std::max(0.0, 1.0 - y * y / (L * L)));
}

// Where and how one span column sits: the same for every row.
struct SpanColumn {
    double y = 0.0;
    double sc = 1.0;  // chord scale
    double xo = 0.0;  // offsets of the fold (and of the Jouk planform)
    double zo = 0.0;
};

struct Layout {
    int32_t nS = 0, nA = 0, nB = 0, mid = 0;
    double step = 0.0;
    double y1 = 0.0, yE = 0.0;
};

Layout CountColumns(int32_t N, int32_t c, double fY, double T, double wt, double ss) {
    Layout l;
    const double m = std::max(1.0, ss);
    const double n = static_cast<double>(N);
    if (c == 0) {
        const double D = (m + wt) * T + fY;
        l.nS = RoundToInt(Share(n * fY, D)) + 2;
        l.nA = l.nB = RaiseToMultipleOf4(RoundToInt(Share(n * T * (m + wt), D)) + 1);
    } else {
        const double D = (1.0 + m + wt) * T + fY;
        l.nS = RoundToInt(Share(n * fY, 2.0 * D)) + 2;
        const int32_t tip = RaiseToMultipleOf4(RoundToInt(Share(n * T * (m + wt), D)) + 1);
        const int32_t root = RaiseToMultipleOf4(RoundToInt(Share(n * T, D)) + 1);
        l.nA = c == 1 ? tip : root;
        l.nB = c == 1 ? root : tip;
    }
    if (l.nS % 2 == 0) ++l.nS;
    l.nS = std::max(l.nS, c == 0 ? 7 : 5);
    l.mid = c == 0 ? l.nS / 2 + 1 : (c == 1 ? 1 : l.nS);
    l.step = c == 0 ? -fY / (l.nS - 1) : -fY / (2.0 * (l.nS - 1));
    l.y1 = c == 1 ? 0.0 : fY / 2.0;
    l.yE = c == 2 ? 0.0 : -fY / 2.0;
    if (fY == 0.0) {
        l.nS = 1;
        l.mid = 1;
        l.step = 0.0;
    }
    return l;
}

void SetPatch(ModelState& m, int32_t p, int32_t first, int32_t last) {
    m.PatchFirst[p] = first;
    m.PatchLast[p] = last;
}

}  // namespace

void BuildWing(ModelState& m, double& wt, int32_t family, int32_t c, double fY, double foldX, double foldZ,
               double ss) {
    if (c < 0 || c > 2) throw std::invalid_argument("a wing is built whole or cut in mode 1 or 2 only");
    if (family < kSpanLinear || family > kSpanJouk) throw std::invalid_argument("unknown span distribution");
    const int32_t M = m.GridM;
    const int32_t NS = m.SectionCount;
    const std::size_t points = static_cast<std::size_t>(NS) + 2;
    if (M < 1 || NS != 2 * M || m.SectionX.size() != points || m.SectionY.size() != points ||
        m.SectionLE != M + 1) {
        throw std::invalid_argument("the wing needs an oriented section of twice as many intervals as rows");
    }
    const array1Df& SX = m.SectionX;
    const array1Df& SY = m.SectionY;

    if (family == kSpanJouk || ss == 0.0) {
        wt = 0.0;
        ss = 0.0;
    }
    double T2 = 0.0;
    for (int32_t i = 2; i <= M; ++i) {
        const double dx = SX[i] - SX[NS + 2 - i];
        const double dy = SY[i] - SY[NS + 2 - i];
        T2 = std::max(T2, dx * dx + dy * dy);
    }
    const double T = std::sqrt(T2);
    const double L = wt * T + fY;
    double K = 0.0;
    double a0 = 0.0;
    double b0 = 0.0;
    if (family == kSpanLinear) {
        K = L > 0.0 ? (1.0 - ss) / L : 0.0;
    } else if (family == kSpanElliptical) {
        K = kTan75 * (1.0 - ss);
    } else {
        JoukPlanformPoint(kJoukTipParameter, a0, b0);
    }

    const Layout l = CountColumns(m.GridN, c, fY, T, wt, ss);
    const int32_t nS = l.nS;
    const int32_t nA = l.nA;
    const int32_t nB = l.nB;
    m.SetGridN(2 * nS + (nA - 1) + (nB - 1));
    const int32_t GN = m.GridN;
    const int32_t cA = nS + nA;
    const int32_t cL = GN - (nB - 1);
    AllocateGrid(m, true, false);
    const bool rounded = wt > 0.0;
    if (rounded) HalfCircleTable(m.RingSin, m.RingCos, c != 2 ? nA : nB);

    if (c == 0) {
        SetPatch(m, 0, 1, l.mid);
        SetPatch(m, 1, l.mid, nS);
        SetPatch(m, 2, nS, cA);
        SetPatch(m, 3, cA, cA + l.mid - 1);
        SetPatch(m, 4, cA + l.mid - 1, cL);
        SetPatch(m, 5, cL, GN + 1);
        if (ss == 0.0) m.PatchLast[2] = m.PatchLast[5] = 0;
    } else {
        SetPatch(m, 0, 1, nS);
        SetPatch(m, 1, nS, cA);
        SetPatch(m, 2, cA, cL);
        SetPatch(m, 3, cL, GN + 1);
        if (ss == 0.0) m.PatchLast[c == 1 ? 1 : 3] = 0;
    }

    // The span columns do not depend on the row.
    std::vector<SpanColumn> span(static_cast<std::size_t>(nS) + 1);
    if (fY != 0.0) {
        const double u0 = c == 1 ? 0.0 : -1.0;
        const double h = c == 0 ? (nS - 1) / 2.0 : nS - 1.0;
        for (int32_t k = nS; k >= 1; --k) {
            SpanColumn& s = span[k];
            double f;
            if (family == kSpanJouk) {
                const double u = u0 + (k - 1) / h;
                const double tau = u >= 0.0 ? (1.0 - (1.0 - u) * (1.0 - u)) * kJoukTipParameter
                                            : ((1.0 + u) * (1.0 + u) - 1.0) * kJoukTipParameter;
                double a;
                double b;
                JoukPlanformPoint(tau, a, b);
                s.sc = (a - a0) / (2.0 - a0);
                s.y = b * (fY / 2.0) / std::fabs(b0);
                f = SpanCurve(s.y, L);
                s.xo = foldX * f + 1.0 - s.sc;
            } else {
                s.y = (k - 1) * l.step + l.y1;
                f = SpanCurve(s.y, L);
                s.sc = family == kSpanLinear ? 1.0 - 2.0 * K * std::fabs(s.y) : 1.0 - 2.0 * K * f;
                s.xo = foldX * f;
            }
            s.zo = foldZ * f;
        }
    }

    // A point of a rounded tip at span position y: half the span scale there, between 2Q (cosine 1) and 2P.
    const auto tipPoint = [&](int32_t i, int32_t j, double y, double s2, double cosine, const Point2& P,
                              const Point2& Q) {
        const double f = SpanCurve(y, L);
        SetGridPoint(m, i, j, foldX * f + s2 * ((Q.x + P.x) + cosine * (Q.x - P.x)), y,
                     foldZ * f + s2 * ((Q.y + P.y) + cosine * (Q.y - P.y)));
    };

    for (int32_t i = M + 1; i >= 1; --i) {
        const Point2 P{SX[i], SY[i]};
        const Point2 Q{SX[NS + 2 - i], SY[NS + 2 - i]};
        array1Df& X = m.GridX[i];
        array1Df& Y = m.GridY[i];
        array1Df& Z = m.GridZ[i];
        if (fY == 0.0) {
            X[1] = Q.x;
            Z[1] = Q.y;
            X[cL] = P.x;
            Z[cL] = P.y;
        } else {
            for (int32_t k = nS; k >= 1; --k) {
                const SpanColumn& s = span[k];
                SetGridPoint(m, i, k, s.sc * Q.x + s.xo, s.y, s.sc * Q.y + s.zo);
                SetGridPoint(m, i, cL + 1 - k, s.sc * P.x + s.xo, s.y, s.sc * P.y + s.zo);
            }
        }
        Y[1] = Y[cL] = l.y1;
        Y[nS] = Y[cA] = l.yE;
        Y[l.mid] = Y[cL + 1 - l.mid] = 0.0;

        const double dQx = Q.x - P.x;
        const double dQy = Q.y - P.y;
        const double r = rounded ? wt * std::sqrt(dQx * dQx + dQy * dQy) / 2.0 : 0.0;
        for (int32_t j = nA - 1; j >= 1; --j) {
            if (rounded && c != 2) {
                const double y = l.yE - r * m.RingSin[j];
                const double s2 = family == kSpanLinear ? 0.5 + K * y : 0.5 - K * SpanCurve(y, L);
                tipPoint(i, nS + j, y, s2, m.RingCos[j], P, Q);
            } else {
                SetGridPoint(m, i, nS + j, X[nS] + j * (X[cA] - X[nS]) / nA, l.yE, Z[nS] + j * (Z[cA] - Z[nS]) / nA);
            }
        }
        for (int32_t j = nB - 1; j >= 1; --j) {
            if (rounded && c != 1) {
                // The span curve at this closure's own position, so both tips of a full wing mirror each other.
                const double y = l.y1 + r * m.RingSin[j];
                const double s2 = family == kSpanLinear ? 0.5 - K * y : 0.5 - K * SpanCurve(y, L);
                tipPoint(i, GN + 1 - j, y, s2, m.RingCos[j], P, Q);
            } else {
                SetGridPoint(m, i, GN + 1 - j, X[1] + j * (X[cL] - X[1]) / nB, l.y1, Z[1] + j * (Z[cL] - Z[1]) / nB);
            }
        }
        SetGridPoint(m, i, GN + 1, X[1], Y[1], Z[1]);
    }

    m.BodyEndX = {SX[1], SX[m.SectionLE]};
}

}  // namespace korvel
