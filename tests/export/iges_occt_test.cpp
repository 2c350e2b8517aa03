// iges_occt_test.cpp — OpenCASCADE reads the IGES files we write, and finds the same model in them as in our STEP files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "built_models.h"
#include "export/iges_writer.h"
#include "export/occt_reader.h"
#include "export/step_writer.h"
#include "iges_file_reader.h"
#include "writer_test_util.h"

namespace korvel {
namespace {

using test::OcctReport;
using test::TempDir;

// The faces a surface export must carry, counted from the model state: the patches with more than one
// column and the cut planes that are on.
int ExpectedFaces(const ModelState& m) {
    int n = 0;
    for (int p = 0; p < 6; ++p) n += m.PatchLast[p] > 0 && m.PatchLast[p] != m.PatchFirst[p] ? 1 : 0;
    for (bool on : m.CutPlaneOn) n += on ? 1 : 0;
    return n;
}

struct Case {
    const char* name;
    BuildInputs in;
};

TEST(IgesOcct, SurfacesReadBackAsTheSameModelAsStep) {
    if (!test::OcctAvailable()) GTEST_SKIP() << "occt-draw is not installed (scripts/install-deps installs it)";
    BuildInputs cutBody = test::SectionCut(false, 0.6, 1.0, 0.7, false);
    BuildInputs halfWing = test::Solid(true);
    halfWing.ActCut = true;
    halfWing.c = 1;
    const Case cases[] = {
        {"body", test::Solid(false)},
        {"wing", test::Solid(true)},
        {"cutbody", cutBody},
        {"mirroredwing", test::SectionCut(true, 1.0, 0.5, 1.0, true)},
        {"halfwing", halfWing},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ModelState m = test::Built(c.in);
        const int faces = ExpectedFaces(m);
        ASSERT_GT(faces, 0);
        const std::string igs = dir.File(std::string(c.name) + ".igs");
        const std::string stp = dir.File(std::string(c.name) + ".step");
        ASSERT_TRUE(ExportIgesSurfaces(m, ExportOptions{}, igs));
        ExportStepSurfaces(m, stp);
        const test::IgesFile structure = test::ReadIgesFile(igs);
        EXPECT_TRUE(structure.error.empty()) << structure.error;
        EXPECT_EQ(structure.entities.size(), static_cast<std::size_t>(faces));
        const OcctReport ri = test::ReadIges(igs);
        const OcctReport rs = test::ReadStep(stp);
        ASSERT_TRUE(ri.Ran && ri.Read) << ri.Log;
        ASSERT_TRUE(rs.Ran && rs.Read) << rs.Log;
        EXPECT_TRUE(ri.Valid) << ri.Log;
        EXPECT_EQ(ri.Faces(), faces) << ri.Log;
        EXPECT_EQ(rs.Faces(), faces) << rs.Log;
        ASSERT_TRUE(ri.HasBox && rs.HasBox);
        const double size = std::max({m.FittedSize.x, m.FittedSize.y, m.FittedSize.z});
        for (int k = 0; k < 6; ++k) EXPECT_NEAR(ri.Box[k], rs.Box[k], 1e-6 * size) << "box " << k;
        // Without cut planes (which reach a tenth beyond the model) the surfaces span the model's own extents.
        if (!m.CutPlaneOn[0] && !m.CutPlaneOn[1] && !m.CutPlaneOn[2]) {
            EXPECT_NEAR(ri.Box[3] - ri.Box[0], m.FittedSize.x, 0.01 * size);
            EXPECT_NEAR(ri.Box[4] - ri.Box[1], m.FittedSize.y, 0.01 * size);
            EXPECT_NEAR(ri.Box[5] - ri.Box[2], m.FittedSize.z, 0.01 * size);
        }
        // The reader prints six significant digits of the area.
        EXPECT_NEAR(ri.Area, rs.Area, 2e-5 * rs.Area);
        EXPECT_GT(ri.Area, 0.0);
    }
}

TEST(IgesOcct, SectionCurvesReadBackInTheirPlane) {
    if (!test::OcctAvailable()) GTEST_SKIP() << "occt-draw is not installed (scripts/install-deps installs it)";
    TempDir dir;
    const ModelState m = test::Built(test::Section2D(64));
    for (const bool xz : {false, true}) {
        ExportOptions options;
        options.Airfoil.AirfoilChordLength = 3.0;
        options.Airfoil.AirfoilXZPlane = xz;
        const std::string igs = dir.File(xz ? "xz.igs" : "xy.igs");
        ASSERT_TRUE(ExportIgesCurves(m, options, igs));
        const OcctReport r = test::ReadIges(igs);
        ASSERT_TRUE(r.Ran && r.Read) << r.Log;
        EXPECT_TRUE(r.Valid) << r.Log;
        EXPECT_EQ(r.Edges(), 2) << r.Log;
        EXPECT_EQ(r.Faces(), 0) << r.Log;
        ASSERT_TRUE(r.HasBox) << r.Log;
        // Chord 0..3 along X; the section's thickness along Y (or Z in the XZ plane), nothing across it.
        EXPECT_NEAR(r.Box[0], 0.0, 1e-3);
        EXPECT_NEAR(r.Box[3], 3.0, 1e-3);
        const int across = xz ? 1 : 2;
        const int along = xz ? 2 : 1;
        EXPECT_NEAR(r.Box[across], 0.0, 1e-6);
        EXPECT_NEAR(r.Box[across + 3], 0.0, 1e-6);
        EXPECT_GT(r.Box[along + 3] - r.Box[along], 0.05 * 3.0);
        // Both curves together run once round the contour: close to the section's polygon length.
        double perimeter = 0.0;
        for (int32_t i = 1; i <= m.SectionCount; ++i) {
            perimeter += std::hypot(m.SectionX[i + 1] - m.SectionX[i], m.SectionY[i + 1] - m.SectionY[i]);
        }
        EXPECT_NEAR(r.Length, 3.0 * perimeter, 0.01 * 3.0 * perimeter) << r.Log;
    }
}

}  // namespace
}  // namespace korvel
