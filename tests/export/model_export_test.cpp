// model_export_test.cpp — every writer's refusals, and OpenCASCADE reading our STEP and IGES files of hand-made and built models.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <future>
#include <map>

#include "export/airfoil_dat_writer.h"
#include "export/curve_txt_writer.h"
#include "export/fitted_model.h"
#include "export/iges_writer.h"
#include "export/obj_writer.h"
#include "export/step_writer.h"
#include "export/stl_writer.h"
#include "writer_test_util.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using Writer = std::function<void(const ModelState&, const std::string&)>;
using Faults = std::vector<std::pair<ModelState, const char*>>;  // a model and what the refusal must say

// Nothing to write, a 2D model for a surface file, a cut that keeps nothing (a real configuration), points
// that are not finite, a section without a chord: each refused with its reason before a file is touched.
// Failed writes into a missing folder or onto a full disk are errors, never success.
TEST(Writers, RefuseWhatCannotBeWrittenBeforeTouchingAFileAndReportFailedWrites) {
    ModelState flat = test::TinyModel(), nanGrid = test::TinyModel(), sectionless, nanSection = test::TinySection(), noChord = test::TinySection(),
               infinite = test::TinyModel();
    for (auto* g : {&flat.GridX, &flat.GridY, &flat.GridZ})
        for (auto& row : *g) std::fill(row.begin(), row.end(), 1.0);
    nanGrid.GridX[3][3] = NAN;
    infinite.Triangles[5].p[2].y = INFINITY;
    sectionless.SetSectionCount(40);  // a 3D build leaves the section empty
    nanSection.SectionY[3] = NAN;
    for (std::size_t k = 1; k <= 9; ++k) noChord.SectionX[k] = 1.0;  // no chord to divide by
    BuildInputs tiny = test::Section2D(40);
    tiny.CanvasWidth = 10;  // too small: the 2D build leaves no section
    const ModelState nothing = test::Build(tiny), twoD = test::Build(test::Section2D(40)), empty = test::Build(test::EmptyCut());
    ASSERT_EQ(empty.TriangleLast, -1);
    const Faults surfaceFaults{{ModelState{}, ""}, {flat, ""}, {nanGrid, ""}, {twoD, "no surface model"}, {empty, "The cut leaves nothing"}};
    const Faults curveFaults{{ModelState{}, ""}, {nothing, ""}, {sectionless, ""}};
    const Faults pointFaults{{ModelState{}, ""}, {nothing, ""}, {sectionless, ""}, {nanSection, ""}, {noChord, ""}};
    const Faults stlFaults{{ModelState{}, ""}, {empty, "The cut leaves nothing"}, {infinite, "not a finite"}};
    const ExportOptions o;
    struct Case {
        const char* name;
        Writer write;
        const Faults& faults;
        ModelState good;
    };
    const Case cases[] = {
        {"step", [](const ModelState& m, const std::string& f) { ExportStepSurfaces(m, f, test::FixedClock); }, surfaceFaults, test::TinyModel()},
        {"obj", [](const ModelState& m, const std::string& f) { ExportObjSurfaces(m, f); }, surfaceFaults, test::TinyModel()},
        {"igs", [&](const ModelState& m, const std::string& f) { ExportIgesSurfaces(m, o, f, {}, test::FixedClock); }, surfaceFaults, test::TinyModel()},
        {"step", [&](const ModelState& m, const std::string& f) { ExportStepCurves(m, o.Airfoil, f, test::FixedClock); }, curveFaults, test::TinySection()},
        {"obj", [&](const ModelState& m, const std::string& f) { ExportObjCurves(m, o.Airfoil, f); }, curveFaults, test::TinySection()},
        {"igs", [&](const ModelState& m, const std::string& f) { ExportIgesCurves(m, o, f, {}, test::FixedClock); }, curveFaults, test::TinySection()},
        {"dat", [](const ModelState& m, const std::string& f) { ExportAirfoilDat(m, f); }, pointFaults, test::TinySection()},
        {"txt", [](const ModelState& m, const std::string& f) { ExportCurveTxt(m, f); }, pointFaults, test::TinySection()},
        {"stl", [](const ModelState& m, const std::string& f) { ExportStl(m, f, 0); }, stlFaults, test::TinyModel()}};
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string fresh = dir.File(std::string("new.") + c.name), old = dir.File(std::string("old.") + c.name);
        test::WriteWholeFile(old, "keep");
        for (std::size_t k = 0; k < c.faults.size(); ++k)
            for (const std::string& file : {fresh, old})
                test::ExpectRefused<ExportError>([&] { c.write(c.faults[k].first, file); }, c.faults[k].second, "fault " + std::to_string(k));
        EXPECT_FALSE(fs::exists(fresh));
        EXPECT_EQ(test::ReadAll(old), "keep");
        test::ExpectRefused<ExportError>([&] { c.write(c.good, dir.File("no/such/folder/x." + std::string(c.name))); }, "x." + std::string(c.name),
                                         "writing into a missing folder");
        if (fs::exists("/dev/full")) {
            EXPECT_THROW(c.write(c.good, "/dev/full"), ExportError);  // a full disk is never success
        }
    }
}

// What OpenCASCADE's batch interpreter made of one file.
struct OcctReport {
    bool Read = false, Valid = false, HasBox = false;
    std::map<std::string, int> Count;  // nbshapes: "EDGE", "FACE", "SHELL", ...
    std::array<double, 6> Box{};       // xmin, ymin, zmin, xmax, ymax, zmax
    std::vector<double> Faces;         // the area of every face, in file order, at full precision
    double Area = 0.0, Length = 0.0;   // the faces' sum; the edges' length
    std::string Colours, Layers, Log;  // names padded with blanks, quotes and braces blanked
    int Get(const std::string& k) const { return Count.count(k) ? Count.at(k) : 0; }
    bool Has(const std::string& list, const std::string& name) const { return list.find(" " + name + " ") != std::string::npos; }
};

// The text the interpreter printed for one command, between markers ("KRV_ERROR ..." when it failed).
std::string Between(const std::string& log, const std::string& name) {
    const auto b = log.find("KRV_BEGIN " + name + "\n"), e = log.find("KRV_END " + name + "\n");
    return b == std::string::npos || e == std::string::npos ? "KRV_ERROR" : log.substr(b + name.size() + 11, e - b - name.size() - 11);
}

// Every "Mass :" figure in a text.
std::vector<double> Masses(const std::string& t) {
    std::vector<double> out;
    for (std::size_t at = t.find("Mass :"); at != std::string::npos; at = t.find("Mass :", at + 1)) out.push_back(std::strtod(t.c_str() + at + 6, nullptr));
    return out;
}

// Reads every file in two runs of the interpreter side by side: start-up is most of a small file's cost.
std::vector<OcctReport> ReadBack(const std::vector<std::string>& paths) {
    std::string script[2];
    for (std::size_t n = 0; n < paths.size(); ++n) {
        const std::string reader = paths[n].ends_with(".igs") ? "ReadIges" : "ReadStep", id = "#" + std::to_string(n) + " ";
        const std::pair<const char*, std::string> commands[] = {
            {"READ", reader + " D \"" + fs::absolute(paths[n]).string() + "\""}, {"SHAPE", "XGetOneShape s D"}, {"NB", "nbshapes s"},
            {"CHECK", "checkshape s"}, {"BOX", "bounding s -optimal -noTriangulation -noDraw"},
            {"FACES", "foreach f [explode s f] { puts [sprops $f 1e-10 -full] }"}, {"LENGTH", "lprops s"},
            {"COLOURS", "XGetAllColors D"}, {"LAYERS", "XGetAllLayers D"}, {"CLOSE", "Close D"}};
        for (const auto& [name, command] : commands)
            script[n % 2] += "puts \"KRV_BEGIN " + id + name + "\"\nif {[catch {set r [" + command + "]} e]} { puts \"KRV_ERROR $e\" } else { puts $r }\nputs \"KRV_END " +
                      id + name + "\"\n";
    }
    auto other = std::async(std::launch::async, [&] { return test::RunOcct(script[1], "odd"); });
    std::string log = test::RunOcct(script[0], "even");
    log += other.get();
    std::vector<OcctReport> reports(paths.size());
    for (std::size_t n = 0; n < paths.size(); ++n) {
        OcctReport& r = reports[n];
        const auto part = [&](const char* name) { return Between(log, "#" + std::to_string(n) + " " + name); };
        r.Log = log;
        r.Read = part("READ").find("KRV_ERROR") == std::string::npos && part("SHAPE").find("KRV_ERROR") == std::string::npos;
        if (!r.Read) continue;
        std::stringstream nb(part("NB"));
        for (std::string line, key; std::getline(nb, line);)
            if (line.find(':') != std::string::npos && std::stringstream(line) >> key && key != "Number") r.Count[key] = std::atoi(line.c_str() + line.find(':') + 1);
        r.Valid = part("CHECK").find("This shape seems to be valid") != std::string::npos;
        std::stringstream box(part("BOX"));
        r.HasBox = true;
        for (double& v : r.Box) r.HasBox = r.HasBox && static_cast<bool>(box >> v);
        r.Faces = Masses(part("FACES"));
        for (double a : r.Faces) r.Area += a;
        const std::vector<double> length = Masses(part("LENGTH"));
        r.Length = length.empty() ? 0.0 : length[0];
        for (auto [text, name] : {std::pair{&r.Colours, "COLOURS"}, std::pair{&r.Layers, "LAYERS"}}) {
            *text = " " + part(name) + " ";
            for (char& c : *text) c = (c == '"' || c == '{' || c == '}' || c == '\n') ? ' ' : c;
        }
    }
    return reports;
}

// The box of what the surface file holds: the scaled grid columns of the written patches and the cut planes.
std::array<double, 6> ExpectedBox(const ModelState& m) {
    std::array<double, 6> b = {1e300, 1e300, 1e300, -1e300, -1e300, -1e300};
    const auto add = [&](double x, double y, double z) {
        const double p[3] = {x, y, z};
        for (int c = 0; c < 3; ++c) b[c] = std::min(b[c], p[c]), b[c + 3] = std::max(b[c + 3], p[c]);
    };
    for (int k = 0; k < 6; ++k)
        for (int i = 1; PatchWritten(m, k) && i <= m.GridM + 1; ++i)
            for (int j = m.PatchFirst[k]; j <= m.PatchLast[k]; ++j)
                add(m.ScaleFactor.x * m.GridX[i][j], m.ScaleFactor.y * m.GridY[i][j], m.ScaleFactor.z * m.GridZ[i][j]);
    for (int c = 0; c < 3; ++c)
        for (int i = 0; m.CutPlaneOn[c] && i < 4; ++i)
            for (int j = 0; j < 4; ++j) add(m.CutPlaneX[c][i][j], m.CutPlaneY[c][i][j], m.CutPlaneZ[c][i][j]);
    return b;
}

// A hand-made tube with a cut plane (its box and area in closed form, an escaped header name), the section
// curves in either plane, and built models of many configurations, all in one run. Built: STEP and IGES both
// valid, one face per patch and plane, the grid's box, colours and layers, and every STEP face
// with the area of the same IGES face (whose surfaces are untrimmed): a side of a patch that collapses to
// a point bounds nothing, along either parameter.
TEST(Occt, OurFilesReadBackValidWithTheirClosedFormSizesAndEveryStepFaceAsLargeAsItsIgesFace) {
    if (test::OcctDir().empty()) GTEST_SKIP() << "occt-draw is not installed (scripts/install-deps installs it)";
    TempDir dir;
    std::vector<std::string> paths = {dir.File("it's Fl\xC3\xBCgel.step"), dir.File("s.step"), dir.File("s.igs")};
    ModelState tube = test::TinyModel(8, 16);
    test::AddCutPlaneX(tube);
    ExportStepSurfaces(tube, paths[0]);
    ModelState section = test::TinySection(64);  // semi-axes 0.5 and 0.1, unit end tangents along the travel
    section.SectionTangents.X = {0.0, 0.0, 0.0, 0.0};
    section.SectionTangents.Y = {-1.0, 1.0, 1.0, -1.0};
    ExportStepCurves(section, AirfoilOptions{2.0, true}, paths[1]);
    ASSERT_TRUE(ExportIgesCurves(section, ExportOptions{IgesOptions{}, AirfoilOptions{2.0, false}}, paths[2]));

    // The default body and wing, then 24 x 24 grids; section mode wherever a plane cuts.
    const BuildInputs cases[] = {
        {},
        {.ActWing = true},
        {.c = 1, .ActCut = true, .ActMirror = true},
        {.csX = 0.6, .c = 1, .ActCut = true, .ActMirror = true},
        {.c = 1, .ActCut = true, .ActWing = true},
        {.csX = 0.7, .csY = 0.7, .csZ = 0.7, .c = 1, .ActCut = true, .ActMirror = true, .ActWing = true},
        {.ActWing = true, .fY = 3.0, .wt = 1.0},
        {.SpanFamily = 1, .ActWing = true, .fY = 4.0, .foldX = 5.0, .foldZ = 2.0},
        {.tx3 = 0.5, .vs3 = 1, .tz3 = 0.5, .kc3 = 1.0, .nm3 = 0.5},
        {.SpanFamily = 2, .ActWing = true, .tx2 = 0.3, .tz2 = 0.2, .kc2 = 0.5, .fY = 3.0, .wt = 47.7},
        {.tX = 2, .csX = 0.4, .csY = 0.6, .csZ = 0.7, .tY = 2, .tZ = 2},
        {.SpanFamily = 1, .ActWing = true, .fY = 2.0, .ss = 0.0},
        {.tx3 = 0.5, .vs3 = 1, .c = 3, .ActCut = true, .tz3 = 0.5, .kc3 = 1.0, .nm3 = 0.5},
        {.tx3 = 0.5, .vs3 = 1, .c = 2, .ActCut = true, .ActWing = true, .tz3 = 0.5, .kc3 = 1.0, .nm3 = 0.5, .fY = 2.0, .ss = 0.5, .wt = 2.0},
        {.y0 = 0.4446, .ActWing = true, .rc2 = 0.7899, .fY = 2.0},
        {.csY = 0.5, .Tea = 180.0, .Lea = 180.0, .ActMirror = true, .fY = 2.0}};
    std::vector<ModelState> models;
    for (BuildInputs in : cases) {
        if (models.size() >= 2) in.nX = in.mYZ = 24;
        in.ActCutSec = in.csX < 1.0 || in.csY < 1.0 || in.csZ < 1.0;
        in.Act3D = !in.ActCutSec;
        models.push_back(test::Build(in));
        const std::string base = dir.File("m" + std::to_string(models.size()));
        ExportStepSurfaces(models.back(), base + ".step");
        ASSERT_TRUE(ExportIgesSurfaces(models.back(), ExportOptions{}, base + ".igs"));
        paths.insert(paths.end(), {base + ".step", base + ".igs"});
    }
    const std::vector<OcctReport> r = ReadBack(paths);
    for (const OcctReport& report : r) ASSERT_TRUE(report.Read && report.Valid) << report.Log;

    // x in [0, 2], radius 0.5 .. 0.7 over the upper half (both extremes are grid points); the area is half a
    // frustum's mantle plus the 1 x 0.5 plane.
    const double tubeBox[6] = {0.0, -0.7, 0.0, 2.0, 0.7, 0.7}, tubeArea = std::numbers::pi * (0.5 + 0.7) / 2.0 * std::hypot(2.0, 0.2) + 0.5;
    for (int k = 0; k < 6; ++k) EXPECT_NEAR(r[0].Box[k], tubeBox[k], 1e-4) << k;
    EXPECT_NEAR(r[0].Area, tubeArea, 2e-3 * tubeArea);

    // The section curves: two edges of Ramanujan's perimeter of the ellipse scaled by a chord of 2, in XZ
    // (STEP) or XY (IGES).
    const double a = 1.0, b = 0.2, h = (a - b) * (a - b) / ((a + b) * (a + b));
    const double perimeter = std::numbers::pi * (a + b) * (1.0 + 3.0 * h / (10.0 + std::sqrt(4.0 - 3.0 * h)));
    for (const int k : {1, 2}) {
        EXPECT_TRUE(r[k].Get("EDGE") == 2 && r[k].Get("FACE") == 0) << k;
        EXPECT_NEAR(r[k].Length, perimeter, 2e-3 * perimeter);
        const int along = k == 1 ? 2 : 1, across = 3 - along;
        const double box[6] = {0.0, 0.0, 0.0, 2.0, 0.0, 0.0};
        for (int c : {0, 3, across, across + 3}) EXPECT_NEAR(r[k].Box[c], box[c], 1e-4) << c;
        EXPECT_TRUE(std::fabs(r[k].Box[along] + 0.2) < 1e-3 && std::fabs(r[k].Box[along + 3] - 0.2) < 1e-3) << k;
    }

    for (std::size_t n = 0; n < models.size(); ++n) {
        SCOPED_TRACE("case " + std::to_string(n));
        const ModelState& m = models[n];
        const OcctReport &rs = r[3 + 2 * n], &ri = r[4 + 2 * n];
        int slots = 0;
        for (int k = 0; k < 6; ++k) slots += PatchWritten(m, k) ? 1 : 0;
        for (bool on : m.CutPlaneOn) slots += on ? 1 : 0;
        EXPECT_TRUE(rs.Get("FACE") == slots && ri.Get("FACE") == slots && rs.Get("SHELL") == slots) << slots;
        ASSERT_EQ(rs.Faces.size(), ri.Faces.size());
        for (std::size_t f = 0; f < rs.Faces.size(); ++f) {
            EXPECT_GT(ri.Faces[f], 0.0) << "face " << f;
            EXPECT_NEAR(rs.Faces[f], ri.Faces[f], 1e-9 * std::max(1.0, ri.Faces[f])) << "face " << f;
        }
        ASSERT_TRUE(rs.HasBox && ri.HasBox);
        const std::array<double, 6> box = ExpectedBox(m);
        const double size = std::max({box[3] - box[0], box[4] - box[1], box[5] - box[2]});
        for (int k = 0; k < 6; ++k) {  // the surfaces swell a hair beyond the grid between its points (more at strong camber)
            EXPECT_NEAR(rs.Box[k], box[k], (n < 14 ? 1e-3 : 2e-2) * size) << "box " << k;
            EXPECT_NEAR(ri.Box[k], rs.Box[k], 1e-6 * size) << "box " << k;
        }
        for (int k = 0; k < slots; ++k) EXPECT_TRUE(rs.Layers.find("Level " + std::to_string(k)) != std::string::npos) << rs.Layers;
        EXPECT_TRUE(rs.Has(rs.Colours, "GRAY75")) << rs.Colours;
        const char* planeColours[3] = {"RED3", "GREEN3", "MATRABLUE"};
        for (int c = 0; c < 3; ++c) EXPECT_EQ(rs.Has(rs.Colours, planeColours[c]), m.CutPlaneOn[c]) << planeColours[c];
        if (n < 2) {  // the whole body and wing: their fitted size, and the mesh's area a little exceeded
            EXPECT_NEAR(rs.Box[3] - rs.Box[0], m.FittedSize.x, 1e-3 * m.FittedSize.x);
            EXPECT_NEAR(rs.Box[4] - rs.Box[1], m.FittedSize.y, 1e-3 * m.FittedSize.x);
            EXPECT_NEAR(rs.Box[5] - rs.Box[2], m.FittedSize.z, 1e-3 * m.FittedSize.x);
            EXPECT_TRUE(rs.Area > m.SurfaceArea && rs.Area < 1.005 * m.SurfaceArea) << rs.Area << " " << m.SurfaceArea;
        }
    }
}

}  // namespace
}  // namespace korvel
