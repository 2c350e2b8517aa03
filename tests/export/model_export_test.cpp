// model_export_test.cpp — every writer's refusals, and OpenCASCADE reading our STEP and IGES files of hand-made and built models.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <tuple>

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

TEST(Writers, RefuseWhatCannotBeWrittenBeforeTouchingAFileAndReportFailedWrites) {
    ModelState flat = test::TinyModel(), nanGrid = test::TinyModel(), sectionless, nanSection = test::TinySection(), noChord = test::TinySection();
    for (auto* g : {&flat.GridX, &flat.GridY, &flat.GridZ})
        for (auto& row : *g) std::fill(row.begin(), row.end(), 1.0);
    nanGrid.GridX[3][3] = NAN;
    sectionless.SetSectionCount(40);  // a 3D build leaves the section empty
    nanSection.SectionY[3] = NAN;
    for (std::size_t k = 1; k <= 9; ++k) noChord.SectionX[k] = 1.0;  // no chord to divide by
    BuildInputs tiny = test::Section2D(40);
    tiny.CanvasWidth = 10;  // too small: the 2D build leaves no section
    const ModelState nothing = test::Built(tiny);
    const std::vector<ModelState> surfaceFaults{ModelState{}, flat, nanGrid};
    const std::vector<ModelState> curveFaults{ModelState{}, nothing, sectionless};
    const std::vector<ModelState> pointFaults{ModelState{}, nothing, sectionless, nanSection, noChord};
    const ExportOptions o;
    struct Case {
        const char* name;
        Writer write;
        const std::vector<ModelState>* faults;
        ModelState good;
    };
    const Case cases[] = {
        {"step", [](const ModelState& m, const std::string& f) { ExportStepSurfaces(m, f, test::FixedClock); }, &surfaceFaults, test::TinyModel()},
        {"obj", [](const ModelState& m, const std::string& f) { ExportObjSurfaces(m, f); }, &surfaceFaults, test::TinyModel()},
        {"igs", [&](const ModelState& m, const std::string& f) { ExportIgesSurfaces(m, o, f, {}, test::FixedClock); }, &surfaceFaults, test::TinyModel()},
        {"step", [&](const ModelState& m, const std::string& f) { ExportStepCurves(m, o.Airfoil, f, test::FixedClock); }, &curveFaults, test::TinySection()},
        {"obj", [&](const ModelState& m, const std::string& f) { ExportObjCurves(m, o.Airfoil, f); }, &curveFaults, test::TinySection()},
        {"igs", [&](const ModelState& m, const std::string& f) { ExportIgesCurves(m, o, f, {}, test::FixedClock); }, &curveFaults, test::TinySection()},
        {"dat", [](const ModelState& m, const std::string& f) { ExportAirfoilDat(m, f); }, &pointFaults, test::TinySection()},
        {"txt", [](const ModelState& m, const std::string& f) { ExportCurveTxt(m, f); }, &pointFaults, test::TinySection()},
        {"stl", [](const ModelState& m, const std::string& f) { ExportStl(m, f, 0); }, nullptr, test::TinyModel()}};
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string fresh = dir.File(std::string("new.") + c.name), old = dir.File(std::string("old.") + c.name);
        test::WriteWholeFile(old, "keep");
        for (std::size_t k = 0; c.faults != nullptr && k < c.faults->size(); ++k) {
            EXPECT_THROW(c.write((*c.faults)[k], fresh), ExportError) << "fault " << k;
            EXPECT_THROW(c.write((*c.faults)[k], old), ExportError) << "fault " << k;
        }
        EXPECT_FALSE(fs::exists(fresh));
        EXPECT_EQ(test::ReadAll(old), "keep");
        try {
            c.write(c.good, dir.File("no/such/folder/x." + std::string(c.name)));
            ADD_FAILURE() << "writing into a missing folder succeeded";
        } catch (const ExportError& e) {
            EXPECT_NE(std::string(e.what()).find("x." + std::string(c.name)), std::string::npos) << e.what();
        }
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
    double Area = 0.0, Length = 0.0;
    std::string Colours, Layers, Log;  // names padded with blanks, quotes and braces blanked
    int Get(const std::string& k) const { return Count.count(k) ? Count.at(k) : 0; }
    bool Has(const std::string& list, const std::string& name) const { return list.find(" " + name + " ") != std::string::npos; }
};

// The text the interpreter printed for one command, between markers ("KRV_ERROR ..." when it failed).
std::string Between(const std::string& log, const std::string& name) {
    const auto b = log.find("KRV_BEGIN " + name + "\n"), e = log.find("KRV_END " + name);
    return b == std::string::npos || e == std::string::npos ? "KRV_ERROR" : log.substr(b + name.size() + 11, e - b - name.size() - 11);
}

OcctReport ReadBack(const std::string& path) {
    OcctReport r;
    const fs::path script = test::OcctDir() / "read.tcl";
    std::ofstream s(script);
    s << "pload MODELING OCAFKERNEL XDE\n";
    const std::string reader = path.ends_with(".igs") ? "ReadIges" : "ReadStep";
    const std::pair<const char*, std::string> commands[] = {
        {"READ", reader + " D \"" + fs::absolute(path).string() + "\""}, {"SHAPE", "XGetOneShape s D"}, {"NB", "nbshapes s"},
        {"CHECK", "checkshape s"}, {"BOX", "bounding s -optimal -noTriangulation -noDraw"}, {"AREA", "sprops s"},
        {"LENGTH", "lprops s"}, {"COLOURS", "XGetAllColors D"}, {"LAYERS", "XGetAllLayers D"}};
    for (const auto& [name, command] : commands)
        s << "puts \"KRV_BEGIN " << name << "\"\nif {[catch {set r [" << command << "]} e]} { puts \"KRV_ERROR $e\" } else { puts $r }\nputs \"KRV_END " << name << "\"\n";
    s.close();
    const char* old = std::getenv("LD_LIBRARY_PATH");
    r.Log = test::RunCommand("cd '" + test::OcctDir().string() + "' && LD_LIBRARY_PATH='" + test::OcctDir().string() + (old && *old ? std::string(":") + old : "") +
                             "' timeout 600 occt-draw -b -f '" + script.string() + "'").second;
    r.Read = Between(r.Log, "READ").find("KRV_ERROR") == std::string::npos && Between(r.Log, "SHAPE").find("KRV_ERROR") == std::string::npos;
    if (!r.Read) return r;
    std::stringstream nb(Between(r.Log, "NB"));
    for (std::string line, key; std::getline(nb, line);)
        if (line.find(':') != std::string::npos && std::stringstream(line) >> key && key != "Number") r.Count[key] = std::atoi(line.c_str() + line.find(':') + 1);
    r.Valid = Between(r.Log, "CHECK").find("This shape seems to be valid") != std::string::npos;
    std::stringstream box(Between(r.Log, "BOX"));
    r.HasBox = true;
    for (double& v : r.Box) r.HasBox = r.HasBox && static_cast<bool>(box >> v);
    const auto mass = [&](const char* name) {
        const std::string t = Between(r.Log, name);
        return t.find("Mass :") == std::string::npos ? 0.0 : std::strtod(t.c_str() + t.find("Mass :") + 6, nullptr);
    };
    r.Area = mass("AREA");
    r.Length = mass("LENGTH");
    for (auto [text, name] : {std::pair{&r.Colours, "COLOURS"}, std::pair{&r.Layers, "LAYERS"}}) {
        *text = " " + Between(r.Log, name) + " ";
        for (char& c : *text) c = (c == '"' || c == '{' || c == '}' || c == '\n') ? ' ' : c;
    }
    return r;
}

#define REQUIRE_OCCT() \
    if (test::OcctDir().empty()) GTEST_SKIP() << "occt-draw is not installed (scripts/install-deps installs it)"

TEST(Occt, TinyTubeWithACutPlaneIsReadAsThreeValidColouredFacesOfItsClosedFormSize) {
    REQUIRE_OCCT();
    TempDir dir;
    ModelState m = test::TinyModel(8, 16);
    test::AddCutPlaneX(m);
    const std::string path = dir.File("it's Fl\xC3\xBCgel.step");  // an escaped header name
    ExportStepSurfaces(m, path);
    const OcctReport r = ReadBack(path);
    ASSERT_TRUE(r.Read) << r.Log;
    EXPECT_EQ(r.Get("FACE"), 3) << r.Log;
    EXPECT_EQ(r.Get("SHELL"), 3);
    EXPECT_TRUE(r.Valid) << r.Log;
    ASSERT_TRUE(r.HasBox) << r.Log;
    // x in [0, 2], radius 0.5 .. 0.7 over the upper half (both extremes are grid points).
    const double box[6] = {0.0, -0.7, 0.0, 2.0, 0.7, 0.7};
    for (int k = 0; k < 6; ++k) EXPECT_NEAR(r.Box[k], box[k], 1e-4) << k;
    // Half a frustum's mantle plus the 1 x 0.5 plane.
    const double area = std::numbers::pi * (0.5 + 0.7) / 2.0 * std::hypot(2.0, 0.2) + 0.5;
    EXPECT_NEAR(r.Area, area, 2e-3 * area);
    for (const char* layer : {"Level 0", "Level 1", "Level 2"}) EXPECT_TRUE(r.Layers.find(layer) != std::string::npos) << r.Layers;
    EXPECT_TRUE(r.Has(r.Colours, "GRAY75") && r.Has(r.Colours, "RED3")) << r.Colours;
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

TEST(Occt, BuiltModelsReadBackAsTheSameValidModelFromStepAndIges) {
    REQUIRE_OCCT();
    const auto half = [](BuildInputs in) {
        in.ActCut = true;
        in.c = 1;
        return in;
    };
    const std::pair<const char*, BuildInputs> cases[] = {{"body", test::Solid(false)}, {"wing", test::Solid(true)},
                                                         {"cut mirrored body", half(test::Solid(false, 0.6, 1.0, 1.0, true))},
                                                         {"cut mirrored wing", half(test::Solid(true, 0.3, 0.5, 0.5, true))},
                                                         {"half wing", half(test::Solid(true))}};
    TempDir dir;
    for (const auto& [name, in] : cases) {
        SCOPED_TRACE(name);
        const ModelState m = test::Built(in);
        const bool cut = m.CutPlaneOn[0] || m.CutPlaneOn[1] || m.CutPlaneOn[2];
        int slots = 0;
        for (int k = 0; k < 6; ++k) slots += PatchWritten(m, k) ? 1 : 0;
        for (bool on : m.CutPlaneOn) slots += on ? 1 : 0;
        ASSERT_EQ(cut, std::string(name).find("cut") == 0);
        ExportStepSurfaces(m, dir.File("m.step"));
        ASSERT_TRUE(ExportIgesSurfaces(m, ExportOptions{}, dir.File("m.igs")));
        const OcctReport rs = ReadBack(dir.File("m.step")), ri = ReadBack(dir.File("m.igs"));
        ASSERT_TRUE(rs.Read && ri.Read) << rs.Log << ri.Log;
        EXPECT_TRUE(rs.Valid && ri.Valid) << rs.Log << ri.Log;
        EXPECT_EQ(rs.Get("FACE"), slots);
        EXPECT_EQ(ri.Get("FACE"), slots);
        EXPECT_EQ(rs.Get("SHELL"), slots);
        ASSERT_TRUE(rs.HasBox && ri.HasBox);
        const std::array<double, 6> box = ExpectedBox(m);
        const double size = std::max({box[3] - box[0], box[4] - box[1], box[5] - box[2]});
        // The surfaces swell a hair beyond the grid between its points.
        for (int k = 0; k < 6; ++k) EXPECT_NEAR(rs.Box[k], box[k], 1e-3 * size) << "box " << k;
        for (int k = 0; k < 6; ++k) EXPECT_NEAR(ri.Box[k], rs.Box[k], 1e-6 * size) << "box " << k;
        EXPECT_NEAR(ri.Area, rs.Area, 2e-5 * rs.Area);  // the reader prints six significant digits
        for (int n = 0; n < slots; ++n) EXPECT_TRUE(rs.Layers.find("Level " + std::to_string(n)) != std::string::npos) << rs.Layers;
        EXPECT_TRUE(rs.Has(rs.Colours, "GRAY75")) << rs.Colours;
        const char* planeColours[3] = {"RED3", "GREEN3", "MATRABLUE"};
        for (int c = 0; c < 3; ++c) EXPECT_EQ(rs.Has(rs.Colours, planeColours[c]), m.CutPlaneOn[c]) << planeColours[c];
        if (!cut && !in.ActCut) {  // the whole model: its fitted size, and the mesh's area a little exceeded
            EXPECT_NEAR(rs.Box[3] - rs.Box[0], m.FittedSize.x, 1e-3 * m.FittedSize.x);
            EXPECT_NEAR(rs.Box[4] - rs.Box[1], m.FittedSize.y, 1e-3 * m.FittedSize.x);
            EXPECT_NEAR(rs.Box[5] - rs.Box[2], m.FittedSize.z, 1e-3 * m.FittedSize.x);
            EXPECT_GT(rs.Area, m.SurfaceArea);
            EXPECT_LT(rs.Area, 1.005 * m.SurfaceArea);
        }
    }
}

// The area of every face of each file, in file order, at full precision.
std::map<std::string, std::vector<double>> FaceAreas(const std::vector<std::string>& paths) {
    const fs::path script = test::OcctDir() / "faces.tcl";
    std::ofstream s(script);
    s << "pload MODELING OCAFKERNEL XDE\n";
    for (const std::string& p : paths) {
        s << (p.ends_with(".igs") ? "ReadIges" : "ReadStep") << " D \"" << p << "\"\nXGetOneShape s D\n"
          << "foreach f [explode s f] { puts \"KRV_FACE " << p << " [sprops $f 1e-12 -full]\" }\nClose D\n";
    }
    s.close();
    const char* old = std::getenv("LD_LIBRARY_PATH");
    const std::string log = test::RunCommand("cd '" + test::OcctDir().string() + "' && LD_LIBRARY_PATH='" + test::OcctDir().string() +
                                             (old && *old ? std::string(":") + old : "") + "' timeout 600 occt-draw -b -f '" +
                                             script.string() + "'").second;
    std::map<std::string, std::vector<double>> areas;
    for (std::size_t at = log.find("KRV_FACE "); at != std::string::npos; at = log.find("KRV_FACE ", at + 1)) {
        std::stringstream line(log.substr(at + 9));
        std::string path, word;
        line >> path >> word >> word;  // "Mass :"
        double a = -1.0;
        line >> a;
        areas[path].push_back(a);
    }
    return areas;
}

// A side of a patch that collapses to a point bounds nothing, along either parameter: every face reads
// back from STEP with the area of the same IGES face (whose surfaces are untrimmed) over cut, mirrored,
// tipped, folded and modified bodies and wings.
TEST(Occt, EveryStepFaceHasTheAreaOfItsIgesFace) {
    REQUIRE_OCCT();
    const auto with = [](bool wing, auto change) {
        BuildInputs in = test::Solid(wing);
        in.nX = in.mYZ = 24;
        change(in);
        in.ActCutSec = in.csX < 1.0 || in.csY < 1.0 || in.csZ < 1.0;
        in.Act3D = !in.ActCutSec;
        return in;
    };
    const auto set1 = [](BuildInputs& in) { std::tie(in.tx3, in.tz3, in.kc3, in.nm3, in.vs3) = std::tuple(0.5, 0.5, 1.0, 0.5, 1); };
    const BuildInputs cases[] = {
        with(false, [](BuildInputs&) {}),
        with(true, [](BuildInputs&) {}),
        with(false, [](BuildInputs& in) { std::tie(in.ActCut, in.c, in.ActMirror) = std::tuple(true, 1, true); }),
        with(true, [](BuildInputs& in) { std::tie(in.ActCut, in.c, in.ActMirror, in.csX, in.csY, in.csZ) = std::tuple(true, 1, true, 0.7, 0.7, 0.7); }),
        with(true, [](BuildInputs& in) { std::tie(in.fY, in.wt) = std::tuple(3.0, 1.0); }),
        with(true, [](BuildInputs& in) { std::tie(in.fY, in.foldX, in.foldZ, in.SpanFamily) = std::tuple(4.0, 5.0, 2.0, 1); }),
        with(false, set1),
        with(true, [](BuildInputs& in) { std::tie(in.SpanFamily, in.wt, in.fY, in.tx2, in.tz2, in.kc2) = std::tuple(2, 47.7, 3.0, 0.3, 0.2, 0.5); }),
        with(false, [](BuildInputs& in) { std::tie(in.csX, in.csY, in.csZ, in.tX, in.tY, in.tZ) = std::tuple(0.4, 0.6, 0.7, 2, 2, 2); }),
        with(true, [](BuildInputs& in) { std::tie(in.SpanFamily, in.ss, in.fY) = std::tuple(1, 0.0, 2.0); }),
        with(false, [&](BuildInputs& in) { set1(in), std::tie(in.ActCut, in.c) = std::tuple(true, 3); }),
        with(true, [&](BuildInputs& in) { set1(in), std::tie(in.ActCut, in.c, in.wt, in.ss, in.fY) = std::tuple(true, 2, 2.0, 0.5, 2.0); }),
        with(true, [](BuildInputs& in) { std::tie(in.y0, in.rc2, in.fY) = std::tuple(0.4446, 0.7899, 2.0); }),
        with(false, [](BuildInputs& in) { std::tie(in.Tea, in.Lea, in.csY, in.ActMirror, in.fY) = std::tuple(180.0, 180.0, 0.5, true, 2.0); })};
    TempDir dir;
    std::vector<std::string> paths;
    int n = 0;
    for (const BuildInputs& in : cases) {
        const ModelState m = test::Built(in);
        const std::string base = dir.File("m" + std::to_string(n++));
        ExportStepSurfaces(m, base + ".step");
        ASSERT_TRUE(ExportIgesSurfaces(m, ExportOptions{}, base + ".igs"));
        paths.insert(paths.end(), {base + ".step", base + ".igs"});
    }
    const auto areas = FaceAreas(paths);
    for (std::size_t k = 0; k < paths.size(); k += 2) {
        SCOPED_TRACE("case " + std::to_string(k / 2));
        const auto step = areas.find(paths[k]), iges = areas.find(paths[k + 1]);
        ASSERT_TRUE(step != areas.end() && iges != areas.end());
        ASSERT_EQ(step->second.size(), iges->second.size());
        for (std::size_t f = 0; f < step->second.size(); ++f) {
            EXPECT_GT(iges->second[f], 0.0) << "face " << f;
            EXPECT_NEAR(step->second[f], iges->second[f], 1e-9 * std::max(1.0, iges->second[f])) << "face " << f;
        }
    }
}

TEST(Occt, SectionCurvesReadBackAsTwoEdgesOfTheSectionsLengthInTheirPlane) {
    REQUIRE_OCCT();
    TempDir dir;
    ModelState m = test::TinySection(64);  // semi-axes 0.5 and 0.1, unit end tangents along the travel
    m.SectionTangents.X = {0.0, 0.0, 0.0, 0.0};
    m.SectionTangents.Y = {-1.0, 1.0, 1.0, -1.0};
    // Ramanujan's perimeter of the ellipse scaled by a chord of 2.
    const double a = 1.0, b = 0.2, h = (a - b) * (a - b) / ((a + b) * (a + b));
    const double perimeter = std::numbers::pi * (a + b) * (1.0 + 3.0 * h / (10.0 + std::sqrt(4.0 - 3.0 * h)));
    for (const bool iges : {false, true}) {
        const bool xz = !iges;
        SCOPED_TRACE(iges ? "igs, xy" : "step, xz");
        const std::string path = dir.File(iges ? "s.igs" : "s.step");
        if (iges) {
            ASSERT_TRUE(ExportIgesCurves(m, ExportOptions{IgesOptions{}, AirfoilOptions{2.0, xz}}, path));
        } else {
            ExportStepCurves(m, AirfoilOptions{2.0, xz}, path);
        }
        const OcctReport r = ReadBack(path);
        ASSERT_TRUE(r.Read && r.HasBox) << r.Log;
        EXPECT_TRUE(r.Valid) << r.Log;
        EXPECT_EQ(r.Get("EDGE"), 2);
        EXPECT_EQ(r.Get("FACE"), 0);
        EXPECT_NEAR(r.Length, perimeter, 2e-3 * perimeter);
        const int along = xz ? 2 : 1, across = xz ? 1 : 2;
        const double box[6] = {0.0, 0.0, 0.0, 2.0, 0.0, 0.0};
        for (int k : {0, 3, across, across + 3}) EXPECT_NEAR(r.Box[k], box[k], 1e-4) << k;
        EXPECT_NEAR(r.Box[along], -0.2, 1e-3);
        EXPECT_NEAR(r.Box[along + 3], 0.2, 1e-3);
    }
}

}  // namespace
}  // namespace korvel
