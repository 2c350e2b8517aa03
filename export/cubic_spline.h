// cubic_spline.h — cubic B-spline curve through a row of points with prescribed end derivatives, and the line solve it shares with the surface fit.
#pragma once

#include <array>
#include <cstdint>

#include "engine/model.h"

namespace korvel {

// The degree+1 non-zero B-spline basis functions at u in knot span `span` (Cox-de Boor), into basis;
// left and right are scratch. All three must hold degree+1 entries.
void BsplineBasisFunctions(int32_t degree, int32_t span, const array1Df& knots, double u, array1Df& basis,
                           array1Df& left, array1Df& right);

// Clamped knots with averaging for the parameters t[0..n]: degree+1 zeros, the averages of degree
// consecutive parameters, degree+1 ones; knots must hold n+degree+4 entries.
void AveragedClampedKnots(int32_t degree, int32_t n, const array1Df& t, array1Df& knots);

// The multiplier written 1/3 in the end-derivative rules of a cubic line: the double nearest to a third.
constexpr double kEndRuleThird = 0.3333333333333333;

// What the elimination of a cubic line takes from its knots alone, so that lines sharing knots share it:
// for the interior steps i = 2..n the first basis value b0[i] and the pivot den[i], from i = 3 the factor
// dd[i], and b2, the third basis value of the last step.
struct CubicLineSteps {
    int32_t n = 0;
    array1Df b0, den, dd;
    double b2 = 0.0;
};

// The steps of lines of n + 1 points with clamped averaged knots U; basis, left and right are scratch of
// 4 entries (grown when shorter). n < 1 or too few knots throw ExportError.
void CubicLineStepsOf(int32_t n, const array1Df& U, CubicLineSteps& steps, array1Df& basis, array1Df& left,
                      array1Df& right);

// Cubic interpolation of the data q[c][0..n] (c = x, y, z) with the knots U the steps were made from and the
// end derivatives d0 and dn: fills p[c][0..n+2]. Lines of four or more points follow the tridiagonal
// elimination; lines of two and three points are solved exactly (a cubic Hermite segment, and one
// interior condition).
void SolveCubicLine(const CubicLineSteps& steps, const array1Df& U, const std::array<const double*, 3>& q,
                    const Vec3d& d0, const Vec3d& dn, const std::array<double*, 3>& p);

// One cubic B-spline curve through Q[0..N]. Users set N, call SetSize, fill QX/QY/QZ, call Interpolate
// with unit end directions, and read Knots and PX/PY/PZ.
class TCubicSpline {
public:
    TCubicSpline();
    virtual ~TCubicSpline();

    void FreeArrays();
    // KnotHigh := N + Degree + 3; every array sized for N.
    void SetSize();
    // Fits the curve; (d0x, d0y, d0z) is the direction at Q[0], (dNx, dNy, dNz) the one at Q[N], both
    // scaled here by the polygon length. Fewer than two points or unsized arrays throw ExportError.
    void Interpolate(double d0x, double d0y, double d0z, double dNx, double dNy, double dNz);

    array1Df Left, Right;
    array1Df Knots;
    array1Df Basis;
    array1Df QX, QY, QZ;
    array1Df PX, PY, PZ;
    array1Df CurveParams;
    int32_t KnotHigh = 6;
    int32_t Degree = 3;
    int32_t N = 0;
};

}  // namespace korvel
