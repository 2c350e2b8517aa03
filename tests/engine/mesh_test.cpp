// mesh_test.cpp — mesh steps on data written here: growth past the capacity hints, cut planes, no grid.
#include <gtest/gtest.h>

#include "engine/mesh.h"
#include "engine/mesh_internal.h"
#include "mesh_checks.h"

namespace korvel {
namespace {

TEST(MeshCut, OutputOutgrowsItsCapacityHints) {
    // Tents all crossing x = 0.5 with two corners on the kept side: each keeps two pieces and adds a
    // segment, more than the hints allow.
    ModelState m;
    for (int k = 0; k < 40; ++k) m.Triangles.push_back(T3p{{{0, float(k), 0}, {1, k + 0.5f, 0}, {0, k + 1.0f, 0}}});
    m.TriangleLast = 39;
    int32_t count = m.TriangleLast;
    CutMeshByPlane(m, true, count, 0, 1, 2, 0.5f);
    EXPECT_GE(count, 2 * 40 - 1);
    EXPECT_EQ(size_t(count) + 1, m.TempTriangles.size());
}

TEST(MeshBuild, CutPlanesSpanTheModelWithAMarginAndNoGridBuildsNothing) {
    BuildInputs in = testing::RoundInputs(false, 16);
    in.ActCutSec = true;
    in.csX = 0.25;
    in.tX = 2;  // the high side kept and moved to the origin: the plane at x = 0
    const ModelState m = testing::Build(in);
    ASSERT_TRUE(m.CutPlaneOn[0] && !m.CutPlaneOn[1] && !m.CutPlaneOn[2]);
    EXPECT_EQ(m.CutPlaneX[0][3][3], 0.0);
    EXPECT_NEAR(m.CutPlaneZ[0][0][0], -0.1 * m.GridSize.z, 1e-12);
    EXPECT_NEAR(m.CutPlaneY[0][0][3], 1.1 * m.GridSize.y, 1e-12);
    EXPECT_EQ(m.CutPlaneY[1][2][2], 0.0);  // plane absent: cleared

    ModelState empty;  // no grid: no triangles and no measures
    empty.Centroid = {1, 2, 3};
    BuildMesh(empty, -1, 1, 1, 1, true, true, true, 0.5, 0.5, 0.5);
    EXPECT_TRUE(empty.TriangleLast == -1 && empty.Centroid.y == 2.0);
}

}  // namespace
}  // namespace korvel
