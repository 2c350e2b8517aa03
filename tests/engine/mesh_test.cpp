// mesh_test.cpp — the cut planes round a cut model, and a mesh build with no grid.
#include <gtest/gtest.h>

#include "engine/mesh.h"
#include "mesh_checks.h"

namespace korvel {
namespace {

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
