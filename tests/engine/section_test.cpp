// section_test.cpp — the airfoil section against closed-form conformal maps, and the circle tables.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <stdexcept>

#include "engine/model.h"
#include "engine/section.h"

namespace korvel {
namespace {

using cd = std::complex<double>;
constexpr double kPi = std::numbers::pi;

ModelState Base(int32_t ns, int direction, double x0, double y0, double rc1, double rc2, double fZ, double size,
                double Tea, double Lea) {
    ModelState m;
    m.SetSectionCount(ns);
    BuildBaseSection(m, direction, x0, y0, rc1, rc2, fZ, size, Tea, Lea);
    return m;
}

double MaxPointDistance(const ModelState& a, const ModelState& b) {
    double d = 0.0;
    for (int32_t i = 1; i <= a.SectionCount + 1; ++i) {
        d = std::max(d, std::hypot(a.SectionX[i] - b.SectionX[i], a.SectionY[i] - b.SectionY[i]));
    }
    return d;
}

// The section's own conventions: trailing edge at both ends, leading edge in the middle, lower surface first.
void ExpectConventions(const ModelState& m) {
    const int32_t ns = m.SectionCount;
    const int32_t le = m.SectionLE;
    ASSERT_EQ(m.SectionX.size(), static_cast<size_t>(ns + 2));
    EXPECT_EQ(le, ns / 2 + 1);
    EXPECT_EQ(m.SectionY[1], 0.0);
    EXPECT_EQ(m.SectionY[ns + 1], 0.0);
    EXPECT_EQ(m.SectionX[1], m.SectionX[ns + 1]);
    EXPECT_EQ(m.SectionY[le], 0.0);
    EXPECT_LE(m.SectionY[le - 1], m.SectionY[le + 1]);
    double lowest = 0.0;
    for (double y : m.SectionY) lowest = std::min(lowest, y);
    EXPECT_EQ(m.SectionMinY, lowest);
}

TEST(BaseSection, RoundedEdgesGiveTheCircleThroughBothEnds) {
    for (double size : {1.0, 2.5}) {
        for (double x0 : {0.0575, 0.3}) {
            const ModelState m = Base(64, 1, x0, 0.0, 1.0, 1.0, 1.0, size, 180.0, 180.0);
            ExpectConventions(m);
            EXPECT_EQ(m.SectionX[1], size);
            EXPECT_EQ(m.SectionX[m.SectionLE], 0.0);
            for (int32_t i = 1; i <= 65; ++i) {
                const double r = std::hypot(m.SectionX[i] - size / 2, m.SectionY[i]);
                EXPECT_NEAR(r, size / 2, 1e-13 * size) << "point " << i << " x0 " << x0;
            }
            EXPECT_NEAR(m.SectionMinY, -size / 2, 1e-2 * size);
        }
    }
}

TEST(BaseSection, CentredCircleGivesASymmetricSection) {
    for (double rc : {1.0, 0.85}) {
        const ModelState m = Base(80, 1, 0.0575, 0.0, rc, rc, 1.3, 1.0, 44.0, 0.0);
        ExpectConventions(m);
        for (int32_t k = 2; k <= 40; ++k) {
            EXPECT_NEAR(m.SectionX[k], m.SectionX[82 - k], 1e-13);
            EXPECT_NEAR(m.SectionY[k], -m.SectionY[82 - k], 1e-13);
            EXPECT_LT(m.SectionY[k], 0.0);
        }
    }
}

// With equal edge angles and an unsqueezed circle the contour is a classical Karman-Trefftz airfoil:
// the circle point z goes to (1 + W)/(1 - W), W = ((1 - z)/(1 + z))^e, then chord-normalised.
TEST(BaseSection, EqualEdgeAnglesGiveTheExactKarmanTrefftzAirfoil) {
    const int32_t ns = 96;
    const int32_t h = ns / 2;
    for (double tau : {0.0, 15.0, 44.0, 120.0}) {
        for (double y0 : {0.0, 0.08, -0.06}) {
            const double x0 = 0.09;
            const double size = 1.7;
            const ModelState m = Base(ns, 1, x0, y0, 1.0, 1.0, 1.0, size, tau, tau);
            ExpectConventions(m);
            const double e = 2.0 - tau / 180.0;
            auto map = [e](cd z) {
                const cd w = std::pow((1.0 - z) / (1.0 + z), e);
                return (1.0 + w) / (1.0 - w);
            };
            const cd centre(x0, y0);
            const double radius = std::abs(1.0 - centre);
            const double beta = std::atan2(y0, 1.0 - x0);
            const cd lead = map(cd(2.0 * x0 - 1.0, 0.0));
            auto normalise = [&](cd z) { return size * (z - lead) / (1.0 - lead); };
            // The contour runs the circle from angle -beta through pi + beta back round; the section may
            // then be reversed so the lower surface comes first. Compare as a set of points in order.
            std::vector<cd> expected(ns + 2);
            for (int32_t i = 2; i <= h; ++i) {
                const double t = (i - 1) * (kPi + 2 * beta) / h - beta;
                expected[i] = normalise(map(centre + std::polar(radius, t)));
            }
            for (int32_t i = h + 2; i <= ns; ++i) {
                const double t = (i - h - 1) * (kPi - 2 * beta) / h + kPi + beta;
                expected[i] = normalise(map(centre + std::polar(radius, t)));
            }
            const bool reversed = std::abs(cd(m.SectionX[2], m.SectionY[2]) - expected[2]) > 1e-6;
            for (int32_t i = 2; i <= ns; ++i) {
                if (i == h + 1) continue;
                const cd want = expected[reversed ? ns + 2 - i : i];
                EXPECT_NEAR(m.SectionX[i], want.real(), 1e-11) << "tau " << tau << " y0 " << y0 << " i " << i;
                EXPECT_NEAR(m.SectionY[i], want.imag(), 1e-11) << "tau " << tau << " y0 " << y0 << " i " << i;
            }
        }
    }
}

TEST(BaseSection, TrailingEdgeAngleIsTea) {
    for (double tau : {20.0, 44.0, 90.0}) {
        const int32_t ns = 8000;
        const ModelState m = Base(ns, 1, 0.0575, 0.03, 1.0, 1.0, 1.0, 1.0, tau, 0.0);
        const double ux = m.SectionX[2] - 1.0, uy = m.SectionY[2];
        const double lx = m.SectionX[ns] - 1.0, ly = m.SectionY[ns];
        const double angle = std::acos((ux * lx + uy * ly) / std::hypot(ux, uy) / std::hypot(lx, ly)) * 180 / kPi;
        EXPECT_NEAR(angle, tau, 0.1);
    }
}

TEST(BaseSection, DirectionZeroMirrorsTheChord) {
    const ModelState a = Base(40, 1, 0.0575, 0.05, 0.9, 0.95, 1.0, 2.0, 44.0, 0.0);
    const ModelState b = Base(40, 0, 0.0575, 0.05, 0.9, 0.95, 1.0, 2.0, 44.0, 0.0);
    EXPECT_EQ(b.SectionX[1], 0.0);
    EXPECT_NEAR(b.SectionX[b.SectionLE], 2.0, 1e-12);
    EXPECT_EQ(a.SectionMinY, b.SectionMinY);
    for (int32_t i = 2; i <= 40; ++i) {
        if (i == 21) continue;
        EXPECT_NEAR(b.SectionX[i], 2.0 - a.SectionX[i], 1e-12);
        EXPECT_EQ(b.SectionY[i], a.SectionY[i]);
    }
}

TEST(BaseSection, RejectsCountsItCannotIndex) {
    for (int32_t ns : {0, 2, 6, -8}) {
        ModelState m;
        m.SetSectionCount(ns);
        EXPECT_THROW(BuildBaseSection(m, 1, 0.0575, 0.0, 0.98, 0.98, 1.0, 1.0, 44.0, 0.0), std::invalid_argument);
    }
    ModelState empty;  // the in-place steps leave a state without a section alone
    KarmanTrefftzSection(empty, 0.1, 0.01, 0.1, 0.0);
    ScaleSection(empty, 1, 2.0);
    OrientSection(empty);
    FlipSectionVertical(empty);
    FlipSectionHorizontal(empty);
    EXPECT_TRUE(empty.SectionX.empty());
}

// kt = 0 makes the modifier the Joukowski map s -> (s/kc + kc/s)/2 of the shifted point.
TEST(ModifierSection, ZeroAngleIsTheNormalisedJoukowskiMap) {
    ModelState m = Base(48, 1, 0.0575, 0.02, 0.95, 0.9, 1.0, 1.0, 44.0, 0.0);
    const ModelState before = m;
    const double tx = 0.3, tz = 0.05 - m.SectionMinY, kc = 0.2;
    KarmanTrefftzSection(m, tx, tz, kc, 0.0);
    auto jouk = [&](double x, double y) {
        const cd s(x + tx, y + tz);
        return 0.5 * (s / kc + kc / s);
    };
    const cd lead = jouk(before.SectionX[25], 0.0);
    const cd trail = jouk(before.SectionX[1], 0.0);
    double lowest = 0.0;
    for (int32_t i = 2; i <= 48; ++i) {
        if (i == 25) continue;
        const cd want = (jouk(before.SectionX[i], before.SectionY[i]) - lead) / (trail - lead);
        EXPECT_NEAR(m.SectionX[i], want.real(), 1e-12) << i;
        EXPECT_NEAR(m.SectionY[i], want.imag(), 1e-12) << i;
        lowest = std::min(lowest, m.SectionY[i]);
    }
    EXPECT_EQ(m.SectionMinY, lowest);
}

TEST(ModifierSection, EndsExactlyOnTheUnitChord) {
    for (double kt : {0.0, 37.5, 180.0, 300.0, 360.0}) {
        for (int direction : {0, 1}) {
            ModelState m = Base(40, direction, 0.1, -0.04, 0.8, 1.0, 2.0, 3.0, 20.0, 10.0);
            KarmanTrefftzSection(m, 0.25, 0.004 - m.SectionMinY, 0.1, kt);
            EXPECT_EQ(m.SectionX[1], 1.0);
            EXPECT_EQ(m.SectionY[1], 0.0);
            EXPECT_EQ(m.SectionX[41], 1.0);
            EXPECT_EQ(m.SectionY[41], 0.0);
            EXPECT_EQ(m.SectionX[21], 0.0);
            EXPECT_EQ(m.SectionY[21], 0.0);
            for (int32_t i = 1; i <= 41; ++i) {
                ASSERT_TRUE(std::isfinite(m.SectionX[i]) && std::isfinite(m.SectionY[i])) << "kt " << kt;
            }
        }
    }
}

// At kt = 360 the exponent is 0; the map's limit there is -2 / Log w, which the slider's neighbours approach.
TEST(ModifierSection, FullAngleIsTheLogarithmicLimit) {
    const ModelState base = Base(48, 1, 0.0575, 0.0, 0.9815, 0.9815, 1.0, 1.0, 44.0, 0.0);
    const double tx = 0.2, tz = 0.01 - base.SectionMinY, kc = 0.15;
    ModelState end = base;
    KarmanTrefftzSection(end, tx, tz, kc, 360.0);
    auto logmap = [&](double x, double y) {
        const cd s(x + tx, y + tz);
        return -2.0 / std::log((kc - s) / (kc + s));
    };
    const cd lead = logmap(base.SectionX[25], 0.0), trail = logmap(base.SectionX[1], 0.0);
    for (int32_t i = 2; i <= 48; ++i) {
        if (i == 25) continue;
        const cd want = (logmap(base.SectionX[i], base.SectionY[i]) - lead) / (trail - lead);
        EXPECT_NEAR(end.SectionX[i], want.real(), 1e-12) << i;
        EXPECT_NEAR(end.SectionY[i], want.imag(), 1e-12) << i;
    }
    // The slider's neighbour 359.99 lies within the map's own rounding of the limit.
    ModelState near = base, far = base;
    KarmanTrefftzSection(near, tx, tz, kc, 359.99);
    KarmanTrefftzSection(far, tx, tz, kc, 300.0);
    EXPECT_LT(MaxPointDistance(near, end), 1e-6);
    EXPECT_GT(MaxPointDistance(far, end), 1e-4);
    // Typed values a hair below 360 stay finite and run smoothly into the limit.
    for (double kt : {359.99999, 359.9999999, 359.99999999, 359.9999999999, 360.0 - 1e-11}) {
        ModelState hair = base;
        KarmanTrefftzSection(hair, tx, tz, kc, kt);
        EXPECT_LT(MaxPointDistance(hair, end), 1e-6) << kt;
    }
}

TEST(ScaleSection, ScalesAboutTheLeadingEdgeOrTurnsTheChord) {
    const ModelState unit = Base(32, 1, 0.0575, 0.03, 0.95, 0.95, 1.0, 1.0, 44.0, 0.0);
    ModelState twice = unit;
    ScaleSection(twice, 1, 2.0);
    EXPECT_EQ(twice.SectionMinY, unit.SectionMinY);
    EXPECT_EQ(twice.SectionX[1], 2.0);
    EXPECT_EQ(twice.SectionX[33], 2.0);
    EXPECT_EQ(twice.SectionX[17], 0.0);
    ModelState turned = unit;
    ScaleSection(turned, 0, 0.5);
    EXPECT_EQ(turned.SectionX[1], 0.0);
    EXPECT_EQ(turned.SectionX[17], 0.5);
    for (int32_t i = 2; i <= 32; ++i) {
        EXPECT_DOUBLE_EQ(twice.SectionX[i], 2.0 * unit.SectionX[i]);
        EXPECT_DOUBLE_EQ(twice.SectionY[i], 2.0 * unit.SectionY[i]);
        if (i != 17) {
            EXPECT_DOUBLE_EQ(turned.SectionX[i], 0.5 * (1.0 - unit.SectionX[i]));
        }
        EXPECT_DOUBLE_EQ(turned.SectionY[i], 0.5 * unit.SectionY[i]);
    }
}

TEST(ReorderSection, OrientPutsTheLowerSurfaceFirst) {
    ModelState m = Base(40, 1, 0.0575, 0.05, 0.98, 0.98, 1.0, 1.0, 44.0, 0.0);
    for (double& y : m.SectionY) y = -y;  // mirrored by hand: now the upper surface comes first
    const ModelState before = m;
    OrientSection(m);
    EXPECT_LE(m.SectionY[20], m.SectionY[22]);
    for (int32_t k = 1; k <= 41; ++k) {
        const int32_t j = (k == 1 || k == 21 || k == 41) ? k : 42 - k;
        EXPECT_EQ(m.SectionX[k], before.SectionX[j]);
        EXPECT_EQ(m.SectionY[k], before.SectionY[j]);
    }
    const ModelState again = m;
    OrientSection(m);
    EXPECT_EQ(m.SectionX, again.SectionX);
    EXPECT_EQ(m.SectionY, again.SectionY);
}

TEST(CircleTables, SmallestTablesAreTheExactValues) {
    const double r = 0.7071067811865476;
    array1Df s, c;
    HalfCircleTable(s, c, 4);
    EXPECT_EQ(s, (array1Df{0, r, 1, r, 0}));
    EXPECT_EQ(c, (array1Df{1, r, 0, -r, -1}));
    FullCircleTable(s, c, 8);
    EXPECT_EQ(s, (array1Df{0, r, 1, r, 0, -r, -1, -r, 0}));
    EXPECT_EQ(c, (array1Df{1, r, 0, -r, -1, -r, 0, r, 1}));
}

TEST(CircleTables, EveryCountHoldsEvenlySpacedAngles) {
    array1Df s, c;
    for (int32_t n = 0; n <= 70; ++n) {
        HalfCircleTable(s, c, n);
        ASSERT_EQ(s.size(), static_cast<size_t>(n + 1));
        ASSERT_EQ(c.size(), static_cast<size_t>(n + 1));
        for (int32_t k = 0; k <= n; ++k) {
            const long double a = k * std::numbers::pi_v<long double> / (n == 0 ? 1 : n);
            EXPECT_NEAR(s[k], static_cast<double>(sinl(a)), 1e-15) << n << " " << k;
            EXPECT_NEAR(c[k], static_cast<double>(cosl(a)), 1e-15) << n << " " << k;
            if (n == 0) continue;
            EXPECT_EQ(s[k], s[n - k]);  // mirrored entries are exactly equal or opposite
            EXPECT_EQ(c[k], -c[n - k]) << n << " " << k;
        }
        FullCircleTable(s, c, n);
        ASSERT_EQ(s.size(), static_cast<size_t>(n + 1));
        for (int32_t k = 0; k <= n; ++k) {
            const long double a = 2 * k * std::numbers::pi_v<long double> / (n == 0 ? 1 : n);
            EXPECT_NEAR(s[k], static_cast<double>(sinl(a)), 1e-15) << n << " " << k;
            EXPECT_NEAR(c[k], static_cast<double>(cosl(a)), 1e-15) << n << " " << k;
            if (n == 0) continue;
            EXPECT_EQ(s[k], -s[n - k]);
            EXPECT_EQ(c[k], c[n - k]);
        }
    }
    HalfCircleTable(s, c, -3);
    EXPECT_TRUE(s.empty() && c.empty());
    FullCircleTable(s, c, -1);
    EXPECT_TRUE(s.empty() && c.empty());
}

}  // namespace
}  // namespace korvel
