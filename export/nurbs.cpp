// nurbs.cpp — the bicubic surface fit: averaged parameters, clamped knots, u-line then v-column solves.
#include "nurbs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "cubic_spline.h"
#include "engine/tangents.h"
#include "export_common.h"

namespace korvel {

namespace {

// A line shorter than this takes no part in the averaged parameters.
constexpr double kShortLine = 1e-15;

double Distance(const array2Df& x, const array2Df& y, const array2Df& z, int32_t i0, int32_t j0, int32_t i1,
                int32_t j1) {
    const double dx = x[i0][j0] - x[i1][j1];
    const double dy = y[i0][j0] - y[i1][j1];
    const double dz = z[i0][j0] - z[i1][j1];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

void Size2D(array2Df& a, std::size_t rows, std::size_t cols) {
    a.resize(rows);
    for (array1Df& r : a) r.resize(cols);
}

void Empty(array1Df& a) {
    a.clear();
    a.shrink_to_fit();
}

void Empty(array2Df& a) {
    a.clear();
    a.shrink_to_fit();
}

// Empties the chord scratch on the way out of a parameter pass, also when an error passes.
class ScratchGuard {
public:
    explicit ScratchGuard(array1Df& a) : a_(a) {}
    ~ScratchGuard() { Empty(a_); }
    ScratchGuard(const ScratchGuard&) = delete;
    ScratchGuard& operator=(const ScratchGuard&) = delete;

private:
    array1Df& a_;
};

bool TableFits(const array2Df& t, std::size_t rows, std::size_t cols) {
    if (t.size() < rows) return false;
    for (std::size_t r = 0; r < rows; ++r) {
        if (t[r].size() < cols) return false;
    }
    return true;
}

Vec3d Scaled(double s, const Vec3d& v) { return Vec3d{s * v.x, s * v.y, s * v.z}; }

}  // namespace

TNurbs::TNurbs() = default;

TNurbs::~TNurbs() {
    FreeArrays();
    FreeKnots();
}

void TNurbs::FreeArrays() {
    for (array1Df* a : {&Left, &Right, &LengthAlongU, &LengthAlongV, &VParams, &Basis, &VKnots}) Empty(*a);
    for (array2Df* a : {&TempX, &TempY, &TempZ, &QX, &QY, &QZ, &PX, &PY, &PZ}) Empty(*a);
}

void TNurbs::FreeKnots() {
    Empty(UKnots);
    Empty(UParams);
}

void TNurbs::SetSize() {
    if (Degree < 1 || NU < 0 || NV < 0) throw ExportError("Internal error: a surface fit was sized with a negative count.");
    const std::size_t d = static_cast<std::size_t>(Degree);
    const std::size_t nu = static_cast<std::size_t>(NU);
    const std::size_t nv = static_cast<std::size_t>(NV);
    Left.resize(d + 1);
    Right.resize(d + 1);
    Basis.resize(d + 1);
    LengthAlongU.resize(nv + 1);
    LengthAlongV.resize(nu + 1);
    UParams.resize(nu + 1);
    VParams.resize(nv + 1);
    UKnots.resize(nu + d + 4);
    VKnots.resize(nv + d + 4);
    for (array2Df* a : {&TempX, &TempY, &TempZ, &PX, &PY, &PZ}) Size2D(*a, nu + 3, nv + 3);
    for (array2Df* a : {&QX, &QY, &QZ}) Size2D(*a, nu + 1, nv + 1);
}

namespace {

// Chord-length parameters 0..n averaged over `lines` lines of n+1 points; seg(line, k) is the length of
// segment k (1..n) of a line. A line shorter than kShortLine takes no part; when none does, the interior
// parameters stay 0. Each line's total goes to lengths[line] when lengths is given.
template <class Segment>
void AverageParams(int32_t lines, int32_t n, Segment seg, array1Df& scratch, array1Df& params, array1Df* lengths) {
    ScratchGuard guard(scratch);
    scratch.assign(static_cast<std::size_t>(n) + 1, 0.0);
    params[0] = 0.0;
    params[n] = 1.0;
    for (int32_t i = 1; i <= n - 1; ++i) params[i] = 0.0;
    int32_t count = lines;
    for (int32_t line = 0; line < lines; ++line) {
        double total = 0.0;
        for (int32_t k = 1; k <= n; ++k) {
            scratch[k] = seg(line, k);
            total += scratch[k];
        }
        if (lengths != nullptr) (*lengths)[line] = total;
        if (total < kShortLine) {
            --count;
            continue;
        }
        double run = 0.0;
        for (int32_t k = 1; k <= n - 1; ++k) {
            run += scratch[k];
            params[k] += run / total;
        }
    }
    if (count > 0) {
        for (int32_t k = 1; k <= n - 1; ++k) params[k] /= count;
    }
}

// AverageParams for the u parameters, whose lines are the columns j = 0..nv of rows that lie apart in
// memory: the same sums in the same order, taken row by row. Segment k of column j joins rows k-1 and k;
// rowAt(k) gives the coordinates of row k and is asked for the rows in order, twice.
template <class RowAt>
void AverageColumnParams(int32_t nu, int32_t nv, RowAt rowAt, array1Df& params) {
    const std::size_t columns = static_cast<std::size_t>(nv) + 1;
    array1Df total(columns, 0.0), run(columns, 0.0), segment(columns);
    std::array<const double*, 3> previous = rowAt(0);
    const auto segments = [&](int32_t k) {
        const std::array<const double*, 3> row = rowAt(k);
        for (std::size_t j = 0; j < columns; ++j) {
            const double dx = row[0][j] - previous[0][j];
            const double dy = row[1][j] - previous[1][j];
            const double dz = row[2][j] - previous[2][j];
            segment[j] = std::sqrt(dx * dx + dy * dy + dz * dz);
        }
        previous = row;
    };
    for (int32_t k = 1; k <= nu; ++k) {
        segments(k);
        for (std::size_t j = 0; j < columns; ++j) total[j] += segment[j];
    }
    params[0] = 0.0;
    params[nu] = 1.0;
    for (int32_t i = 1; i <= nu - 1; ++i) params[i] = 0.0;
    int32_t count = nv + 1;
    for (std::size_t j = 0; j < columns; ++j) count -= total[j] < kShortLine ? 1 : 0;
    previous = rowAt(0);
    for (int32_t k = 1; k <= nu - 1; ++k) {
        segments(k);
        for (std::size_t j = 0; j < columns; ++j) {
            if (total[j] < kShortLine) continue;
            run[j] += segment[j];
            params[k] += run[j] / total[j];
        }
    }
    if (count > 0) {
        for (int32_t k = 1; k <= nu - 1; ++k) params[k] /= count;
    }
}

}  // namespace

void TNurbs::RequireSized() const {
    const std::size_t nu = static_cast<std::size_t>(NU) + 1;
    const std::size_t nv = static_cast<std::size_t>(NV) + 1;
    const bool ok = NU >= 0 && NV >= 0 && QX.size() == nu && QY.size() == nu && QZ.size() == nu &&
                    UParams.size() == nu && VParams.size() == nv && LengthAlongU.size() == nv &&
                    LengthAlongV.size() == nu && UKnots.size() >= nu + 6 && VKnots.size() >= nv + 6 &&
                    std::all_of(QX.begin(), QX.end(), [&](const array1Df& r) { return r.size() == nv; }) &&
                    std::all_of(QY.begin(), QY.end(), [&](const array1Df& r) { return r.size() == nv; }) &&
                    std::all_of(QZ.begin(), QZ.end(), [&](const array1Df& r) { return r.size() == nv; });
    if (!ok) throw ExportError("Internal error: a surface fit ran before its arrays were sized.");
}

void TNurbs::ParamsU() {
    RequireSized();
    AverageColumnParams(
        NU, NV, [&](int32_t k) { return std::array<const double*, 3>{QX[k].data(), QY[k].data(), QZ[k].data()}; },
        UParams);
    KnotsU();
}

void TNurbs::ParamsUOfRows(const NetRow& row) {
    if (Degree < 1 || NU < 0 || NV < 0) throw ExportError("Internal error: a surface fit was sized with a negative count.");
    const std::size_t nu = static_cast<std::size_t>(NU);
    const std::size_t nv = static_cast<std::size_t>(NV);
    UParams.resize(nu + 1);
    UKnots.resize(nu + static_cast<std::size_t>(Degree) + 4);
    // Two rows at a time are all the parameters need.
    std::array<array1Df, 6> rows;
    for (array1Df& r : rows) r.resize(nv + 1);
    AverageColumnParams(
        NU, NV,
        [&](int32_t k) {
            array1Df* xyz = &rows[static_cast<std::size_t>(k % 2) * 3];
            row(k, xyz[0], xyz[1], xyz[2]);
            return std::array<const double*, 3>{xyz[0].data(), xyz[1].data(), xyz[2].data()};
        },
        UParams);
    KnotsU();
}

void TNurbs::ParamsV() {
    RequireSized();
    // Each column's length, the rows taken in turn.
    for (int32_t j = 0; j <= NV; ++j) LengthAlongU[j] = 0.0;
    for (int32_t i = 1; i <= NU; ++i)
        for (int32_t j = 0; j <= NV; ++j) LengthAlongU[j] += Distance(QX, QY, QZ, i, j, i - 1, j);
    AverageParams(
        NU + 1, NV, [&](int32_t i, int32_t j) { return Distance(QX, QY, QZ, i, j, i, j - 1); }, ChordScratch,
        VParams, &LengthAlongV);
}

void TNurbs::KnotsU() { AveragedClampedKnots(Degree, NU, UParams, UKnots); }

void TNurbs::KnotsV() { AveragedClampedKnots(Degree, NV, VParams, VKnots); }

void TNurbs::SolveRowsU(const std::vector<Vec3d>& d0, const std::vector<Vec3d>& dn) {
    // SolveCubicLine for every u-line at once: a u-line is a column of Q and of the intermediate net, so
    // each step runs along the rows, over all lines.
    CubicLineStepsOf(NU, UKnots, steps_, Basis, Left, Right);
    const CubicLineSteps& s = steps_;
    const int32_t n = NU;
    const std::size_t lines = static_cast<std::size_t>(NV) + 1;
    const array2Df* q[3] = {&QX, &QY, &QZ};
    array2Df* t[3] = {&TempX, &TempY, &TempZ};
    for (int c = 0; c < 3; ++c) {
        const array2Df& Q = *q[c];
        array2Df& P = *t[c];
        for (std::size_t l = 0; l < lines; ++l) {
            const double a = c == 0 ? d0[l].x : (c == 1 ? d0[l].y : d0[l].z);
            const double b = c == 0 ? dn[l].x : (c == 1 ? dn[l].y : dn[l].z);
            P[0][l] = Q[0][l];
            P[n + 2][l] = Q[n][l];
            P[1][l] = Q[0][l] + a * UKnots[4] * kEndRuleThird;
            P[n + 1][l] = Q[n][l] - (1.0 - UKnots[n + 2]) * b * kEndRuleThird;
        }
        if (n == 1) continue;
        if (n == 2) {
            for (std::size_t l = 0; l < lines; ++l) P[2][l] = (Q[1][l] - s.b0[2] * P[1][l] - s.b2 * P[3][l]) / s.den[2];
            continue;
        }
        for (int32_t i = 2; i <= n - 1; ++i)
            for (std::size_t l = 0; l < lines; ++l) P[i][l] = (Q[i - 1][l] - s.b0[i] * P[i - 1][l]) / s.den[i];
        for (std::size_t l = 0; l < lines; ++l)
            P[n][l] = (Q[n - 1][l] - s.b2 * P[n + 1][l] - s.b0[n] * P[n - 1][l]) / s.den[n];
        for (int32_t i = n - 1; i >= 2; --i)
            for (std::size_t l = 0; l < lines; ++l) P[i][l] = P[i][l] - s.dd[i + 1] * P[i + 1][l];
    }
}

void TNurbs::Interpolate(const array2Df& EdgeX, const array2Df& EdgeY, const array2Df& EdgeZ,
                         const array2Df& CurveX, const array2Df& CurveY, const array2Df& CurveZ, int32_t Offset,
                         int32_t Patch) {
    if (NU < 1 || NV < 1) throw ExportError("A surface needs at least two points in each direction to be fitted.");
    if (Degree != 3) throw ExportError("Internal error: only bicubic surfaces are fitted.");
    if (Offset < 0 || Patch < 0) throw ExportError("Internal error: a surface patch has a negative position.");
    const std::size_t nu = static_cast<std::size_t>(NU);
    const std::size_t nv = static_cast<std::size_t>(NV);
    if (UKnots.size() != nu + 7 || UParams.size() != nu + 1 || VKnots.size() != nv + 7 || QX.size() != nu + 1 ||
        PX.size() != nu + 3 || TempX.size() != nu + 3) {
        throw ExportError("Internal error: a surface fit ran before its arrays and u parameters were prepared.");
    }
    const std::size_t edgeCols = nv + static_cast<std::size_t>(Offset) + 1;
    const std::size_t curveRows = 2 * static_cast<std::size_t>(Patch) + 2;
    if (!TableFits(EdgeX, 2, edgeCols) || !TableFits(EdgeY, 2, edgeCols) || !TableFits(EdgeZ, 2, edgeCols) ||
        !TableFits(CurveX, curveRows, nu + 2) || !TableFits(CurveY, curveRows, nu + 2) ||
        !TableFits(CurveZ, curveRows, nu + 2)) {
        throw ExportError("The model's tangent tables do not match its point grid; rebuild the model and export again.");
    }

    ParamsV();
    KnotsV();

    std::vector<Vec3d> d0(nv + 1), dn(nv + 1);
    for (int32_t l = 0; l <= NV; ++l) {
        const int32_t g = l + Offset;
        const Vec3d t0 = TangentDirection(EdgeX[0][g], EdgeY[0][g], EdgeZ[0][g], Vec3d{QX[1][l], QY[1][l], QZ[1][l]},
                                          Vec3d{QX[0][l], QY[0][l], QZ[0][l]});
        const Vec3d t1 =
            TangentDirection(EdgeX[1][g], EdgeY[1][g], EdgeZ[1][g], Vec3d{QX[NU][l], QY[NU][l], QZ[NU][l]},
                             Vec3d{QX[NU - 1][l], QY[NU - 1][l], QZ[NU - 1][l]});
        const double len = LengthAlongU[l];
        d0[static_cast<std::size_t>(l)] = Scaled(len, t0);
        dn[static_cast<std::size_t>(l)] = Scaled(len, t1);
    }
    SolveRowsU(d0, dn);

    // Every column of the intermediate net shares the v knots, so their steps are taken once.
    CubicLineStepsOf(NV, VKnots, steps_, Basis, Left, Right);

    const int32_t c0 = 2 * Patch;
    const int32_t c1 = 2 * Patch + 1;
    const Vec3d freeTangent{kFreeTangent, kFreeTangent, kFreeTangent};
    for (int32_t k = 0; k <= NU + 2; ++k) {
        // The columns next to the ends are extra control columns with no grid row of their own: they take
        // the mean length of their neighbours and no prescribed cross tangent.
        double len = 0.0;
        int32_t row = -1;
        if (k == 0) {
            len = LengthAlongV[0];
            row = 1;
        } else if (k == NU + 2) {
            len = LengthAlongV[NU];
            row = NU + 1;
        } else if (k == 1) {
            len = (LengthAlongV[0] + LengthAlongV[1]) * 0.5;
        } else if (k <= NU) {
            len = LengthAlongV[k - 1];
            row = k;
        } else {
            len = (LengthAlongV[NU - 1] + LengthAlongV[NU]) * 0.5;
        }
        const Vec3d g0 = row < 0 ? freeTangent : Vec3d{CurveX[c0][row], CurveY[c0][row], CurveZ[c0][row]};
        const Vec3d g1 = row < 0 ? freeTangent : Vec3d{CurveX[c1][row], CurveY[c1][row], CurveZ[c1][row]};
        const Vec3d t0 = TangentDirection(g0.x, g0.y, g0.z, Vec3d{TempX[k][1], TempY[k][1], TempZ[k][1]},
                                          Vec3d{TempX[k][0], TempY[k][0], TempZ[k][0]});
        const Vec3d t1 = TangentDirection(g1.x, g1.y, g1.z, Vec3d{TempX[k][NV], TempY[k][NV], TempZ[k][NV]},
                                          Vec3d{TempX[k][NV - 1], TempY[k][NV - 1], TempZ[k][NV - 1]});
        SolveCubicLine(steps_, VKnots, {TempX[k].data(), TempY[k].data(), TempZ[k].data()}, Scaled(len, t0),
                       Scaled(len, t1), {PX[k].data(), PY[k].data(), PZ[k].data()});
    }
}

}  // namespace korvel
