// tangents.cpp — end tangents for the curve and surface fits: the section's four, the grid's edge and cross tables.
#include "tangents.h"

#include <cmath>
#include <cstddef>

#include "build_inputs.h"

namespace korvel {

namespace {

constexpr double kTiny = 1e-15;

Vec3d operator-(const Vec3d& a, const Vec3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3d operator+(const Vec3d& a, const Vec3d& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3d operator*(double f, const Vec3d& v) { return {f * v.x, f * v.y, f * v.z}; }
Vec3d operator/(const Vec3d& v, double d) { return {v.x / d, v.y / d, v.z / d}; }

// The unit vector of v.
Vec3d Dir(const Vec3d& v) { return TangentDirection(kFreeTangent, kFreeTangent, kFreeTangent, v, Vec3d{}); }

std::size_t Index(int32_t i) { return static_cast<std::size_t>(i); }

// The grid and its tables as the fits see them: points in the fitted model's scale, triples read and
// written as one. Every index is checked: a grid inconsistent with its patch table raises an error
// instead of reading past an array.
class SurfaceTables {
public:
    explicit SurfaceTables(ModelState& m) : m_(m) {}

    Vec3d P(int32_t i, int32_t j) const {
        const std::size_t r = Index(i), c = Index(j);
        return {m_.GridX.at(r).at(c) * m_.ScaleFactor.x, m_.GridY.at(r).at(c) * m_.ScaleFactor.y,
                m_.GridZ.at(r).at(c) * m_.ScaleFactor.z};
    }

    Vec3d E(int32_t r, int32_t j) const {
        const std::size_t a = Index(r), b = Index(j);
        return {m_.EdgeTangentX.at(a).at(b), m_.EdgeTangentY.at(a).at(b), m_.EdgeTangentZ.at(a).at(b)};
    }
    void SetE(int32_t r, int32_t j, const Vec3d& v) {
        const std::size_t a = Index(r), b = Index(j);
        m_.EdgeTangentX.at(a).at(b) = v.x;
        m_.EdgeTangentY.at(a).at(b) = v.y;
        m_.EdgeTangentZ.at(a).at(b) = v.z;
    }
    void SetK(int32_t r, int32_t i, const Vec3d& v) {
        const std::size_t a = Index(r), b = Index(i);
        m_.CurveTangentX.at(a).at(b) = v.x;
        m_.CurveTangentY.at(a).at(b) = v.y;
        m_.CurveTangentZ.at(a).at(b) = v.z;
    }

    int32_t M() const { return m_.GridM; }
    int32_t PF(int p) const { return m_.PatchFirst[Index(p)]; }
    int32_t PL(int p) const { return m_.PatchLast[Index(p)]; }

    ModelState& m_;
};

void ComputeBodyTangents(ModelState& m, int32_t c, double tx3, double tz3, double fUL, double fUT) {
    SurfaceTables g(m);
    const int32_t M = g.M();
    const int32_t first = g.PF(0), last = g.PL(1);

    // The body's ends are closed perpendicular to its axis: the axial part is dropped, the rest scaled.
    for (int32_t j = first; j <= last; ++j) {
        const Vec3d d = Dir(g.P(M + 1, j) - g.P(M, j));
        g.SetE(1, j, {0.0, fUL * d.y, fUL * d.z});
    }
    if (fUT > 0.0) {
        for (int32_t j = first; j <= last; ++j) {
            const Vec3d d = Dir(g.P(2, j) - g.P(1, j));
            g.SetE(0, j, {0.0, fUT * d.y, fUT * d.z});
        }
    }

    if (c == 0) {
        // Central differences across the seam and the joint, so the two patches meet smoothly.
        for (int32_t i = 2; i <= M; ++i) {
            const Vec3d seam = Dir(g.P(i, g.PF(0) + 1) - g.P(i, g.PL(1) - 1));
            g.SetK(0, i, seam);
            g.SetK(3, i, seam);
            const Vec3d joint = Dir(g.P(i, g.PF(1) + 1) - g.P(i, g.PL(0) - 1));
            g.SetK(1, i, joint);
            g.SetK(2, i, joint);
        }
    } else if (c >= 1 && c <= 4 && !ModellerSetActive(tx3, tz3)) {
        // The curved half meets its flat face at a right angle, so a mirrored copy joins it smoothly.
        array2Df& across = (c <= 2) ? m.CurveTangentZ : m.CurveTangentY;
        for (int32_t i = 2; i <= M; ++i) {
            across.at(0).at(Index(i)) = 0.0;
            across.at(1).at(Index(i)) = 0.0;
        }
    }
}

// The edge tangents of one tip row blend from the span-side value S at column sSide to the target T at the
// tip's middle; the half from farSide starts from -S. step is +1 when sSide is the tip's first column.
void BlendTip(SurfaceTables& g, int32_t row, int32_t sSide, int32_t farSide, int32_t step, int32_t h, int32_t mid,
              const Vec3d& S, const Vec3d& T) {
    for (int32_t i = 1; i <= h; ++i) {
        g.SetE(row, sSide + step * i, S + static_cast<double>(i) * (T - S) / h);
        g.SetE(row, farSide - step * i, (-1.0) * S + static_cast<double>(i) * (T + S) / h);
    }
    g.SetE(row, mid, T);
}

void ComputeWingTangents(ModelState& m, int32_t c, double wt, double fUL, double fUT, double fLL, double fLT) {
    SurfaceTables g(m);
    const int32_t M = g.M();
    const int p = (c == 0) ? 2 : 1;  // tip patches of the span ends
    const int q = (c == 0) ? 5 : 3;
    const int32_t first = g.PF(0);

    // Edge rows: each upper column paired with the lower column at the same span station.
    const int32_t pairs = g.PF(p) - first;
    for (int32_t k = 0; k <= pairs; ++k) {
        const int32_t j = first + k, jp = g.PF(q) - k;
        const Vec3d d = Dir(g.P(M, j) - g.P(M, jp));
        g.SetE(1, j, (-fUL) * d);
        g.SetE(1, jp, fLL * d);
    }
    g.SetE(1, g.PL(q), g.E(1, first));
    if (fUT > 0.0) {
        for (int32_t k = 0; k <= pairs; ++k) {
            const int32_t j = first + k, jp = g.PF(q) - k;
            const Vec3d d = Dir(g.P(2, j) - g.P(2, jp));
            g.SetE(0, j, fUT * d);
            g.SetE(0, jp, (-fLT) * d);
        }
        g.SetE(0, g.PL(q), g.E(0, first));
    }

    if (!(wt > 0.0)) return;

    if (c == 0 || c == 1) {
        const int32_t h = (g.PL(p) - g.PF(p)) / 2;
        const int32_t mid = (g.PF(p) + g.PL(p)) / 2;
        const int32_t k = (g.PL(p - 1) == 1) ? 2 : g.PL(p - 1);
        BlendTip(g, 1, g.PF(p), g.PL(p), 1, h, mid, g.E(1, g.PF(p)),
                 fUL * fUL * Dir(g.P(M + 1, k - 1) - g.P(M + 1, k)));
        if (fUT > 0.0) {
            BlendTip(g, 0, g.PF(p), g.PL(p), 1, h, mid, g.E(0, g.PF(p)),
                     fUT * fUT * Dir(g.P(1, k) - g.P(1, k - 1)));
        }
        int32_t a = g.PL(p - 1) - 1;
        if (a < 1) a = 1;
        const int32_t b = (g.PF(p + 1) == g.PF(p + 2)) ? g.PL(p) - 1 : g.PF(p + 1);
        for (int32_t i = 1; i <= M + 1; ++i) {
            g.SetK(2 * p, i, Dir(g.P(i, a + 1) - g.P(i, a)));
            g.SetK(2 * p + 1, i, Dir(g.P(i, b + 1) - g.P(i, b)));
        }
    }
    if (c == 0 || c == 2) {
        // The last column of this tip closes onto the first grid column.
        const int32_t h = (g.PL(q) - g.PF(q)) / 2;
        const int32_t mid = (g.PF(q) + g.PL(q)) / 2;
        BlendTip(g, 1, g.PL(q), g.PF(q), -1, h, mid, g.E(1, first),
                 fUL * fUL * Dir(g.P(M + 1, first + 1) - g.P(M + 1, first)));
        if (fUT > 0.0) {
            BlendTip(g, 0, g.PL(q), g.PF(q), -1, h, mid, g.E(0, first),
                     fUT * fUT * Dir(g.P(1, first) - g.P(1, first + 1)));
        }
        const int32_t a = (g.PF(q - 1) == g.PF(q)) ? g.PF(q) : g.PF(q) - 1;
        const int32_t b = (g.PF(0) == g.PF(1)) ? g.PL(q) - 1 : first;
        for (int32_t i = 1; i <= M + 1; ++i) {
            g.SetK(2 * q, i, Dir(g.P(i, a + 1) - g.P(i, a)));
            g.SetK(2 * q + 1, i, Dir(g.P(i, b + 1) - g.P(i, b)));
        }
    }
}

}  // namespace

Vec3d TangentDirection(double gx, double gy, double gz, const Vec3d& a, const Vec3d& b) {
    Vec3d t;
    const Vec3d d = a - b;
    if (std::fabs(d.x) < kTiny && std::fabs(d.y) < kTiny && std::fabs(d.z) < kTiny) return t;
    const double theta = std::atan2(std::sqrt(d.x * d.x + d.y * d.y), d.z);
    t.z = (gz != kFreeTangent) ? gz : std::cos(theta);
    if (std::fabs(d.x) > kTiny || std::fabs(d.y) > kTiny) {
        const double phi = std::atan2(d.y, d.x);
        t.x = (gx != kFreeTangent) ? gx : std::sin(theta) * std::cos(phi);
        t.y = (gy != kFreeTangent) ? gy : std::sin(theta) * std::sin(phi);
    }
    for (double* v : {&t.x, &t.y, &t.z}) {
        if (std::fabs(*v) < kTiny) *v = 0.0;
    }
    return t;
}

void ResetSurfaceTangents(ModelState& m) {
    // Columns 0..N+1 and rows 0..M+1 as far as the tables were sized for the grid they describe.
    const auto fill = [](array2Df& table, std::size_t rows, int32_t count) {
        const std::size_t n = count < 0 ? 0 : static_cast<std::size_t>(count);
        for (std::size_t r = 0; r < rows && r < table.size(); ++r) {
            array1Df& row = table[r];
            for (std::size_t k = 0; k < n && k < row.size(); ++k) row[k] = kFreeTangent;
        }
    };
    for (array2Df* t : {&m.EdgeTangentX, &m.EdgeTangentY, &m.EdgeTangentZ}) fill(*t, 2, m.GridNPlus1 + 1);
    for (array2Df* t : {&m.CurveTangentX, &m.CurveTangentY, &m.CurveTangentZ}) fill(*t, 12, m.GridMPlus1 + 1);
}

void ComputeSurfaceTangents(ModelState& m, bool wing, int32_t c, double tx3, double tz3, double wt, double fUL,
                            double fUT, double fLL, double fLT) {
    ResetSurfaceTangents(m);
    if (m.PatchLast[0] == 0) return;  // no surface was built: nothing to prescribe
    if (wing) {
        ComputeWingTangents(m, c, wt, fUL, fUT, fLL, fLT);
    } else {
        ComputeBodyTangents(m, c, tx3, tz3, fUL, fUT);
    }
}

void ComputeSectionTangents(ModelState& m, int32_t flipH, double Tea, double fUL, double fUT, double fLL,
                            double fLT) {
    SectionTangentTable& t = m.SectionTangents;
    t.Z.fill(0.0);
    const int32_t ns = m.SectionCount, le = m.SectionLE;
    if (ns < 3 || le < 2 || le >= ns || m.SectionX.size() <= Index(ns) || m.SectionY.size() <= Index(ns)) {
        // No contour to take directions from: leave every end free.
        t.X.fill(kFreeTangent);
        t.Y.fill(kFreeTangent);
        return;
    }
    const auto S = [&m](int32_t k) { return Vec3d{m.SectionX[Index(k)], m.SectionY[Index(k)], 0.0}; };
    const auto put = [&t](int e, const Vec3d& v) {
        t.X[Index(e)] = v.x;
        t.Y[Index(e)] = v.y;
    };
    // A flipped section carries its sharp edge at the leading-edge index.
    const bool flipped = flipH > 0;
    const bool sharp = Tea < 180.0;
    if (flipped && sharp) {
        put(0, Dir(S(le) - S(le + 1)));
        put(2, Dir(S(le) - S(le - 1)));
    } else {
        const Vec3d d = Dir(S(le - 1) - S(le + 1));
        put(0, fUL * d);
        put(2, (-fLL) * d);
    }
    if (!flipped && sharp) {
        put(1, Dir(S(ns) - S(1)));
        put(3, Dir(S(2) - S(1)));
    } else {
        const Vec3d d = Dir(S(2) - S(ns));
        put(1, (-fUT) * d);
        put(3, fLT * d);
    }
}

}  // namespace korvel
