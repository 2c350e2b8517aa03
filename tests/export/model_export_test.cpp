// model_export_test.cpp — models built by the engine, fitted and exported: grid reproduction, and OpenCASCADE reading the files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "engine/build_model.h"
#include "export/bspline_eval.h"
#include "export/fitted_model.h"
#include "export/obj_writer.h"
#include "export/occt_reader.h"
#include "export/step_file.h"
#include "export/step_writer.h"

namespace korvel {
namespace {

using test::OcctReport;
using test::TempDir;

ModelState Build(const BuildInputs& in) {
    ModelState m;
    ResetDimensions(m);
    NullCanvas canvas(in.CanvasWidth, in.CanvasHeight);
    std::string info;
    BuildModel(m, in, canvas, info);
    return m;
}

BuildInputs Body() { return BuildInputs{}; }

BuildInputs Wing() {
    BuildInputs in;
    in.ActWing = true;
    return in;
}

// A half body cut by Y = 0, mirrored back, with an X cut section.
BuildInputs CutMirroredBody() {
    BuildInputs in;
    in.ActCut = true;
    in.c = 1;
    in.ActMirror = true;
    in.ActCutSec = true;
    in.csX = 0.6;
    return in;
}

// A half wing, mirrored, with all three cut sections.
BuildInputs CutMirroredWing() {
    BuildInputs in = CutMirroredBody();
    in.ActWing = true;
    in.csX = 0.3;
    in.csY = 0.5;
    in.csZ = 0.5;
    return in;
}

// The box of what the surface file holds: the scaled grid columns of the written patches and the cut planes.
std::array<double, 6> ExpectedBox(const ModelState& m) {
    std::array<double, 6> b = {1e300, 1e300, 1e300, -1e300, -1e300, -1e300};
    const auto add = [&](double x, double y, double z) {
        const double p[3] = {x, y, z};
        for (int c = 0; c < 3; ++c) {
            b[c] = std::min(b[c], p[c]);
            b[c + 3] = std::max(b[c + 3], p[c]);
        }
    };
    for (int k = 0; k < 6; ++k) {
        if (!PatchWritten(m, k)) continue;
        for (int i = 1; i <= m.GridM + 1; ++i)
            for (int j = m.PatchFirst[k]; j <= m.PatchLast[k]; ++j)
                add(m.ScaleFactor.x * m.GridX[i][j], m.ScaleFactor.y * m.GridY[i][j], m.ScaleFactor.z * m.GridZ[i][j]);
    }
    for (int c = 0; c < 3; ++c) {
        if (!m.CutPlaneOn[c]) continue;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) add(m.CutPlaneX[c][i][j], m.CutPlaneY[c][i][j], m.CutPlaneZ[c][i][j]);
    }
    return b;
}

int WrittenSlots(const ModelState& m) {
    int n = 0;
    for (int k = 0; k < 6; ++k) n += PatchWritten(m, k) ? 1 : 0;
    for (int c = 0; c < 3; ++c) n += m.CutPlaneOn[c] ? 1 : 0;
    return n;
}

TEST(ModelFit, SurfacesPassThroughEveryGridPointAndShareTheirUKnots) {
    for (const BuildInputs& in : {Body(), Wing(), CutMirroredWing()}) {
        const ModelState m = Build(in);
        const std::vector<FittedSurface> s = FitModelSurfaces(m);
        const double size = std::max({m.FittedSize.x, m.FittedSize.y, m.FittedSize.z});
        ASSERT_GT(size, 0.0);
        for (const FittedSurface& f : s) {
            SCOPED_TRACE(f.Name);
            if (f.Slot >= kFirstCutSlot) continue;
            EXPECT_EQ(f.UKnots, s[0].UKnots);
            const int first = m.PatchFirst[f.Slot];
            double worst = 0.0;
            for (int i = 0; i <= f.NU; ++i) {
                for (int j = 0; j <= f.NV; ++j) {
                    const test::P3 p =
                        test::EvalSurface(f.UKnots, f.VKnots, f.PX, f.PY, f.PZ, f.UKnots[i + 3], f.VKnots[j + 3]);
                    worst = std::max({worst, std::fabs(p[0] - m.ScaleFactor.x * m.GridX[i + 1][first + j]),
                                      std::fabs(p[1] - m.ScaleFactor.y * m.GridY[i + 1][first + j]),
                                      std::fabs(p[2] - m.ScaleFactor.z * m.GridZ[i + 1][first + j])});
                }
            }
            EXPECT_LT(worst, 1e-12 * size);
        }
    }
}

TEST(ModelFit, ExportsLeaveTheModelAsBuiltAndRepeatExactly) {
    TempDir dir;
    const ModelState m = Build(CutMirroredBody());
    ASSERT_TRUE(m.CutPlaneOn[0]);
    const ModelState before = m;
    ExportStepSurfaces(m, dir.File("a.step"), test::FixedClock);
    ExportObjSurfaces(m, dir.File("a.obj"));
    ExportStepSurfaces(m, dir.File("a2.step"), test::FixedClock);
    EXPECT_EQ(m.EdgeTangentX, before.EdgeTangentX);
    EXPECT_EQ(m.CurveTangentZ, before.CurveTangentZ);
    std::vector<std::string> a = test::ReadLines(dir.File("a.step"));
    std::vector<std::string> b = test::ReadLines(dir.File("a2.step"));
    ASSERT_EQ(a.size(), b.size());
    a.erase(a.begin() + 4);  // the name line differs
    b.erase(b.begin() + 4);
    EXPECT_EQ(a, b);
}

TEST(ModelFit, CurveExportsOfA2DBuildThatBuiltNothingFail) {
    TempDir dir;
    BuildInputs in;
    in.Act3D = false;
    in.CanvasWidth = 10;  // too small: the 2D build leaves no section
    in.CanvasHeight = 400;
    const ModelState m = Build(in);
    const std::string path = dir.File("nothing.step");
    EXPECT_THROW(ExportStepCurves(m, AirfoilOptions{}, path), ExportError);
    EXPECT_THROW(ExportObjCurves(m, AirfoilOptions{}, path), ExportError);
    EXPECT_FALSE(std::filesystem::exists(path));
}

#define REQUIRE_OCCT()                                                            \
    do {                                                                          \
        if (!test::OcctAvailable()) GTEST_SKIP() << "occt-draw is not installed"; \
    } while (0)

// Reads the model's surface file back and checks faces, validity, box, colours, layers; returns the report.
OcctReport CheckSurfaceFile(const ModelState& m, const std::string& path) {
    ExportStepSurfaces(m, path);
    OcctReport r = test::ReadStep(path);
    EXPECT_TRUE(r.Read) << r.Log;
    const int slots = WrittenSlots(m);
    EXPECT_EQ(r.Faces(), slots) << r.Log;
    EXPECT_EQ(r.Get("SHELL"), slots);
    EXPECT_TRUE(r.Valid) << r.Log;
    EXPECT_TRUE(r.HasBox) << r.Log;
    const std::array<double, 6> box = ExpectedBox(m);
    const double size = std::max({box[3] - box[0], box[4] - box[1], box[5] - box[2]});
    // The surfaces swell a hair beyond the grid between its points.
    for (int k = 0; k < 6; ++k) EXPECT_NEAR(r.Box[k], box[k], 1e-3 * size) << "box " << k << "\n" << r.Log;
    EXPECT_EQ(r.Layers.size(), static_cast<size_t>(slots)) << r.Log;
    for (int n = 0; n < slots; ++n) {
        EXPECT_NE(std::find(r.Layers.begin(), r.Layers.end(), "Level " + std::to_string(n)), r.Layers.end());
    }
    EXPECT_NE(std::find(r.Colours.begin(), r.Colours.end(), "GRAY75"), r.Colours.end()) << r.Log;
    const char* planeColours[3] = {"RED3", "GREEN3", "MATRABLUE"};
    for (int c = 0; c < 3; ++c) {
        const bool has = std::find(r.Colours.begin(), r.Colours.end(), planeColours[c]) != r.Colours.end();
        EXPECT_EQ(has, m.CutPlaneOn[c]) << planeColours[c] << "\n" << r.Log;
    }
    return r;
}

TEST(ModelStepOcct, DefaultBodyAndWingAreReadWithTheirSizeAndArea) {
    REQUIRE_OCCT();
    TempDir dir;
    for (const BuildInputs& in : {Body(), Wing()}) {
        const ModelState m = Build(in);
        SCOPED_TRACE(in.ActWing ? "wing" : "body");
        const OcctReport r = CheckSurfaceFile(m, dir.File("model.step"));
        // Uncut: the box is the fitted size from the origin; the area that of the mesh, a little more.
        EXPECT_NEAR(r.Box[3] - r.Box[0], m.FittedSize.x, 1e-3 * m.FittedSize.x);
        EXPECT_NEAR(r.Box[4] - r.Box[1], m.FittedSize.y, 1e-3 * m.FittedSize.x);
        EXPECT_NEAR(r.Box[5] - r.Box[2], m.FittedSize.z, 1e-3 * m.FittedSize.x);
        EXPECT_GT(r.Area, m.SurfaceArea);
        EXPECT_LT(r.Area, 1.005 * m.SurfaceArea);
    }
}

TEST(ModelStepOcct, CutAndMirroredModelsCarryTheirCutPlanes) {
    REQUIRE_OCCT();
    TempDir dir;
    for (const BuildInputs& in : {CutMirroredBody(), CutMirroredWing()}) {
        const ModelState m = Build(in);
        SCOPED_TRACE(in.ActWing ? "wing" : "body");
        ASSERT_GT(WrittenSlots(m), 2);
        CheckSurfaceFile(m, dir.File("cut.step"));
    }
}

TEST(ModelStepOcct, SectionCurvesOfA2DBuild) {
    REQUIRE_OCCT();
    TempDir dir;
    BuildInputs in;
    in.Act3D = false;
    in.CanvasWidth = 400;
    in.CanvasHeight = 300;
    const ModelState m = Build(in);
    ASSERT_GT(m.SectionLE, 1);
    double polygon = 0.0;
    double ymin = 0.0;
    double ymax = 0.0;
    for (int k = 2; k <= m.SectionCount + 1; ++k) {
        polygon += std::hypot(m.SectionX[k] - m.SectionX[k - 1], m.SectionY[k] - m.SectionY[k - 1]);
        ymin = std::min(ymin, m.SectionY[k]);
        ymax = std::max(ymax, m.SectionY[k]);
    }
    const double chord = 3.0;
    const std::string path = dir.File("section.step");
    ExportStepCurves(m, AirfoilOptions{chord, false}, path);
    const OcctReport r = test::ReadStep(path);
    ASSERT_TRUE(r.Read) << r.Log;
    EXPECT_EQ(r.Edges(), 2) << r.Log;
    EXPECT_TRUE(r.Valid) << r.Log;
    // Interpolating curves are a little longer than the polygon through their points.
    EXPECT_GT(r.Length, chord * polygon);
    EXPECT_LT(r.Length, 1.01 * chord * polygon);
    ASSERT_TRUE(r.HasBox);
    EXPECT_NEAR(r.Box[0], 0.0, 1e-3 * chord);
    EXPECT_NEAR(r.Box[3], chord, 1e-3 * chord);
    EXPECT_NEAR(r.Box[1], chord * ymin, 1e-2 * chord * (ymax - ymin));
    EXPECT_NEAR(r.Box[4], chord * ymax, 1e-2 * chord * (ymax - ymin));
}

}  // namespace
}  // namespace korvel
