// panel_solver_test.cpp — the wind tunnel's solver against exact conformal-map flows, a plain reference solve and its cache.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <numbers>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/model.h"
#include "engine/panel_solver.h"
#include "engine/section.h"

namespace korvel {
namespace {

constexpr double kPi = std::numbers::pi;
using Complex = std::complex<double>;

double Radians(double degrees) { return degrees * kPi / 180.0; }

// A generated section with equal edge angles tau, full radius factors and no modifiers: an exact
// Karman-Trefftz airfoil of chord 1 (tau = 180 with y0 = 0 is the circle of diameter 1, stretched by fZ).
ModelState Generated(int32_t ns, double x0, double y0, double tau, double fZ = 1.0) {
    ModelState m;
    m.SetSectionCount(ns);
    BuildBaseSection(m, 1, x0, y0, 1.0, 1.0, fZ, 1.0, tau, tau);
    OrientSection(m);
    return m;
}

// A contour made here, not by the generator: cambered and thick at the front, any panel count.
ModelState HandMade(int32_t ns) {
    ModelState m;
    m.SetSectionCount(ns);
    m.SectionX.assign(static_cast<std::size_t>(ns) + 2, 0.0);
    m.SectionY.assign(static_cast<std::size_t>(ns) + 2, 0.0);
    for (int32_t i = 1; i <= ns + 1; ++i) {
        const double t = 2.0 * kPi * (i - 1) / ns;
        m.SectionX[static_cast<std::size_t>(i)] = 0.5 + 0.5 * std::cos(t);
        m.SectionY[static_cast<std::size_t>(i)] =
            -0.06 * std::sin(t) * (1.0 - 0.5 * std::cos(t)) + 0.03 * std::sin(t) * std::sin(t);
    }
    m.SectionY[1] = m.SectionY[static_cast<std::size_t>(ns) + 1] = 0.0;
    m.SectionLE = ns / 2 + 1;
    return m;
}

struct Flow {
    double Cl = 0.0;
    double Cd = 0.0;
    std::vector<double> Cp;
};

Flow Solve(ModelState& m, double aoa) {
    Flow f;
    SolvePanelMethod(m, aoa, f.Cl, f.Cd);
    f.Cp = m.CpValues;
    return f;
}

// The exact flow around the Karman-Trefftz airfoil of (x0, y0, tau): the generating circle in the plane
// zeta = 1/z has its centre at (-x0 + i y0)/(1 - 2 x0) and radius a; the airfoil is
// k((1 + W)/(1 - W) - off) with W = ((zeta - 1)/(zeta + 1))^n, which behaves as (k/n) zeta far away.
struct ExactKarmanTrefftz {
    double n, a, beta, g, k, off;
    Complex centre;

    ExactKarmanTrefftz(double x0, double y0, double tau) {
        n = 2.0 - tau / 180.0;
        a = std::sqrt((1.0 - x0) * (1.0 - x0) + y0 * y0) / (1.0 - 2.0 * x0);
        beta = std::atan2(y0, 1.0 - x0);
        g = std::pow(1.0 / x0 - 1.0, n);
        k = 0.5 - 0.5 / g;
        off = (1.0 + g) / (1.0 - g);
        centre = Complex(-x0, y0) / (1.0 - 2.0 * x0);
    }
    double Cl(double aoaDeg) const {
        return 4.0 * kPi * a / n * (1.0 - 1.0 / g) * std::sin(Radians(aoaDeg) + beta);
    }
    // Surface point and pressure coefficient at the circle angle theta, for a unit free stream.
    void At(double theta, double aoaDeg, Complex& point, double& cp) const {
        const double alpha = Radians(aoaDeg);
        const Complex zeta = centre + a * std::exp(Complex(0.0, theta));
        const Complex A = (zeta - 1.0) / (zeta + 1.0);
        const Complex W = std::pow(A, n);
        point = k * ((1.0 + W) / (1.0 - W) - off);
        const Complex dZdZeta =
            k * (2.0 / ((1.0 - W) * (1.0 - W))) * (n * W / A) * (2.0 / ((zeta + 1.0) * (zeta + 1.0)));
        const double circleSpeed = 2.0 * (k / n) * std::fabs(std::sin(theta - alpha) + std::sin(alpha + beta));
        const double speed = circleSpeed / std::abs(dZdZeta);
        cp = 1.0 - speed * speed;
    }
};

// RMS of panel Cp against the exact Cp at the nearest exact surface point, both trailing-edge panels left out.
double CpRms(const ModelState& m, const Flow& f, const ExactKarmanTrefftz& exact, double aoaDeg) {
    constexpr int samples = 40000;
    std::vector<Complex> points(samples);
    std::vector<double> cps(samples);
    for (int s = 0; s < samples; ++s) exact.At(2.0 * kPi * s / samples, aoaDeg, points[s], cps[s]);
    double sum = 0.0;
    int count = 0;
    for (int32_t k = 2; k < m.SectionCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const Complex mid((m.SectionX[i] + m.SectionX[i + 1]) / 2, (m.SectionY[i] + m.SectionY[i + 1]) / 2);
        int best = 0;
        for (int s = 1; s < samples; ++s)
            if (std::norm(points[s] - mid) < std::norm(points[best] - mid)) best = s;
        sum += (f.Cp[i] - cps[best]) * (f.Cp[i] - cps[best]);
        ++count;
    }
    return std::sqrt(sum / count);
}

// The method written the plain way: per-panel arctangent pair and log of the distance ratio, the
// right-hand side at the actual angle, the textbook triple loop, back substitution.
Flow PlainReference(const ModelState& m, double aoaDeg) {
    const int ns = m.SectionCount;
    const std::vector<double>& X = m.SectionX;
    const std::vector<double>& Y = m.SectionY;
    const double a = aoaDeg / 180.0 * kPi, s = std::sin(a), c = std::cos(a);
    std::vector<std::vector<double>> A(ns + 2, std::vector<double>(ns + 3, 0.0));
    const auto influence = [&](std::vector<double>& row, double xf, double yf, int j) {
        const double dx = X[j + 1] - X[j], dy = Y[j + 1] - Y[j], L2 = dx * dx + dy * dy;
        const double ex = xf - X[j], ey = yf - Y[j];
        const double p = ex * dx + ey * dy, q = ey * dx - ex * dy;
        const double T = std::atan2(q, p - L2) - std::atan2(q, p);
        const double rk = (xf - X[j + 1]) * (xf - X[j + 1]) + (yf - Y[j + 1]) * (yf - Y[j + 1]);
        const double E = (0.5 * q * std::log(rk / (ex * ex + ey * ey)) + p * T) / L2;
        row[j] += T - E;
        row[j + 1] += E;
    };
    const auto turn = [](double y, double x) { return std::atan2(y, x) + (y < 0 ? 2 * kPi : 0.0); };
    A[1][ns + 2] = -2 * kPi * c;
    for (int j = 2; j <= ns - 1; ++j) influence(A[1], 1.0, 0.0, j);
    A[1][1] = -turn(-Y[2], X[2] - 1);
    A[1][ns + 1] = -turn(Y[ns], X[ns] - 1);
    for (int r = 2; r <= ns; ++r) {
        A[r][ns + 2] = -2 * kPi * (X[r] * c + Y[r] * s);
        const double ux = X[r] - X[r + 1], uy = Y[r] - Y[r + 1], vx = X[r] - X[r - 1], vy = Y[r] - Y[r - 1];
        A[r][r] = turn(uy * vx - ux * vy, ux * vx + uy * vy) - 2 * kPi;
        const double w = turn(Y[r], X[r] - 1) - kPi;
        A[r][1] += w;
        A[r][ns + 1] -= w;
        for (int j = 1; j <= ns; ++j)
            if (j != r - 1 && j != r) influence(A[r], X[r], Y[r], j);
    }
    const double d1 = std::hypot(X[2] - 1, Y[2]), d2 = std::hypot(X[ns] - 1, Y[ns]);
    A[ns + 1][1] = 1 / d1;
    A[ns + 1][2] = -1 / d1;
    A[ns + 1][ns] = 1 / d2;
    A[ns + 1][ns + 1] = -1 / d2;
    for (int k = 1; k <= ns; ++k)
        for (int i = k + 1; i <= ns + 1; ++i) {
            const double f = A[i][k] / A[k][k];
            for (int j = k + 1; j <= ns + 2; ++j) A[i][j] -= f * A[k][j];
        }
    std::vector<double> mu(ns + 2, 0.0);
    for (int k = ns + 1; k >= 1; --k) {
        double sum = 0;
        for (int j = ns + 1; j > k; --j) sum += A[k][j] * mu[j];
        mu[k] = (A[k][ns + 2] - sum) / A[k][k];
    }
    Flow f;
    f.Cp.assign(ns + 1, 0.0);
    for (int k = 1; k <= ns; ++k) {
        const double d = mu[k + 1] - mu[k];
        f.Cp[k] = 1 - d * d / ((X[k + 1] - X[k]) * (X[k + 1] - X[k]) + (Y[k + 1] - Y[k]) * (Y[k + 1] - Y[k]));
    }
    f.Cl = 2 * (mu[ns + 1] - mu[1]);
    f.Cd = (mu[ns + 1] - mu[1]) * aoaDeg * 0.03490658503988659;
    return f;
}

void ExpectSameFlow(const Flow& actual, const Flow& expected, double tolerance) {
    EXPECT_NEAR(actual.Cl, expected.Cl, tolerance * std::fabs(expected.Cl));
    EXPECT_NEAR(actual.Cd, expected.Cd, tolerance * std::fabs(expected.Cd) + 1e-15);
    ASSERT_EQ(actual.Cp.size(), expected.Cp.size());
    for (std::size_t k = 1; k < actual.Cp.size(); ++k) EXPECT_NEAR(actual.Cp[k], expected.Cp[k], tolerance) << k;
}

// Every width this processor can run.
std::vector<panel_detail::KernelWidth> Widths() {
    using panel_detail::KernelWidth;
    std::vector<KernelWidth> widths{KernelWidth::Sse2};
    if (panel_detail::WidestKernels() != KernelWidth::Sse2) widths.push_back(KernelWidth::Avx2);
    if (panel_detail::WidestKernels() == KernelWidth::Avx512) widths.push_back(KernelWidth::Avx512);
    return widths;
}

// Within four ulp of the library, or the library's own answer where that is NaN or infinite.
void ExpectLibraryValue(double value, double ref, double tolerance) {
    if (std::isnan(ref)) {
        EXPECT_TRUE(std::isnan(value));
    } else if (std::isinf(ref)) {
        EXPECT_EQ(value, ref);
    } else {
        EXPECT_EQ(std::signbit(value), std::signbit(ref));
        EXPECT_LE(std::fabs(value - ref), 4 * std::numeric_limits<double>::epsilon() * std::fabs(ref) + tolerance);
    }
}

TEST(PanelSolverKernels, ArctangentAndLogarithmWithinFourUlpOfTheLibrary) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-40, 40);
    std::vector<double> y, x, v;
    for (int i = 0; i < 20000; ++i) {
        y.push_back(std::ldexp(mantissa(random), exponent(random)));
        x.push_back(std::ldexp(mantissa(random), exponent(random)));
        v.push_back(std::ldexp(std::fabs(mantissa(random)) + 1e-3, exponent(random)));
    }
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    const double specialY[] = {0.0, -0.0, 0.0, -0.0, 1.0, -1.0, 0.0, inf, -inf, 1.0, nan, 1.0, 3.0, -2.0, 1e-300};
    const double specialX[] = {0.0, 0.0, -0.0, -0.0, 0.0, -0.0, -1.0, 1.0, -inf, inf, 1.0, nan, 3.0, -2.0, 1.0};
    y.insert(y.end(), std::begin(specialY), std::end(specialY));
    x.insert(x.end(), std::begin(specialX), std::end(specialX));
    const double specials[] = {1.0, 0.0, -0.0, -1.0, inf, nan, 4.9e-324, 1.0 + 1e-15, 1.0 - 1e-15, 2.0, 0.5};
    v.insert(v.end(), std::begin(specials), std::end(specials));

    for (const auto width : Widths()) {
        std::vector<double> angles(y.size()), logs(v.size());
        panel_detail::Atan2Array(width, y.data(), x.data(), angles.data(), y.size());
        panel_detail::LogArray(width, v.data(), logs.data(), v.size());
        for (std::size_t i = 0; i < y.size(); ++i) {
            SCOPED_TRACE(std::to_string(y[i]) + ", " + std::to_string(x[i]));
            ExpectLibraryValue(angles[i], std::atan2(y[i], x[i]), 1e-320);
        }
        for (std::size_t i = 0; i < v.size(); ++i) {
            SCOPED_TRACE(std::to_string(v[i]));
            ExpectLibraryValue(logs[i], std::log(v[i]), 0.0);
        }
    }
}

TEST(PanelSolverKernels, EveryVectorWidthGivesTheSameBits) {
    ModelState m = Generated(96, 0.08, 0.05, 30.0);
    std::vector<double> cosRef, sinRef;
    panel_detail::SolveBothStreams(m, panel_detail::KernelWidth::Sse2, cosRef, sinRef);
    for (const auto width : Widths()) {
        std::vector<double> muCos, muSin;
        panel_detail::SolveBothStreams(m, width, muCos, muSin);
        EXPECT_EQ(muCos, cosRef);
        EXPECT_EQ(muSin, sinRef);
    }
}

TEST(PanelSolver, MatchesThePlainMethodOnAnyPanelCount) {
    // Odd and even counts reach every tail of the vector loops and of the elimination blocks.
    for (const int32_t ns : {5, 61, 96, 130}) {
        ModelState m = HandMade(ns);
        ExpectSameFlow(Solve(m, 4.0), PlainReference(m, 4.0), 1e-9);
    }
    ModelState kt = Generated(128, 0.08, 0.06, 30.0);
    ExpectSameFlow(Solve(kt, -6.0), PlainReference(kt, -6.0), 1e-9);
}

TEST(PanelSolver, ExactKarmanTrefftzLiftAndPressure) {
    struct Case {
        double x0, y0, tau, aoa;
    };
    // Lifting sections; near zero lift the relative error says little, and a cambered rounded edge
    // converges only like 1/N (the discrete Kutta condition), so those are not held to these bounds.
    for (const Case c : {Case{0.08, 0.05, 20.0, 4.0}, Case{0.12, 0.0, 40.0, 6.0}, Case{0.05, 0.1, 20.0, 4.0},
                         Case{0.05, 0.1, 90.0, 0.0}, Case{0.1, 0.03, 180.0, 4.0}}) {
        SCOPED_TRACE(c.tau);
        const ExactKarmanTrefftz exact(c.x0, c.y0, c.tau);
        double previous = std::numeric_limits<double>::infinity();
        for (const int32_t ns : {64, 128, 256}) {
            ModelState m = Generated(ns, c.x0, c.y0, c.tau);
            const Flow f = Solve(m, c.aoa);
            const double error = std::fabs(f.Cl - exact.Cl(c.aoa)) / std::fabs(exact.Cl(c.aoa));
            EXPECT_LE(error, ns == 64 ? 0.03 : 0.01) << ns;
            EXPECT_LT(error, previous) << ns;
            previous = error;
            if (ns == 128) {
                EXPECT_LE(CpRms(m, f, exact, c.aoa), 0.01);
            }
        }
    }
    // The circle: Cl = 4 pi sin(alpha).
    ModelState circle = Generated(128, 0.2, 0.0, 180.0);
    EXPECT_NEAR(Solve(circle, 5.0).Cl, 4 * kPi * std::sin(Radians(5.0)), 0.01 * 4 * kPi * std::sin(Radians(5.0)));
}

TEST(PanelSolver, EllipseLiftPressureAreaAndHeight) {
    for (const double t : {0.12, 0.5}) {
        SCOPED_TRACE(t);
        ModelState m = Generated(128, 0.1, 0.0, 180.0, t);
        const Flow f = Solve(m, 5.0);
        const double truth = 2 * kPi * (1 + t) * std::sin(Radians(5.0));
        EXPECT_NEAR(f.Cl, truth, 0.01 * truth);
        // Lowest pressure on the upper surface towards the nose, stagnation (Cp near 1) on the lower one.
        const std::size_t le = static_cast<std::size_t>(m.SectionLE);
        const auto lowest = static_cast<std::size_t>(std::min_element(f.Cp.begin() + 1, f.Cp.end()) - f.Cp.begin());
        EXPECT_GE(lowest, le);
        EXPECT_LT(m.SectionX[lowest], t < 0.2 ? 0.1 : 0.5);
        EXPECT_GT(*std::max_element(f.Cp.begin() + 1, f.Cp.begin() + static_cast<std::ptrdiff_t>(le)), 0.95);
        double area = 0, height = 0;
        SectionAreaHeight(m, area, height);
        EXPECT_NEAR(area, kPi * t / 4, 1e-3 * kPi * t / 4);
        EXPECT_NEAR(height, t, 1e-3 * t);
        // The contour the other way round: the same positive area.
        std::reverse(m.SectionY.begin() + 1, m.SectionY.begin() + m.SectionCount + 2);
        std::reverse(m.SectionX.begin() + 1, m.SectionX.begin() + m.SectionCount + 2);
        double reversed = 0;
        SectionAreaHeight(m, reversed, height);
        EXPECT_DOUBLE_EQ(reversed, area);
    }
}

TEST(PanelSolver, SignsSymmetryAndDrag) {
    ModelState symmetric = Generated(96, 0.1, 0.0, 30.0);
    const Flow zero = Solve(symmetric, 0.0);
    EXPECT_EQ(zero.Cl, 0.0);  // the round-off circulation is below the 1e-7 floor
    EXPECT_EQ(zero.Cd, 0.0);
    for (const double aoa : {2.0, 7.5, 30.0}) {
        const double up = Solve(symmetric, aoa).Cl;
        EXPECT_GT(up, 0.0);
        EXPECT_NEAR(Solve(symmetric, -aoa).Cl, -up, 1e-9 * up);
    }
    // Camber lifts at a small negative angle: the drag figure then turns negative, Cl x AOA in radians.
    ModelState cambered = Generated(64, 0.08, 0.1, 25.0);
    EXPECT_EQ(Solve(cambered, 0.0).Cd, 0.0);
    const Flow negative = Solve(cambered, -2.0);
    EXPECT_GT(negative.Cl, 0.0);
    EXPECT_NEAR(negative.Cd, negative.Cl * Radians(-2.0), 1e-12);
    // Work arrays as the drawing expects them: matrix gone, one Cp per panel and an unused entry 0.
    EXPECT_TRUE(cambered.PanelMatrix.empty());
    ASSERT_EQ(cambered.CpValues.size(), 65u);
    EXPECT_EQ(cambered.CpValues[0], 0.0);
}

TEST(PanelSolver, KeptSolutionsServeAngleMovesAndNothingElse) {
    ModelState m = Generated(96, 0.08, 0.04, 30.0);
    Solve(m, 1.0);
    // Another angle on the same section: a fresh solve of its own gives the same bits, the plain method
    // the same values, and a marked kept solution shows through (nothing was solved again).
    const Flow moved = Solve(m, 7.0);
    ModelState fresh = Generated(96, 0.08, 0.04, 30.0);
    const Flow direct = Solve(fresh, 7.0);
    EXPECT_EQ(moved.Cl, direct.Cl);
    EXPECT_EQ(moved.Cp, direct.Cp);
    ExpectSameFlow(moved, PlainReference(m, 7.0), 1e-9);
    m.SolverCache.MuSin.back() += 1.0;
    EXPECT_NE(Solve(m, 7.0).Cl, direct.Cl);
    // One node moved by one unit in the last place: solved again, the mark is gone.
    m.SectionY[40] = std::nextafter(m.SectionY[40], 1.0);
    ModelState moved1ulp = m;
    moved1ulp.SolverCache.Clear();
    EXPECT_EQ(Solve(m, 7.0).Cp, Solve(moved1ulp, 7.0).Cp);
    // Another panel count whose first nodes might match.
    ModelState other = Generated(104, 0.08, 0.04, 30.0);
    other.SolverCache = m.SolverCache;
    other.SolverCache.MuSin.back() += 1.0;
    ModelState otherFresh = Generated(104, 0.08, 0.04, 30.0);
    EXPECT_EQ(Solve(other, 3.0).Cl, Solve(otherFresh, 3.0).Cl);
}

TEST(PanelSolver, DegenerateContoursGiveNonFiniteResultsNotErrors) {
    // fZ = 0 folds the contour onto the chord: coincident nodes, zero-area panels.
    ModelState flat = Generated(64, 0.1, 0.0, 30.0, 0.0);
    double Cl = 0, Cd = 0;
    EXPECT_NO_THROW(SolvePanelMethod(flat, 5.0, Cl, Cd));
    EXPECT_FALSE(std::isfinite(Cl));
    EXPECT_EQ(flat.CpValues.size(), 65u);
    // Too few panels to carry the trailing-edge and Kutta rows.
    ModelState tiny = HandMade(2);
    EXPECT_NO_THROW(SolvePanelMethod(tiny, 5.0, Cl, Cd));
    EXPECT_TRUE(std::isnan(Cl));
    // A section shorter than its count is a programming error, reported rather than read past its end.
    ModelState broken = HandMade(16);
    broken.SetSectionCount(32);
    EXPECT_THROW(SolvePanelMethod(broken, 5.0, Cl, Cd), std::logic_error);
}

}  // namespace
}  // namespace korvel
