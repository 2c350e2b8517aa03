// step_occt_test.cpp — exchange files of hand-made models read back by OpenCASCADE: faces, validity, box, colours, layers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "export/occt_reader.h"
#include "export/step_file.h"
#include "export/step_writer.h"
#include "export/tiny_model.h"

namespace korvel {
namespace {

using test::OcctReport;
using test::TempDir;

#define REQUIRE_OCCT()                                                                 \
    do {                                                                               \
        if (!test::OcctAvailable()) GTEST_SKIP() << "occt-draw is not installed";      \
    } while (0)

bool Has(const std::vector<std::string>& v, const std::string& s) { return std::find(v.begin(), v.end(), s) != v.end(); }

TEST(StepOcct, TinyModelWithACutPlaneIsReadAsThreeValidColouredFaces) {
    REQUIRE_OCCT();
    TempDir dir;
    ModelState m = test::TinyModel(8, 16);
    test::AddCutPlaneX(m);
    const std::string path = dir.File("tiny.step");
    ExportStepSurfaces(m, path);
    const OcctReport r = test::ReadStep(path);
    ASSERT_TRUE(r.Read) << r.Log;
    EXPECT_EQ(r.Faces(), 3) << r.Log;
    EXPECT_EQ(r.Get("SHELL"), 3);
    EXPECT_TRUE(r.Valid) << r.Log;
    ASSERT_TRUE(r.HasBox) << r.Log;
    // The tube runs x in [0, 2], radius 0.5 .. 0.7 over the upper half (both extremes are grid points).
    const double box[6] = {0.0, -0.7, 0.0, 2.0, 0.7, 0.7};
    for (int k = 0; k < 6; ++k) EXPECT_NEAR(r.Box[k], box[k], 1e-4) << k << "\n" << r.Log;
    // Half a frustum's mantle plus the 1 x 0.5 plane.
    const double slant = std::hypot(2.0, 0.2);
    const double area = std::numbers::pi * (0.5 + 0.7) / 2.0 * slant + 0.5;
    EXPECT_NEAR(r.Area, area, 2e-3 * area) << r.Log;
    EXPECT_TRUE(Has(r.Layers, "Level 0") && Has(r.Layers, "Level 1") && Has(r.Layers, "Level 2")) << r.Log;
    EXPECT_EQ(r.Colours.size(), 2u) << r.Log;  // the grey of the patches and the red of the X cut
}

TEST(StepOcct, EscapedHeaderNameAndCollapsedEdgesAreAccepted) {
    REQUIRE_OCCT();
    TempDir dir;
    ModelState m = test::TinyModel(8, 8);
    for (int j = 1; j <= 9; ++j) m.GridY[1][j] = m.GridZ[1][j] = 0.0;  // a pointed nose: three-sided faces
    const std::string path = dir.File("it's Fl\xC3\xBCgel.step");
    ExportStepSurfaces(m, path);
    const OcctReport r = test::ReadStep(path);
    ASSERT_TRUE(r.Read) << r.Log;
    EXPECT_EQ(r.Faces(), 2);
    // Three edges per face in the file; the reader closes each pole with a degenerate edge of its own.
    EXPECT_EQ(r.Edges(), 8);
    EXPECT_TRUE(r.Valid) << r.Log;
}

TEST(StepOcct, SectionCurvesAreReadAsTwoEdgesOfTheSectionsLength) {
    REQUIRE_OCCT();
    TempDir dir;
    // An ellipse of semi-axes 0.5 and 0.1, 64 intervals, with tangents vertical at the nose, horizontal-ish at the tail.
    ModelState m = test::TinySection(64);
    m.SectionTangents.X = {0.0, 0.0, 0.0, 0.0};
    m.SectionTangents.Y = {-1.0, 1.0, 1.0, -1.0};  // unit tangents of the ellipse at both ends, along travel
    const std::string path = dir.File("section.step");
    ExportStepCurves(m, AirfoilOptions{2.0, true}, path);
    const OcctReport r = test::ReadStep(path);
    ASSERT_TRUE(r.Read) << r.Log;
    EXPECT_EQ(r.Edges(), 2) << r.Log;
    EXPECT_TRUE(r.Valid) << r.Log;
    // Perimeter of the ellipse (Ramanujan) with chord 2, in the XZ plane.
    const double a = 1.0;
    const double b = 0.2;
    const double h = (a - b) * (a - b) / ((a + b) * (a + b));
    const double perimeter = std::numbers::pi * (a + b) * (1.0 + 3.0 * h / (10.0 + std::sqrt(4.0 - 3.0 * h)));
    EXPECT_NEAR(r.Length, perimeter, 2e-3 * perimeter) << r.Log;
    ASSERT_TRUE(r.HasBox);
    EXPECT_NEAR(r.Box[0], 0.0, 1e-4);
    EXPECT_NEAR(r.Box[3], 2.0, 1e-4);
    EXPECT_NEAR(r.Box[1], 0.0, 1e-4);
    EXPECT_NEAR(r.Box[4], 0.0, 1e-4);
    EXPECT_NEAR(r.Box[2], -0.2, 1e-3);
    EXPECT_NEAR(r.Box[5], 0.2, 1e-3);
}

}  // namespace
}  // namespace korvel
