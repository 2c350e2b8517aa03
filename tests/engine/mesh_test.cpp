// mesh_test.cpp — the mesh steps on a sphere grid written here: quads, clipping, growth, fit, cut planes.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "engine/mesh.h"
#include "engine/mesh_internal.h"
#include "mesh_checks.h"

namespace korvel {
namespace {

using testing::EdgePairingFault;
using testing::FacesInPlane;
constexpr double pi = std::numbers::pi;

// A grid as the body builders lay it out: rows are stations along X with both ends collapsed to a point,
// columns run round the section starting at -Y and through -Z, the last column repeating the first.
// As laid out it winds inwards; the body path's sign -1 turns it out.
void SphereGrid(ModelState& m, int32_t M, int32_t N) {
    m.SetGridM(M);
    m.SetGridN(N);
    AllocateGrid(m, true, false);
    for (int32_t i = 1; i <= M + 1; ++i) {
        const double phi = pi * (i - 1) / M;
        const double x = i == M + 1 ? 1.0 : 0.5 - 0.5 * std::cos(phi);
        const double r = (i == 1 || i == M + 1) ? 0.0 : 0.5 * std::sin(phi);
        for (int32_t j = 1; j <= N + 1; ++j) {
            const double t = 2 * pi * ((j == N + 1 ? 1 : j) - 1) / N;
            m.GridX[size_t(i)][size_t(j)] = x;
            m.GridY[size_t(i)][size_t(j)] = r == 0.0 ? 0.0 : -r * std::cos(t);
            m.GridZ[size_t(i)][size_t(j)] = r == 0.0 ? 0.0 : -r * std::sin(t);
        }
    }
}

TEST(MeshGrid, CollapsedQuadsAndChequerboardDiagonals) {
    ModelState m;
    AddQuadTriangles(m, 0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0);
    AddQuadTriangles(m, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0);  // collapsed edge: one triangle
    AddQuadTriangles(m, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2);  // collapsed quad: none
    EXPECT_EQ(m.TriangleLast, 2);

    SphereGrid(m, 4, 8);
    TriangulateGrid(m);
    // Poles give one triangle per quad: 2 x 8 single + 2 x 8 double.
    EXPECT_EQ(m.TriangleLast + 1, 48);
    // Row 2, columns 1 and 2: the first quad's triangles share the diagonal p01-p10, the next one p00-p11.
    const T3p& a = m.Triangles[8];
    const T3p& c = m.Triangles[10];
    EXPECT_EQ(a.p[0].x, float(m.GridX[2][2]));
    EXPECT_EQ(a.p[0].y, float(m.GridY[2][2]));
    EXPECT_EQ(c.p[0].y, float(m.GridY[2][2]));
    EXPECT_EQ(c.p[2].y, float(m.GridY[3][3]));
}

TEST(MeshClip, EdgesInThePlaneAndStraddlingTriangles) {
    std::array<FramePoint, 5> p{};
    p[0] = {1, 0, 0};
    p[1] = {1, 1, 0};
    p[2] = {0, 0, 1};
    ClipResult r = ClipTriangleByPlane(p, true, 1.0f);
    ASSERT_EQ(r.pieces, 1);
    EXPECT_TRUE(r.segment);
    EXPECT_EQ(r.piece[0], (std::array<int, 3>{2, 0, 1}));
    EXPECT_EQ(ClipTriangleByPlane(p, false, 1.0f).pieces, 0);

    // Two vertices kept, one beyond: two pieces keeping the winding, the segment along the plane.
    p[0] = {0, 0, 0};
    p[1] = {2, 1, 0};
    p[2] = {0, 1, 1};
    r = ClipTriangleByPlane(p, true, 1.0f);
    ASSERT_EQ(r.pieces, 2);
    EXPECT_EQ(r.piece[0], (std::array<int, 3>{0, 3, 4}));
    EXPECT_EQ(r.piece[1], (std::array<int, 3>{0, 4, 2}));
    EXPECT_EQ(p[3].a, 1.0f);
    EXPECT_EQ(p[4].a, 1.0f);
    EXPECT_FLOAT_EQ(p[3].u, 0.5f);
    EXPECT_FLOAT_EQ(p[4].v, 0.5f);
}

TEST(MeshCut, OutputOutgrowsItsCapacityHints) {
    // Every triangle keeps two pieces and adds a segment: twice the triangles and more segments than the
    // hints allow. A grid of tents, all crossing the plane x = 0.5 with two corners on the low side.
    ModelState m;
    for (int k = 0; k < 40; ++k) {
        const float y = float(k);
        m.Triangles.push_back(T3p{{{0, y, 0}, {1, y + 0.5f, 0}, {0, y + 1, 0}}});
    }
    m.TriangleLast = 39;
    int32_t count = m.TriangleLast;
    CutMeshByPlane(m, true, count, 0, 1, 2, 0.5f);
    EXPECT_GE(count, 2 * 40 - 1);
    EXPECT_EQ(size_t(count) + 1, m.TempTriangles.size());
    EXPECT_TRUE(m.CutSegments.empty());
}

TEST(MeshBuild, FitMirrorAndTheAxesFlag) {
    // After a fit and a mirror the caps still lie exactly at the returned positions in single precision,
    // where the section view looks for them.
    ModelState m;
    SphereGrid(m, 40, 40);
    m.LengthX = 2.7;
    m.HeightZ = 0.3;
    const CutPlacement placed = BuildMesh(m, -1, 1, 1, 1, true, true, true, 0.3, 1, 0.6);
    EXPECT_NEAR(placed.Position[0], 2.7, 1e-12);
    EXPECT_GT(FacesInPlane(m, 0, float(placed.Position[0])).count, 10);
    EXPECT_GT(FacesInPlane(m, 2, float(placed.Position[2])).count, 10);
    EXPECT_EQ(EdgePairingFault(m), "");

    // Without the axes flag the measures stay as they were.
    m.Volume = -7.0;
    m.SurfaceArea = -8.0;
    SphereGrid(m, 8, 8);
    BuildMesh(m, -1, 1, 1, 1, false, false, false, 1, 1, 1);
    EXPECT_EQ(m.Volume, -7.0);
    EXPECT_EQ(m.SurfaceArea, -8.0);
}

TEST(MeshBuild, NoGridNoTriangles) {
    ModelState m;
    m.Centroid = {1, 2, 3};
    BuildMesh(m, -1, 1, 1, 1, true, true, true, 0.5, 0.5, 0.5);
    EXPECT_EQ(m.TriangleLast, -1);
    EXPECT_EQ(m.Centroid.y, 2.0);
}

TEST(MeshBuild, CutPlanesSpanTheModelWithAMargin) {
    ModelState m;
    SphereGrid(m, 16, 16);
    ClearCutPlanes(m);
    const CutPlacement cuts = BuildMesh(m, -1, 2, 1, 1, true, false, false, 0.25, 1, 1);
    BuildCutPlanes(m, false, cuts);
    EXPECT_EQ(m.CutPlaneX[0][3][3], 0.0);
    EXPECT_NEAR(m.CutPlaneZ[0][0][0], -0.1 * m.GridSize.z, 1e-12);
    EXPECT_NEAR(m.CutPlaneY[0][0][3], 1.1 * m.GridSize.y, 1e-12);
    EXPECT_EQ(m.CutPlaneY[1][2][2], 0.0);  // plane absent: untouched
}

}  // namespace
}  // namespace korvel
