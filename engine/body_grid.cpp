// body_grid.cpp — the point grid of a streamlined body: the closed body and its lengthwise halves.
#include "body_grid.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <vector>

#include "modifier_map.h"
#include "section.h"

namespace korvel {

MeridianImage MeridianMap(double a, double b, double e) {
    const PolarRatio w = RatioOf(1.0, a, b);
    const auto [R, psi] = Power(w.modulus2, w.phi, e, e / 2.0);
    const double D = (R - 2.0 * std::cos(psi)) * R + 1.0;
    return {(1.0 - R * R) / D, R * std::sin(psi) / D};
}

double MeridianRingFactor(double a, double rho, double e) {
    const PolarRatio w = RatioOf(1.0, a, rho);
    const auto [R, psi] = Power(w.modulus2, w.phi, e, e / 2.0);
    // In this form the factor goes to 0, not NaN, where R overflows or underflows near the body's ends.
    return std::sin(psi) / ((1.0 / R + R - 2.0 * std::cos(psi)) * rho);
}

double MeridianRatio(double x0, double e) {
    return static_cast<double>(expl(static_cast<long double>(e) * logl(static_cast<long double>(1.0 / x0 - 1.0))));
}

namespace {

// The section law shared by the three builders: station exponents and the X law of one build.
class BodyLaw {
public:
    BodyLaw(ModelState& m, bool vs, double x0, double Tea, double Lea, double nm)
        : x0_(x0), eT_(2.0 - Tea / 180.0), spread_(Tea - Lea), rows_(180.0 * m.GridM), nm_(nm), vs_(vs) {
        g_ = MeridianRatio(x0, 2.0 - Lea / 180.0);
        m.BodyEndX = vs ? std::array<double, 2>{nm, 0.0} : std::array<double, 2>{0.0, nm};
    }

    // Station of an interior row: the sine of its angle, the real part a of its circle point, its exponent.
    struct Station {
        double s, a, e;
    };
    Station At(const ModelState& m, int32_t row) const {
        // The spread is multiplied before dividing: a precomputed step per row would round differently.
        return {m.StationSin[row - 1], x0_ + (1.0 - x0_) * m.StationCos[row - 1], eT_ + (row - 1) * spread_ / rows_};
    }

    double g() const { return g_; }
    double X(double re) const {
        if (vs_) return (re - (1.0 + g_) / (1.0 - g_)) * (0.5 - 0.5 / g_) * nm_;
        return (re - 1.0) * (0.5 / g_ - 0.5) * nm_;
    }

private:
    double x0_, eT_, spread_, rows_, nm_;
    bool vs_;
    double g_ = 1.0;
};

// Within one row the ring factor depends on rho alone, and a ring that is symmetric about its mirror plane
// meets every rho twice: the mirror column's factor is reused when its rho is bit-identical.
class RingFactors {
public:
    explicit RingFactors(int32_t columns)
        : rho_(static_cast<std::size_t>(columns) + 2, -1.0), f_(static_cast<std::size_t>(columns) + 2, 0.0) {}

    double Get(int32_t j, int32_t mirror, double a, double rho, double e) { return Get(j, &mirror, 1, a, rho, e); }

    // The same with several columns that may share rho: any of them this row has already reached.
    double Get(int32_t j, const int32_t* candidates, int count, double a, double rho, double e) {
        for (int c = 0; c < count; ++c) {
            const int32_t k = candidates[c];
            if (k < j && rho_[k] == rho) return Keep(j, rho, f_[k]);
        }
        return Keep(j, rho, MeridianRingFactor(a, rho, e));
    }

private:
    double Keep(int32_t j, double rho, double F) {
        rho_[j] = rho;
        f_[j] = F;
        return F;
    }

    std::vector<double> rho_, f_;
};

// For every column j of a full ring of n intervals, the columns whose ring angles are images of j's under
// the ring's symmetries (n a multiple of 8: the table is built symmetric, so their sines and cosines agree
// up to sign and order, and with equal radius factors so do their rho); otherwise just the mirror column.
struct RingImages {
    std::vector<std::array<int32_t, 7>> columns;
    int32_t count = 1;

    explicit RingImages(int32_t n) : columns(static_cast<std::size_t>(n) + 2) {
        count = n % 8 == 0 ? 7 : 1;
        const int32_t q = n / 4;
        for (int32_t j = 1; j <= n + 1; ++j) {
            const int32_t k = j - 1;
            const int32_t images[7] = {n - k, 2 * q - k, 2 * q + k, q - k, q + k, 3 * q - k, 3 * q + k};
            std::array<int32_t, 7>& out = columns[static_cast<std::size_t>(j)];
            for (std::size_t c = 0; c < 7; ++c) out[c] = (images[c] % n + n) % n + 1;
        }
    }
};

void CheckCounts(const ModelState& m) {
    if (m.GridM < 1 || m.GridN < 1) {
        throw std::invalid_argument("the body grid needs at least one row and one column interval");
    }
}

void CopyColumn(ModelState& m, int32_t i, int32_t from, int32_t to) {
    SetGridPoint(m, i, to, m.GridX[i][from], m.GridY[i][from], m.GridZ[i][from]);
}

// Both ends of the body collapse to a point on the X axis.
void SetEndRows(ModelState& m, int32_t lastColumn) {
    const int32_t last = m.GridMPlus1;
    for (int32_t j = 1; j <= lastColumn; ++j) {
        SetGridPoint(m, 1, j, m.BodyEndX[0], 0.0, 0.0);
        SetGridPoint(m, last, j, m.BodyEndX[1], 0.0, 0.0);
    }
}

// The half builders share their frame: GridN doubled, tables of the half ring, ends and patches.
struct HalfFrame {
    int32_t n;
    double S;
};

HalfFrame BeginHalf(ModelState& m, bool side, const BodyLaw& law, double nm) {
    const int32_t n = m.GridN;
    m.SetGridN(2 * n - 1);  // sizes every row to columns 0..2n+1
    AllocateGrid(m, true, false);
    HalfCircleTable(m.StationSin, m.StationCos, m.GridM);
    HalfCircleTable(m.RingSin, m.RingCos, n);
    SetEndRows(m, 2 * n + 1);
    const double S = side ? (1.0 / law.g() - 1.0) * nm : (1.0 - 1.0 / law.g()) * nm;
    return {n, S};
}

// The flat face of a half in row i: columns n+2..2n in equal steps from `to` (next to column n+1) back to
// `from` (column 1's value), along Z in the plane Y = 0 or along Y in the plane Z = 0.
void FlatFace(ModelState& m, int32_t i, int32_t n, double X, bool alongZ, double from, double to) {
    for (int32_t j = n + 2; j <= 2 * n; ++j) {
        const double v = from + (2 * n + 1 - j) * (to - from) / n;
        SetGridPoint(m, i, j, X, alongZ ? 0.0 : v, alongZ ? v : 0.0);
    }
}

void EndHalf(ModelState& m, int32_t n) {
    m.SetGridN(2 * n);
    m.PatchFirst[0] = 1;
    m.PatchLast[0] = n + 1;
    m.PatchFirst[1] = n + 1;
    m.PatchLast[1] = 2 * n + 1;
}

}  // namespace

void BuildBody(ModelState& m, bool vs, double x0, double Tea, double Lea, double nm, double rb, double rc1,
               double rc2, double fY, double fZ) {
    CheckCounts(m);
    const int32_t M = m.GridM;
    const int32_t N = m.GridN;
    AllocateGrid(m, true, false);
    HalfCircleTable(m.StationSin, m.StationCos, M);
    FullCircleTable(m.RingSin, m.RingCos, N);
    const BodyLaw law(m, vs, x0, Tea, Lea, nm);
    const double KY = (1.0 - 1.0 / law.g()) * fY * nm;
    const double KZ = (1.0 - 1.0 / law.g()) * fZ * nm;
    SetEndRows(m, N + 1);
    RingFactors factors(N);
    const RingImages images(N);

    for (int32_t i = 2; i <= M; ++i) {
        const auto [s, a, e] = law.At(m, i);
        const double b = rb * (1.0 - x0) * s;
        const MeridianImage img = MeridianMap(a, b, e);
        const double X = law.X(img.re);
        SetGridPoint(m, i, 1, X, KY * img.h, 0.0);
        CopyColumn(m, i, 1, N + 1);
        for (int32_t j = 2; j <= N; ++j) {
            const double u = b * m.RingCos[j - 1];
            const double r = j <= N / 2 ? rc1 : rc2;
            const double t = r * (1.0 - x0) * s * m.RingSin[j - 1];
            const double F = factors.Get(j, images.columns[static_cast<std::size_t>(j)].data(), images.count, a,
                                         std::sqrt(u * u + t * t), e);
            SetGridPoint(m, i, j, X, KY * u * F, KZ * t * F);
        }
    }

    m.PatchFirst[0] = 1;
    m.PatchLast[0] = N / 2 + 1;
    m.PatchFirst[1] = N / 2 + 1;
    m.PatchLast[1] = N + 1;
}

void BuildHalfBodyY(ModelState& m, bool vs, bool side, double x0, double Tea, double Lea, double nm, double rb,
                    double rc1, double rc2, double fY, double fZ) {
    CheckCounts(m);
    const int32_t M = m.GridM;
    const BodyLaw law(m, vs, x0, Tea, Lea, nm);
    const HalfFrame h = BeginHalf(m, side, law, nm);
    const int32_t n = h.n;
    const double KY = -fY * h.S;
    const double KZ = fZ * h.S;
    RingFactors factors(n + 1);

    for (int32_t i = 2; i <= M; ++i) {
        const auto [s, a, e] = law.At(m, i);
        const double bY = rb * (1.0 - x0) * s;
        const double bZ = rc1 * (1.0 - x0) * s;
        const MeridianImage img = MeridianMap(a, bZ, e);
        const double X = law.X(img.re);
        SetGridPoint(m, i, 1, X, 0.0, KZ * img.h);
        CopyColumn(m, i, 1, 2 * n + 1);
        for (int32_t j = 2; j <= n + 1; ++j) {
            const double r = j <= n / 2 ? rc1 : rc2;
            const double t = r * (1.0 - x0) * s * m.RingCos[j - 1];
            const double u = bY * m.RingSin[j - 1];
            const double F = factors.Get(j, n + 2 - j, a, std::sqrt(u * u + t * t), e);
            SetGridPoint(m, i, j, X, KY * u * F, KZ * t * F);
        }
        m.GridY[i][n + 1] = 0.0;
        FlatFace(m, i, n, X, true, m.GridZ[i][1], m.GridZ[i][n + 1]);
    }
    EndHalf(m, n);
}

void BuildHalfBodyZ(ModelState& m, bool vs, bool side, double x0, double Tea, double Lea, double nm, double rb,
                    double rc, double fY, double fZ) {
    CheckCounts(m);
    const int32_t M = m.GridM;
    const BodyLaw law(m, vs, x0, Tea, Lea, nm);
    const HalfFrame h = BeginHalf(m, side, law, nm);
    const int32_t n = h.n;
    const double KY = fY * h.S;
    const double KZ = fZ * h.S;
    RingFactors factors(n);

    for (int32_t i = 2; i <= M; ++i) {
        const auto [s, a, e] = law.At(m, i);
        const double bY = rb * (1.0 - x0) * s;
        const double bZ = rc * (1.0 - x0) * s;
        const MeridianImage img = MeridianMap(a, bY, e);
        const double X = law.X(img.re);
        const double Y1 = KY * img.h;
        SetGridPoint(m, i, 1, X, Y1, 0.0);
        CopyColumn(m, i, 1, 2 * n + 1);
        for (int32_t j = 2; j <= n; ++j) {
            const double u = bY * m.RingCos[j - 1];
            const double t = bZ * m.RingSin[j - 1];
            const double F = factors.Get(j, n + 2 - j, a, std::sqrt(u * u + t * t), e);
            SetGridPoint(m, i, j, X, KY * u * F, KZ * t * F);
        }
        SetGridPoint(m, i, n + 1, X, -Y1, 0.0);
        FlatFace(m, i, n, X, false, Y1, -Y1);
    }
    EndHalf(m, n);
}

}  // namespace korvel
