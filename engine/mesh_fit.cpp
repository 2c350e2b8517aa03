// mesh_fit.cpp — the finished mesh doubled by the mirror, fitted to the requested size and measured.
#include <cmath>
#include <cstddef>

#include "mesh_internal.h"

namespace korvel {

namespace {
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
                         MassSums* sums) {
    if (m.TriangleLast < 0) return;
    const Point3f& first = m.Triangles[At(m.TriangleLast)].p[0];
    double lo[3] = {first.x, first.y, first.z};
    double hi[3] = {first.x, first.y, first.z};
    for (int32_t k = m.TriangleLast; k >= 0; --k) {
        for (const Point3f& p : m.Triangles[At(k)].p) {
            const double c[3] = {p.x, p.y, p.z};
            for (int a = 0; a < 3; ++a) {
                if (c[a] < lo[a]) lo[a] = c[a];
                if (c[a] > hi[a]) hi[a] = c[a];
            }
        }
    }
    const double natural[3] = {hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]};
    const double requested[3] = {m.LengthX, m.WidthY, m.HeightZ};
    double factor[3];
    for (int a = 0; a < 3; ++a) {
        factor[a] = (requested[a] > -1.0 && natural[a] > 0.0) ? requested[a] / natural[a] : 1.0;
    }
    m.NaturalSize = Vec3d{natural[0], natural[1], natural[2]};
    m.FittedSize = Vec3d{m.FittedSize.x * factor[0], m.FittedSize.y * factor[1], m.FittedSize.z * factor[2]};
    m.ScaleFactor = Vec3d{factor[0], factor[1], factor[2]};
    MassSums s;
    for (int32_t k = 0; k <= m.TriangleLast; ++k) {
        T3p& t = m.Triangles[At(k)];
        for (Point3f& p : t.p) {
            p.x = static_cast<float>((static_cast<double>(p.x) - lo[0]) * factor[0]);
            p.y = static_cast<float>((static_cast<double>(p.y) - lo[1]) * factor[1]);
            p.z = static_cast<float>((static_cast<double>(p.z) - lo[2]) * factor[2]);
        }
        if (sums != nullptr) AddMass(s, t);
    }
    if (sums != nullptr) *sums = s;
    if (cutSection) {
        // The plane of a low-side cut lies at the far end of the kept part, a high-side plane at 0.
        for (std::size_t a = 0; a < 3; ++a) {
            cuts.Position[a] = types[a] == 1 ? natural[a] * factor[a] : 0.0;
        }
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
