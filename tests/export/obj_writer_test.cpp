// obj_writer_test.cpp — OBJ free-form files parsed back: counts, running indexes, wrapping, and the same nets as the STEP file.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <sstream>

#include "export/obj_writer.h"
#include "export/step_file.h"
#include "export/step_writer.h"
#include "export/tiny_model.h"

namespace korvel {
namespace {

using test::ObjGroup;
using test::TempDir;

ModelState TinyCutModel() {
    ModelState m = test::TinyModel(5, 8);
    test::AddCutPlaneX(m);
    return m;
}

TEST(ObjSurfaceFile, GroupsCountAndIndexAcrossTheFile) {
    TempDir dir;
    const std::string path = dir.File("tiny.obj");
    ExportObjSurfaces(TinyCutModel(), path);
    std::vector<std::string> raw;
    const std::vector<ObjGroup> g = test::ParseObj(path, &raw);
    ASSERT_GE(raw.size(), 2u);
    EXPECT_EQ(raw[0], "# korvel");
    EXPECT_EQ(raw[1], "");
    ASSERT_EQ(g.size(), 3u);
    EXPECT_EQ(g[0].Name, "Surface1");
    EXPECT_EQ(g[1].Name, "Surface2");
    EXPECT_EQ(g[2].Name, "CutYZ");
    int next = 1;
    for (const ObjGroup& s : g) {
        SCOPED_TRACE(s.Name);
        EXPECT_EQ(s.Cstype, "bspline");
        EXPECT_EQ(s.Deg, "3 3");
        EXPECT_EQ(s.Head, (std::vector<std::string>{"surf", "0", "1", "0", "1"}));
        EXPECT_TRUE(s.Ended);
        // Knots = control points + 4 in each direction.
        ASSERT_GE(s.ParmU.size(), 8u);
        ASSERT_GE(s.ParmV.size(), 8u);
        EXPECT_EQ(s.Indexes.size(), (s.ParmU.size() - 4) * (s.ParmV.size() - 4));
        EXPECT_EQ(s.Vertices.size(), s.Indexes.size());
        for (int idx : s.Indexes) EXPECT_EQ(idx, next++);
    }
    EXPECT_EQ(g[0].ParmU, g[1].ParmU);  // the patches share the whole grid's u knots
    EXPECT_EQ(g[2].Indexes.size(), 36u);
    EXPECT_EQ(g[2].ParmU.size(), 10u);
    EXPECT_EQ(g[2].ParmV.size(), 10u);
}

TEST(ObjSurfaceFile, CarriesTheSameNetsAndKnotsAsTheStepFile) {
    TempDir dir;
    const ModelState m = TinyCutModel();
    ExportObjSurfaces(m, dir.File("m.obj"));
    ExportStepSurfaces(m, dir.File("m.step"));
    const std::vector<ObjGroup> g = test::ParseObj(dir.File("m.obj"));
    const test::StepFile f = test::ParseStep(dir.File("m.step"));
    const auto surfaces = f.OfType("B_SPLINE_SURFACE_WITH_KNOTS");
    ASSERT_EQ(surfaces.size(), g.size());
    for (std::size_t k = 0; k < g.size(); ++k) {
        SCOPED_TRACE(g[k].Name);
        const auto lists = test::FlatLists(surfaces[k]->Text);
        const std::size_t rows = g[k].ParmU.size() - 4;
        const std::size_t cols = g[k].ParmV.size() - 4;
        ASSERT_EQ(lists.size(), rows + 4);
        // STEP lists rows of u with v inside; OBJ lists v outer with u running fastest.
        for (std::size_t u = 0; u < rows; ++u) {
            ASSERT_EQ(lists[u].size(), cols);
            for (std::size_t v = 0; v < cols; ++v) {
                const auto point = test::FlatLists(f[std::atoi(lists[u][v].c_str() + 1)].Text).at(0);
                EXPECT_EQ(g[k].Vertices[v * rows + u], point[0] + " " + point[1] + " " + point[2]);
            }
        }
        EXPECT_EQ(test::ExpandKnots(lists[rows], lists[rows + 2]), g[k].ParmU);
        EXPECT_EQ(test::ExpandKnots(lists[rows + 1], lists[rows + 3]), g[k].ParmV);
    }
}

TEST(ObjSurfaceFile, ListLinesWrapAfterSeventyCharactersButNeverBeforeTheLastItem) {
    TempDir dir;
    ModelState m = test::TinyModel();
    m.PatchLast = {};  // only the cut plane: 36 control points first
    m.PatchFirst = {};
    test::AddCutPlaneX(m);
    const std::string path = dir.File("plane.obj");
    ExportObjSurfaces(m, path);
    const std::vector<std::string> lines = test::ReadLines(path);
    std::string expected = "surf 0 1 0 1";
    for (int i = 1; i <= 23; ++i) expected += " " + std::to_string(i);
    std::string rest;
    for (int i = 24; i <= 36; ++i) rest += " " + std::to_string(i);
    const auto at = std::find(lines.begin(), lines.end(), expected + " \\");
    ASSERT_NE(at, lines.end());
    EXPECT_EQ(at->size(), 74u);
    EXPECT_EQ(*(at + 1), rest);
    EXPECT_EQ(rest.size(), 39u);
    for (const std::string& l : lines) {
        if (l.size() >= 2 && l.compare(l.size() - 2, 2, " \\") == 0) {
            EXPECT_GE(l.size(), 73u) << l;
        }
    }
}

TEST(ObjCurveFile, TwoCurvesWithRunningIndexesInEitherPlane) {
    TempDir dir;
    for (bool xz : {false, true}) {
        const std::string path = dir.File(xz ? "xz.obj" : "xy.obj");
        ExportObjCurves(test::TinySection(12), AirfoilOptions{1.0, xz}, path);
        const std::vector<ObjGroup> g = test::ParseObj(path);
        ASSERT_EQ(g.size(), 2u);
        EXPECT_EQ(g[0].Name, "UpperSrf");
        EXPECT_EQ(g[1].Name, "LowerSrf");
        // SectionLE = 7: N = 6, nine control points per curve, thirteen knots.
        for (int k = 0; k < 2; ++k) {
            EXPECT_EQ(g[k].Deg, "3");
            EXPECT_EQ(g[k].Head, (std::vector<std::string>{"curv", "0", "1"}));
            ASSERT_EQ(g[k].Indexes.size(), 9u);
            EXPECT_EQ(g[k].Indexes.front(), 1 + 9 * k);
            EXPECT_EQ(g[k].Indexes.back(), 9 + 9 * k);
            EXPECT_EQ(g[k].ParmU.size(), 13u);
            for (const std::string& v : g[k].Vertices) {
                std::stringstream ss(v);
                double x, y, z;
                ss >> x >> y >> z;
                EXPECT_EQ(xz ? y : z, 0.0) << v;
            }
        }
        EXPECT_EQ(g[0].Vertices.front(), "1.0 0.0 0.0");  // the upper curve starts at the trailing edge
    }

    // The STEP curve file of the same section holds the same points.
    ExportStepCurves(test::TinySection(12), AirfoilOptions{}, dir.File("s.step"));
    const test::StepFile f = test::ParseStep(dir.File("s.step"));
    const std::vector<ObjGroup> g = test::ParseObj(dir.File("xy.obj"));
    for (int i = 1; i <= 9; ++i) {
        const auto p = test::FlatLists(f[i].Text).at(0);
        EXPECT_EQ(g[0].Vertices[i - 1], p[0] + " " + p[1] + " " + p[2]);
    }
}

TEST(ObjFiles, FailuresWriteNoFile) {
    TempDir dir;
    const std::string path = dir.File("none.obj");
    EXPECT_THROW(ExportObjSurfaces(ModelState{}, path), ExportError);
    EXPECT_THROW(ExportObjCurves(ModelState{}, AirfoilOptions{}, path), ExportError);
    ModelState flat = test::TinyModel();
    for (auto* gr : {&flat.GridX, &flat.GridY, &flat.GridZ})
        for (auto& row : *gr) std::fill(row.begin(), row.end(), 0.5);
    EXPECT_THROW(ExportObjSurfaces(flat, path), ExportError);
    EXPECT_FALSE(std::filesystem::exists(path));
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_THROW(ExportObjSurfaces(test::TinyModel(), "/dev/full"), ExportError);
        EXPECT_THROW(ExportObjCurves(test::TinySection(), AirfoilOptions{}, "/dev/full"), ExportError);
    }
}

}  // namespace
}  // namespace korvel
