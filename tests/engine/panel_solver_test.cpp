// panel_solver_test.cpp — the wind tunnel's solver against exact conformal-map flows, across vector widths, and its cache.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <numbers>
#include <stdexcept>
#include <utility>
#include <vector>

#include "engine/model.h"
#include "engine/panel_solver.h"
#include "engine/section.h"
#include "engine/worker_pool.h"

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

// Cl at aoa degrees; the pressures stay in m.CpValues.
double Solve(ModelState& m, double aoa) {
    double Cl = 0, Cd = 0;
    SolvePanelMethod(m, aoa, Cl, Cd);
    return Cl;
}

// The exact flow around the Karman-Trefftz airfoil of (x0, y0, tau): the generating circle in the plane
// zeta = 1/z has its centre at (-x0 + i y0)/(1 - 2 x0) and radius a; the airfoil is
// k((1 + W)/(1 - W) - off) with W = ((zeta - 1)/(zeta + 1))^n, which behaves as (k/n) zeta far away.
struct ExactKarmanTrefftz {
    double n, a, beta, g, k, off;
    Complex centre;

    ExactKarmanTrefftz(double x0, double y0, double tau)
        : n(2.0 - tau / 180.0), a(std::sqrt((1.0 - x0) * (1.0 - x0) + y0 * y0) / (1.0 - 2.0 * x0)),
          beta(std::atan2(y0, 1.0 - x0)), g(std::pow(1.0 / x0 - 1.0, n)), k(0.5 - 0.5 / g),
          off((1.0 + g) / (1.0 - g)), centre(Complex(-x0, y0) / (1.0 - 2.0 * x0)) {}
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
double CpRms(const ModelState& m, const ExactKarmanTrefftz& exact, double aoaDeg) {
    constexpr int samples = 40000;
    std::vector<Complex> points(samples);
    std::vector<double> cps(samples);
    for (int s = 0; s < samples; ++s) exact.At(2.0 * kPi * s / samples, aoaDeg, points[s], cps[s]);
    double sum = 0.0;
    for (std::size_t i = 2; i < static_cast<std::size_t>(m.SectionCount); ++i) {
        const Complex mid((m.SectionX[i] + m.SectionX[i + 1]) / 2, (m.SectionY[i] + m.SectionY[i + 1]) / 2);
        int best = 0;
        for (int s = 1; s < samples; ++s)
            if (std::norm(points[s] - mid) < std::norm(points[best] - mid)) best = s;
        sum += (m.CpValues[i] - cps[best]) * (m.CpValues[i] - cps[best]);
    }
    return std::sqrt(sum / (m.SectionCount - 2));
}

// The solver's vector kernels come in three widths and the processor picks one; big sections share their
// rows among threads. Every width this processor has (also those it would not pick) at any thread count
// solves to the bits of the plain triple loop, at sizes on both sides of the threading threshold and with
// partial blocks, row groups and column tiles. Coordinates beyond 1e100 take the fill that guards against
// overflowing squares.
TEST(PanelSolver, EveryVectorWidthAndThreadCountGiveTheTextbookLoopsBits) {
    using namespace panel_detail;
    struct ForcedThreads {
        ~ForcedThreads() { ForceWorkerThreads(0); }
    } restore;
    for (const auto& [ns, scale] : {std::pair{36, 1.0}, {100, 1.0}, {300, 1.0}, {632, 1.0}, {44, 0x1p400}}) {
        ModelState m = Generated(ns, 0.08, 0.05, 30.0);
        for (double& v : m.SectionX) v *= scale;
        for (double& v : m.SectionY) v *= scale;
        std::vector<double> cosRef, sinRef, muCos, muSin;
        SolveBothStreams(m, KernelWidth::Sse2, cosRef, sinRef, Elimination::Textbook);
        EXPECT_TRUE(std::all_of(cosRef.begin(), cosRef.end(), [](double v) { return std::isfinite(v); }));
        for (const unsigned threads : {0u, 1u, 2u, 3u, 8u})
            for (int w = 0; w <= static_cast<int>(WidestKernels()); ++w) {
                SCOPED_TRACE(::testing::Message() << ns << " panels x " << scale << ", width " << w << ", " << threads
                                                  << " threads");
                ForceWorkerThreads(threads);
                SolveBothStreams(m, static_cast<KernelWidth>(w), muCos, muSin);
                ASSERT_TRUE(muCos.size() == cosRef.size() && muSin.size() == sinRef.size());
                EXPECT_EQ(0, std::memcmp(muCos.data(), cosRef.data(), cosRef.size() * sizeof(double)));
                EXPECT_EQ(0, std::memcmp(muSin.data(), sinRef.data(), sinRef.size() * sizeof(double)));
            }
        double cl = 0.0, cd = 0.0;
        SolvePanelMethod(m, 4.0, cl, cd);  // the application's path, on the pool
        EXPECT_TRUE(std::isfinite(cl));
    }
}

// The solver carries its own vector arctangent and logarithm: a few ulp of the library over every
// quadrant, across magnitudes, and the library's special cases.
TEST(PanelSolver, OwnArctangentAndLogarithmFollowTheLibrary) {
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> y, x, r;
    for (double a = -3.14; a <= 3.14; a += 0.0137) {
        for (double len : {1e-300, 1e-8, 0.37, 1.0, 3e5, 1e300}) {
            y.push_back(len * std::sin(a));
            x.push_back(len * std::cos(a));
            r.push_back(len * (1.7 + std::sin(3.0 * a)));
        }
    }
    for (double v : {0.0, -0.0}) {
        for (double u : {0.0, -0.0, 1.0, -1.0, inf, -inf}) {
            y.push_back(v);
            x.push_back(u);
        }
    }
    r.insert(r.end(), {1.0, 2.0, 0.5, 5e-324, inf, 0.0});
    for (int w = 0; w <= static_cast<int>(panel_detail::WidestKernels()); ++w) {
        const auto width = static_cast<panel_detail::KernelWidth>(w);
        std::vector<double> at(y.size()), lg(r.size());
        panel_detail::Atan2Array(width, y.data(), x.data(), at.data(), y.size());
        panel_detail::LogArray(width, r.data(), lg.data(), r.size());
        for (std::size_t i = 0; i < y.size(); ++i) {
            const double want = std::atan2(y[i], x[i]);
            EXPECT_NEAR(at[i], want, 4.0 * std::numeric_limits<double>::epsilon() * std::fabs(want))
                << y[i] << ", " << x[i];
            EXPECT_EQ(std::signbit(at[i]), std::signbit(want)) << y[i] << ", " << x[i];
        }
        for (std::size_t i = 0; i < r.size(); ++i) {
            const double want = std::log(r[i]);
            if (std::isinf(want)) {
                EXPECT_EQ(lg[i], want) << r[i];
            } else {
                EXPECT_NEAR(lg[i], want, 4.0 * std::numeric_limits<double>::epsilon() * std::max(1.0, std::fabs(want)))
                    << r[i];
            }
        }
    }
}

TEST(PanelSolver, ExactKarmanTrefftzLiftAndPressure) {
    struct Case { double x0, y0, tau, aoa; };
    // Lifting sections; near zero lift the relative error says little, and a cambered rounded edge
    // converges only like 1/N (the discrete Kutta condition), so those are not held to these bounds.
    for (const Case c : {Case{0.08, 0.05, 20.0, 4.0}, Case{0.12, 0.0, 40.0, 6.0}, Case{0.05, 0.1, 20.0, 4.0},
                         Case{0.05, 0.1, 90.0, 0.0}, Case{0.1, 0.03, 180.0, 4.0}}) {
        SCOPED_TRACE(c.tau);
        const ExactKarmanTrefftz exact(c.x0, c.y0, c.tau);
        double previous = std::numeric_limits<double>::infinity();
        for (const int32_t ns : {64, 128, 256}) {
            ModelState m = Generated(ns, c.x0, c.y0, c.tau);
            const double error = std::fabs(Solve(m, c.aoa) - exact.Cl(c.aoa)) / std::fabs(exact.Cl(c.aoa));
            EXPECT_LE(error, ns == 64 ? 0.03 : 0.01) << ns;
            EXPECT_LT(error, previous) << ns;
            previous = error;
            EXPECT_LE(ns == 128 ? CpRms(m, exact, c.aoa) : 0.0, 0.01);
        }
    }
}

TEST(PanelSolver, EllipseAndCircleLiftAreaAndHeight) {
    // t = 1 is the circle (Cl = 4 pi sin(alpha)); 132 panels leave the elimination a short last block.
    for (const double t : {0.12, 0.5, 1.0}) {
        SCOPED_TRACE(t);
        ModelState m = Generated(132, 0.1, 0.0, 180.0, t);
        const double truth = 2 * kPi * (1 + t) * std::sin(Radians(5.0));
        EXPECT_NEAR(Solve(m, 5.0), truth, 0.01 * truth);
        double area = 0, height = 0, reversed = 0;
        SectionAreaHeight(m, area, height);
        EXPECT_NEAR(area, kPi * t / 4, 1e-3 * kPi * t / 4);
        EXPECT_NEAR(height, t, 1e-3 * t);
        // The contour the other way round: the same positive area.
        std::reverse(m.SectionY.begin() + 1, m.SectionY.begin() + m.SectionCount + 2);
        std::reverse(m.SectionX.begin() + 1, m.SectionX.begin() + m.SectionCount + 2);
        SectionAreaHeight(m, reversed, height);
        EXPECT_DOUBLE_EQ(reversed, area);
    }
}

TEST(PanelSolver, SymmetryAndDrag) {
    ModelState symmetric = Generated(96, 0.1, 0.0, 30.0);
    EXPECT_EQ(Solve(symmetric, 0.0), 0.0);  // the round-off circulation is below the 1e-7 floor
    const double up = Solve(symmetric, 7.5);
    EXPECT_GT(up, 0.0);
    EXPECT_NEAR(Solve(symmetric, -7.5), -up, 1e-9 * up);
    // Camber lifts at a small negative angle: the drag figure, Cl x AOA in radians, then turns negative.
    ModelState cambered = Generated(64, 0.08, 0.1, 25.0);
    double Cl = 0, Cd = 0;
    SolvePanelMethod(cambered, -2.0, Cl, Cd);
    EXPECT_GT(Cl, 0.0);
    EXPECT_NEAR(Cd, Cl * Radians(-2.0), 1e-12);
}

TEST(PanelSolver, KeptSolutionsServeAngleMovesAndNothingElse) {
    ModelState m = Generated(96, 0.08, 0.04, 30.0);
    Solve(m, 1.0);
    // Another angle on the same section: the bits of a fresh solve, and a marked kept solution shows
    // through (nothing was solved again).
    const double moved = Solve(m, 7.0);
    ModelState fresh = Generated(96, 0.08, 0.04, 30.0);
    EXPECT_EQ(moved, Solve(fresh, 7.0));
    EXPECT_EQ(m.CpValues, fresh.CpValues);
    m.SolverCache.MuSin.back() += 1.0;
    EXPECT_NE(Solve(m, 7.0), moved);
    // One node moved by one unit in the last place: solved again, the mark is gone.
    m.SectionY[40] = std::nextafter(m.SectionY[40], 1.0);
    ModelState moved1ulp = m;
    moved1ulp.SolverCache.Clear();
    EXPECT_EQ(Solve(m, 7.0), Solve(moved1ulp, 7.0));
    EXPECT_EQ(m.CpValues, moved1ulp.CpValues);
}

TEST(PanelSolver, DegenerateContoursGiveNonFiniteResultsNotErrors) {
    // fZ = 0 folds the contour onto the chord: coincident nodes, zero-area panels.
    ModelState flat = Generated(64, 0.1, 0.0, 30.0, 0.0);
    double Cl = 0, Cd = 0;
    EXPECT_NO_THROW(SolvePanelMethod(flat, 5.0, Cl, Cd));
    EXPECT_EQ(std::pair(std::isfinite(Cl), flat.CpValues.size()), std::pair(false, std::size_t{65}));
    // A section shorter than its count is a programming error, reported rather than read past its end.
    ModelState broken = Generated(16, 0.1, 0.0, 30.0);
    broken.SetSectionCount(32);
    EXPECT_THROW(SolvePanelMethod(broken, 5.0, Cl, Cd), std::logic_error);
}

}  // namespace
}  // namespace korvel
