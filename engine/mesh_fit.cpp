// mesh_fit.cpp — the finished mesh doubled by the mirror, fitted to the requested size and measured.
#include <cmath>
#include <cstddef>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "mesh_internal.h"

namespace korvel {

namespace {
typedef float F4 __attribute__((vector_size(16)));
typedef double D4 __attribute__((vector_size(32)));
typedef int32_t I4 __attribute__((vector_size(16)));
typedef double D2 __attribute__((vector_size(16)));

// Correctly rounded in every lane, as the scalar square root.
inline __attribute__((always_inline)) D2 SquareRoot(D2 x) {
#if defined(__SSE2__)
    return _mm_sqrt_pd(x);
#else
    return D2{std::sqrt(x[0]), std::sqrt(x[1])};
#endif
}

inline void AddMass(MassSums& s, const T3p& t) {
    const double e1x = t.p[1].x - t.p[0].x, e1y = t.p[1].y - t.p[0].y, e1z = t.p[1].z - t.p[0].z;
    const double e2x = t.p[2].x - t.p[0].x, e2y = t.p[2].y - t.p[0].y, e2z = t.p[2].z - t.p[0].z;
    const double nx = e1y * e2z - e1z * e2y;
    const double ny = e1z * e2x - e1x * e2z;
    const double nz = e1x * e2y - e1y * e2x;
    const double w = std::sqrt(nx * nx + ny * ny + nz * nz);  // twice the triangle's area
    s.area += w;
    s.cx += w * (static_cast<double>(t.p[0].x) + t.p[1].x + t.p[2].x);
    s.cy += w * (static_cast<double>(t.p[0].y) + t.p[1].y + t.p[2].y);
    s.cz += w * (static_cast<double>(t.p[0].z) + t.p[1].z + t.p[2].z);
    s.volume += nz * (static_cast<double>(t.p[0].z) + t.p[1].z + t.p[2].z);
}

// AddMass for two consecutive triangles: the terms side by side in the lanes of a vector of doubles,
// then the sums in list order.
inline __attribute__((always_inline)) void AddMassOfTwo(MassSums& s, const T3p& a, const T3p& b) {
    // Edge differences in single precision, as in AddMass, then widened.
    const auto edge = [&](int to, int axis) {
        return D2{static_cast<double>((&a.p[to].x)[axis] - (&a.p[0].x)[axis]),
                  static_cast<double>((&b.p[to].x)[axis] - (&b.p[0].x)[axis])};
    };
    const auto sum = [&](int axis) {
        return (D2{(&a.p[0].x)[axis], (&b.p[0].x)[axis]} + D2{(&a.p[1].x)[axis], (&b.p[1].x)[axis]}) +
               D2{(&a.p[2].x)[axis], (&b.p[2].x)[axis]};
    };
    const D2 e1x = edge(1, 0), e1y = edge(1, 1), e1z = edge(1, 2);
    const D2 e2x = edge(2, 0), e2y = edge(2, 1), e2z = edge(2, 2);
    const D2 nx = e1y * e2z - e1z * e2y;
    const D2 ny = e1z * e2x - e1x * e2z;
    const D2 nz = e1x * e2y - e1y * e2x;
    const D2 w = SquareRoot(nx * nx + ny * ny + nz * nz);
    const D2 sz = sum(2);
    const D2 wx = w * sum(0), wy = w * sum(1), wz = w * sz, v = nz * sz;
    s.area += w[0];
    s.cx += wx[0];
    s.cy += wy[0];
    s.cz += wz[0];
    s.volume += v[0];
    s.area += w[1];
    s.cx += wx[1];
    s.cy += wy[1];
    s.cz += wz[1];
    s.volume += v[1];
}

// Four consecutive triangles.
inline __attribute__((always_inline)) void AddMassOfFour(MassSums& s, const T3p* t) {
    AddMassOfTwo(s, t[0], t[1]);
    AddMassOfTwo(s, t[2], t[3]);
}

// The cut planes of a fitted list: a low-side plane at the far end of the kept part, a high-side one at 0.
void FinishFit(const std::array<int32_t, 3>& types, CutPlacement& cuts, bool cutSection, const double* natural,
               const double* factor) {
    if (!cutSection) return;
    for (std::size_t a = 0; a < 3; ++a) cuts.Position[a] = types[a] == 1 ? natural[a] * factor[a] : 0.0;
}

// Lanes of a vector of four coordinates that starts with axis first: first, first + 1, ... modulo 3.
void DoublePatterns(const double* perAxis, D4* out) {
    for (std::size_t v = 0; v < 3; ++v)
        out[v] = D4{perAxis[v % 3], perAxis[(v + 1) % 3], perAxis[(v + 2) % 3], perAxis[v % 3]};
}

// The scan the bounds are defined by: from the last triangle down, each coordinate replacing the bound
// it lies strictly beyond. Only a zero of the other sign can make the order of the scan matter.
void ScalarBounds(const ModelState& m, double* lo, double* hi) {
    const Point3f& first = m.Triangles[At(m.TriangleLast)].p[0];
    for (int a = 0; a < 3; ++a) lo[a] = hi[a] = (&first.x)[a];
    for (int32_t k = m.TriangleLast; k >= 0; --k) {
        for (const Point3f& p : m.Triangles[At(k)].p) {
            const double c[3] = {p.x, p.y, p.z};
            for (int a = 0; a < 3; ++a) {
                if (c[a] < lo[a]) lo[a] = c[a];
                if (c[a] > hi[a]) hi[a] = c[a];
            }
        }
    }
}

// The same bounds four coordinates at a time. Equal values can only differ in the sign of zero, so the
// vector scan answers exactly unless a negative zero is present; then the plain scan runs instead.
void ListBounds(const ModelState& m, double* lo, double* hi) {
    const Point3f& first = m.Triangles[At(m.TriangleLast)].p[0];
    const float start[3] = {first.x, first.y, first.z};
    F4 vlo[3], vhi[3];
    for (std::size_t v = 0; v < 3; ++v)
        vlo[v] = vhi[v] = F4{start[v % 3], start[(v + 1) % 3], start[(v + 2) % 3], start[v % 3]};
    I4 negativeZero = {0, 0, 0, 0};
    const std::size_t floats = 9 * (At(m.TriangleLast) + 1);
    const float* f = &m.Triangles[0].p[0].x;
    std::size_t i = 0;
    for (; i + 12 <= floats; i += 12) {
        for (std::size_t v = 0; v < 3; ++v) {
            F4 x;
            std::memcpy(&x, f + i + 4 * v, sizeof x);
            vlo[v] = x < vlo[v] ? x : vlo[v];
            vhi[v] = x > vhi[v] ? x : vhi[v];
            I4 bits;
            std::memcpy(&bits, &x, sizeof bits);
            negativeZero |= bits == INT32_MIN;
        }
    }
    float flo[3] = {start[0], start[1], start[2]}, fhi[3] = {start[0], start[1], start[2]};
    for (std::size_t v = 0; v < 3; ++v) {
        for (std::size_t l = 0; l < 4; ++l) {
            const std::size_t a = (v + l) % 3;
            if (vlo[v][l] < flo[a]) flo[a] = vlo[v][l];
            if (vhi[v][l] > fhi[a]) fhi[a] = vhi[v][l];
        }
    }
    bool anyNegativeZero = negativeZero[0] | negativeZero[1] | negativeZero[2] | negativeZero[3];
    for (; i < floats; ++i) {
        const std::size_t a = i % 3;
        if (f[i] < flo[a]) flo[a] = f[i];
        if (f[i] > fhi[a]) fhi[a] = f[i];
        anyNegativeZero |= f[i] == 0.0f && std::signbit(f[i]);
    }
    if (anyNegativeZero) return ScalarBounds(m, lo, hi);
    for (int a = 0; a < 3; ++a) {
        lo[a] = flo[a];
        hi[a] = fhi[a];
    }
}
}  // namespace

void MirrorMesh(ModelState& m) {
    const float h = static_cast<float>(0.5 * m.NaturalSize.y);
    m.TempTriangles.clear();
    m.TempTriangles.reserve(2 * (At(m.TriangleLast + 1)));
    int32_t last = -1;
    for (int32_t k = m.TriangleLast; k >= 0; --k) {
        const T3p& t = m.Triangles[At(k)];
        // What lies in the mirror plane itself (a half body's flat face, a cap there) would end up inside.
        if (!(t.p[0].y > 1e-7f || t.p[1].y > 1e-7f || t.p[2].y > 1e-7f)) continue;
        T3p shifted = t;
        for (Point3f& p : shifted.p) p.y = p.y + h;
        T3p image{{t.p[0], t.p[2], t.p[1]}};
        for (Point3f& p : image.p) p.y = h - p.y;
        m.TempTriangles.push_back(shifted);
        m.TempTriangles.push_back(image);
        last += 2;
    }
    m.TriangleLast = last;
    ReplaceTriangles(m);
    m.NaturalSize.y = 2.0 * m.NaturalSize.y;
}

void FitMeshToDimensions(ModelState& m, const std::array<int32_t, 3>& types, CutPlacement& cuts, bool cutSection,
                         MassSums* sums, const ListSummary* summary) {
    if (m.TriangleLast < 0) return;
    double lo[3], hi[3];
    if (summary != nullptr && summary->Exact()) summary->Bounds(lo, hi);
    else ListBounds(m, lo, hi);
    const double natural[3] = {hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]};
    const double requested[3] = {m.LengthX, m.WidthY, m.HeightZ};
    double factor[3];
    for (int a = 0; a < 3; ++a) {
        factor[a] = (requested[a] > -1.0 && natural[a] > 0.0) ? requested[a] / natural[a] : 1.0;
    }
    m.NaturalSize = Vec3d{natural[0], natural[1], natural[2]};
    m.FittedSize = Vec3d{m.FittedSize.x * factor[0], m.FittedSize.y * factor[1], m.FittedSize.z * factor[2]};
    m.ScaleFactor = Vec3d{factor[0], factor[1], factor[2]};
    // From +0 with unit factors the move changes no bit (conversions to double and back are exact): the
    // summary's sums are those of the fitted list.
    bool unchanged = summary != nullptr;
    for (int a = 0; a < 3; ++a) unchanged = unchanged && factor[a] == 1.0 && lo[a] == 0.0 && !std::signbit(lo[a]);
    if (unchanged) {
        if (sums != nullptr) *sums = summary->Sums();
        FinishFit(types, cuts, cutSection, natural, factor);
        return;
    }
    MassSums s;
    D4 loPattern[3], factorPattern[3];
    DoublePatterns(lo, loPattern);
    DoublePatterns(factor, factorPattern);
    const std::size_t count = At(m.TriangleLast) + 1;
    float* f = &m.Triangles[0].p[0].x;
    std::size_t k = 0;
    // Four triangles are three vectors of four coordinates each, the axes rotating from vector to vector.
    for (; k + 4 <= count; k += 4) {
        for (std::size_t v = 0; v < 9; ++v) {
            float* q = f + 9 * k + 4 * v;
            F4 x;
            std::memcpy(&x, q, sizeof x);
            const D4 d = (__builtin_convertvector(x, D4) - loPattern[v % 3]) * factorPattern[v % 3];
            x = __builtin_convertvector(d, F4);
            std::memcpy(q, &x, sizeof x);
        }
        if (sums != nullptr) AddMassOfFour(s, &m.Triangles[k]);
    }
    for (; k < count; ++k) {
        T3p& t = m.Triangles[k];
        for (Point3f& p : t.p) {
            p.x = static_cast<float>((static_cast<double>(p.x) - lo[0]) * factor[0]);
            p.y = static_cast<float>((static_cast<double>(p.y) - lo[1]) * factor[1]);
            p.z = static_cast<float>((static_cast<double>(p.z) - lo[2]) * factor[2]);
        }
        if (sums != nullptr) AddMass(s, t);
    }
    if (sums != nullptr) *sums = s;
    FinishFit(types, cuts, cutSection, natural, factor);
}

void ListSummary::Take(const T3p* list, std::size_t count, bool all) {
    const float* f = &list[0].p[0].x;
    F4 vlo[3], vhi[3];
    for (std::size_t v = 0; v < 3; ++v) {
        vlo[v] = F4{lo_[v % 3], lo_[(v + 1) % 3], lo_[(v + 2) % 3], lo_[v % 3]};
        vhi[v] = F4{hi_[v % 3], hi_[(v + 1) % 3], hi_[(v + 2) % 3], hi_[v % 3]};
    }
    I4 inexact = {0, 0, 0, 0};
    std::size_t k = taken_;
    for (; k + 4 <= count; k += 4) {
        const float* q = f + 9 * k;
        for (std::size_t v = 0; v < 9; ++v) {
            F4 x;
            std::memcpy(&x, q + 4 * v, sizeof x);
            vlo[v % 3] = x < vlo[v % 3] ? x : vlo[v % 3];
            vhi[v % 3] = x > vhi[v % 3] ? x : vhi[v % 3];
            I4 bits;
            std::memcpy(&bits, &x, sizeof bits);
            inexact |= bits == INT32_MIN;
            inexact |= x != x;
        }
        AddMassOfFour(sums_, &list[k]);
    }
    for (std::size_t v = 0; v < 3; ++v) {
        for (std::size_t l = 0; l < 4; ++l) {
            const std::size_t a = (v + l) % 3;
            if (vlo[v][l] < lo_[a]) lo_[a] = vlo[v][l];
            if (vhi[v][l] > hi_[a]) hi_[a] = vhi[v][l];
        }
    }
    exact_ = exact_ && !(inexact[0] | inexact[1] | inexact[2] | inexact[3]);
    if (all) {
        for (; k < count; ++k) {
            for (const Point3f& p : list[k].p) {
                for (int a = 0; a < 3; ++a) {
                    const float c = (&p.x)[a];
                    if (c < lo_[a]) lo_[a] = c;
                    if (c > hi_[a]) hi_[a] = c;
                    exact_ = exact_ && c == c && !(c == 0.0f && std::signbit(c));
                }
            }
            AddMass(sums_, list[k]);
        }
    }
    taken_ = k;
}

void ListSummary::Bounds(double* lo, double* hi) const {
    for (int a = 0; a < 3; ++a) {
        lo[a] = lo_[a];
        hi[a] = hi_[a];
    }
}

void StoreMassProperties(ModelState& m, const MassSums& s) {
    m.Volume = s.volume / 6.0;
    m.Centroid = Vec3d{0.0, 0.0, 0.0};
    m.SurfaceArea = 0.0;
    if (s.area > 0.0) {
        m.Centroid = Vec3d{s.cx / (3.0 * s.area), s.cy / (3.0 * s.area), s.cz / (3.0 * s.area)};
        m.SurfaceArea = s.area / 2.0;
    }
}

}  // namespace korvel
