// cubic_spline.cpp — the cubic curve fit, its basis functions, averaged knots and the shared line solve.
#include "cubic_spline.h"

#include <cmath>
#include <string>

#include "export_common.h"

namespace korvel {

namespace {

double Distance(double ax, double ay, double az, double bx, double by, double bz) {
    const double dx = ax - bx;
    const double dy = ay - by;
    const double dz = az - bz;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

void RequireSize(const array1Df& a, std::size_t n, const char* what) {
    if (a.size() < n) throw ExportError(std::string("Internal error: the fit's ") + what + " array is too short.");
}

}  // namespace

void BsplineBasisFunctions(int32_t degree, int32_t span, const array1Df& knots, double u, array1Df& basis,
                           array1Df& left, array1Df& right) {
    basis[0] = 1.0;
    for (int32_t j = 1; j <= degree; ++j) {
        left[j] = u - knots[span + 1 - j];
        right[j] = knots[span + j] - u;
        double saved = 0.0;
        for (int32_t r = 0; r < j; ++r) {
            const double temp = basis[r] / (right[r + 1] + left[j - r]);
            basis[r] = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        basis[j] = saved;
    }
}

void AveragedClampedKnots(int32_t degree, int32_t n, const array1Df& t, array1Df& knots) {
    const int32_t m = n + degree + 3;
    for (int32_t i = 0; i <= degree; ++i) knots[i] = 0.0;
    for (int32_t i = m - degree; i <= m; ++i) knots[i] = 1.0;
    for (int32_t j = 0; j <= n - degree + 1; ++j) {
        double sum = 0.0;
        for (int32_t k = j; k <= j + degree - 1; ++k) sum += t[k];
        knots[degree + 1 + j] = sum / degree;
    }
}

void CubicLineStepsOf(int32_t n, const array1Df& U, CubicLineSteps& steps, array1Df& basis, array1Df& left,
                      array1Df& right) {
    if (n < 1) throw ExportError("A curve or surface line needs at least two points to be fitted.");
    RequireSize(U, static_cast<std::size_t>(n) + 7, "knot");
    for (array1Df* a : {&basis, &left, &right}) {
        if (a->size() < 4) a->resize(4);
    }
    steps.n = n;
    for (array1Df* a : {&steps.b0, &steps.den, &steps.dd}) a->assign(static_cast<std::size_t>(n) + 1, 0.0);
    if (n == 1) return;  // a Hermite segment: four control points, all from the end rules

    array1Df& b = basis;
    BsplineBasisFunctions(3, 4, U, U[4], b, left, right);
    steps.b0[2] = b[0];
    steps.den[2] = b[1];
    steps.b2 = b[2];
    for (int32_t i = 3; i <= n; ++i) {
        steps.dd[i] = b[2] / steps.den[i - 1];
        BsplineBasisFunctions(3, i + 2, U, U[i + 2], b, left, right);
        steps.b0[i] = b[0];
        steps.den[i] = b[1] - b[0] * steps.dd[i];
        steps.b2 = b[2];
    }
}

void SolveCubicLine(const CubicLineSteps& steps, const array1Df& U, const std::array<const double*, 3>& q,
                    const Vec3d& d0, const Vec3d& dn, const std::array<double*, 3>& p) {
    const int32_t n = steps.n;
    const double d0c[3] = {d0.x, d0.y, d0.z};
    const double dnc[3] = {dn.x, dn.y, dn.z};
    for (int c = 0; c < 3; ++c) {
        const double* Q = q[c];
        double* P = p[c];
        // End rules: the end points, and the second and second-last points from the end derivatives.
        P[0] = Q[0];
        P[n + 2] = Q[n];
        P[1] = Q[0] + d0c[c] * U[4] * kEndRuleThird;
        P[n + 1] = Q[n] - (1.0 - U[n + 2]) * dnc[c] * kEndRuleThird;
        if (n == 1) continue;
        if (n == 2) {
            // The single interior point decides the single free control point.
            P[2] = (Q[1] - steps.b0[2] * P[1] - steps.b2 * P[3]) / steps.den[2];
            continue;
        }
        for (int32_t i = 2; i <= n - 1; ++i) P[i] = (Q[i - 1] - steps.b0[i] * P[i - 1]) / steps.den[i];
        P[n] = (Q[n - 1] - steps.b2 * P[n + 1] - steps.b0[n] * P[n - 1]) / steps.den[n];
        for (int32_t i = n - 1; i >= 2; --i) P[i] = P[i] - steps.dd[i + 1] * P[i + 1];
    }
}

TCubicSpline::TCubicSpline() = default;

TCubicSpline::~TCubicSpline() { FreeArrays(); }

void TCubicSpline::FreeArrays() {
    for (array1Df* a : {&Left, &Right, &Knots, &Basis, &QX, &QY, &QZ, &PX, &PY, &PZ, &CurveParams}) {
        a->clear();
        a->shrink_to_fit();
    }
}

void TCubicSpline::SetSize() {
    if (N < 0 || Degree < 1) throw ExportError("Internal error: a curve fit was sized with a negative count.");
    KnotHigh = N + Degree + 3;
    const std::size_t d = static_cast<std::size_t>(Degree) + 1;
    const std::size_t n = static_cast<std::size_t>(N);
    Left.resize(d);
    Right.resize(d);
    Basis.resize(d);
    Knots.resize(static_cast<std::size_t>(KnotHigh) + 1);
    for (array1Df* a : {&QX, &QY, &QZ, &CurveParams}) a->resize(n + 1);
    for (array1Df* a : {&PX, &PY, &PZ}) a->resize(n + 3);
}

void TCubicSpline::Interpolate(double d0x, double d0y, double d0z, double dNx, double dNy, double dNz) {
    if (N < 1) throw ExportError("A curve needs at least two points to be fitted.");
    if (Degree != 3) throw ExportError("Internal error: only cubic curves are fitted.");
    const std::size_t n = static_cast<std::size_t>(N);
    for (const array1Df* a : {&QX, &QY, &QZ, &CurveParams}) RequireSize(*a, n + 1, "curve point");
    for (const array1Df* a : {&PX, &PY, &PZ}) RequireSize(*a, n + 3, "control point");
    RequireSize(Knots, n + 7, "knot");

    // Chord-length parameters; a line of coincident points falls back to uniform ones.
    double length = 0.0;
    for (int32_t k = 1; k <= N; ++k) length += Distance(QX[k], QY[k], QZ[k], QX[k - 1], QY[k - 1], QZ[k - 1]);
    CurveParams[0] = 0.0;
    CurveParams[N] = 1.0;
    for (int32_t k = 1; k <= N - 1; ++k) {
        if (length > 0.0) {
            CurveParams[k] =
                CurveParams[k - 1] + Distance(QX[k], QY[k], QZ[k], QX[k - 1], QY[k - 1], QZ[k - 1]) / length;
        } else {
            CurveParams[k] = static_cast<double>(k) / N;
        }
    }
    AveragedClampedKnots(Degree, N, CurveParams, Knots);

    const double scale = length > 0.0 ? length : 0.0;
    CubicLineSteps steps;
    CubicLineStepsOf(N, Knots, steps, Basis, Left, Right);
    SolveCubicLine(steps, Knots, {QX.data(), QY.data(), QZ.data()}, Vec3d{scale * d0x, scale * d0y, scale * d0z},
                   Vec3d{scale * dNx, scale * dNy, scale * dNz}, {PX.data(), PY.data(), PZ.data()});
}

}  // namespace korvel
