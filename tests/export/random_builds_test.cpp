// random_builds_test.cpp — random in-range inputs through the build and every writer: finite, outward, repeatable, clean refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "engine/input_guard.h"
#include "engine/mesh_checks.h"
#include "export/airfoil_dat_writer.h"
#include "export/iges_writer.h"
#include "export/obj_writer.h"
#include "export/step_writer.h"
#include "export/stl_writer.h"
#include "writer_test_util.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

class Dice {
public:
    explicit Dice(uint32_t seed) : g_(seed) {}
    int32_t Int(int32_t lo, int32_t hi) { return lo + static_cast<int32_t>(g_() % static_cast<uint32_t>(hi - lo + 1)); }
    bool Chance(double p) { return (g_() >> 8) * 0x1p-24 < p; }
    // A slider value: a position times the scale, now and then an end itself or typed just past it.
    double Slider(double lo, double hi, double step) {
        const int32_t positions = static_cast<int32_t>(std::llround((hi - lo) / step));
        if (Chance(0.05)) return Chance(0.5) ? lo : hi;
        if (Chance(0.03)) return Chance(0.5) && lo != 0.0 ? lo - 0.49 * step : hi + 0.49 * step;
        return lo + Int(0, positions) * step;
    }

private:
    std::mt19937 g_;
};

BuildInputs RandomInputs(Dice& d) {
    BuildInputs in;
    const int mode = d.Int(0, 3);  // 3D, 3D with sections, section mode, 2D
    in.Act3D = mode <= 1;
    in.ActCutSec = mode == 1 || mode == 2;
    in.ActWing = d.Chance(0.5);
    in.nX = d.Int(8, 12);  // small grids: thousands of builds stay quick under the sanitizers
    in.mYZ = d.Int(8, 12);
    in.OffsetCount = d.Int(8, 64);
    in.CanvasWidth = d.Int(0, 500);
    in.CanvasHeight = d.Int(0, 400);
    in.tX = d.Int(1, 2), in.tY = d.Int(1, 2), in.tZ = d.Int(1, 2);
    in.SectionView = d.Int(0, 2);
    in.vs3 = d.Int(0, 1), in.vs2 = d.Int(0, 1);
    in.ActCut = d.Chance(0.4);
    in.c = d.Int(1, in.ActWing ? 2 : 4);
    in.SpanFamily = d.Int(0, 2);
    in.FlipVertical = d.Int(0, 1), in.FlipHorizontal = d.Int(0, 1);
    in.ActMirror = d.Chance(0.3), in.ActTunnel = d.Chance(0.5), in.ActAxes = d.Chance(0.7);
    const auto cut = [&d] { return d.Chance(0.5) ? 1.0 : d.Slider(0.0, 1.0, 0.001); };
    in.csX = cut(), in.csY = cut(), in.csZ = cut();
    in.x0 = d.Slider(0.0001, 0.45, 0.0001), in.y0 = d.Slider(-0.5, 0.5, 0.0001);
    in.Tea = d.Slider(0, 180, 0.01), in.Lea = d.Slider(0, 180, 0.01);
    in.tx3 = d.Chance(0.4) ? 0.0 : d.Slider(0, 12, 0.001), in.tz3 = d.Slider(0.004, 12, 0.001);
    in.kc3 = d.Slider(0.1, 20, 0.001), in.kt3 = d.Slider(0, 360, 0.01), in.nm3 = d.Slider(0.005, 15, 0.0001);
    in.tx2 = d.Chance(0.5) ? 0.0 : d.Slider(0, 12, 0.001), in.tz2 = d.Slider(0.004, 12, 0.001);
    in.kc2 = d.Slider(0.1, 20, 0.001), in.kt2 = d.Slider(0, 360, 0.01), in.nm2 = d.Slider(0.005, 15, 0.0001);
    in.rb = d.Slider(0.7, 1, 0.0001), in.rc1 = d.Slider(0.7, 1, 0.0001), in.rc2 = d.Slider(0.7, 1, 0.0001);
    in.fY = d.Slider(0, 50, 0.0001), in.fZ = d.Slider(0, 10, 0.0001), in.dY = d.Slider(0, 10, 0.0001);
    in.foldX = d.Slider(-50, 50, 0.001), in.foldZ = d.Slider(-20, 20, 0.001);
    in.ss = d.Slider(0, 5, 0.0001), in.wt = d.Slider(0, 50, 0.0001);
    in.AngleOfAttack = d.Slider(-90, 90, 0.01);
    for (double* f : {&in.UpperLeadingEdge, &in.UpperRoundedTrailingEdge, &in.LowerLeadingEdge, &in.LowerRoundedTrailingEdge})
        *f = d.Slider(0, 1, 0.01);
    return in;
}

// Bit for bit: a build on a used state must leave what the same build leaves on a fresh one. The bytes of
// values and of vectors' elements, NaN and -0 included.
template <class T> void Bytes(std::string& out, const T& x) { out.append(reinterpret_cast<const char*>(&x), sizeof x); }
template <class T> void Bytes(std::string& out, const std::vector<T>& v) {
    Bytes(out, v.size());
    for (const T& x : v) Bytes(out, x);
}
template <class... T> std::string Bits(const T&... x) {
    std::string out;
    (Bytes(out, x), ...);
    return out;
}

std::string Difference(const ModelState& a, const ModelState& b) {
    const auto parts = [](const ModelState& m) {
        return std::vector<std::pair<const char*, std::string>>{
            {"counts", Bits(m.GridM, m.GridMPlus1, m.GridN, m.GridNPlus1, m.SectionCount, m.SectionLE, m.TriangleLast)},
            {"grid", Bits(m.GridX, m.GridY, m.GridZ)},
            {"patches", Bits(m.PatchFirst, m.PatchLast)},
            {"tangents", Bits(m.EdgeTangentX, m.EdgeTangentY, m.EdgeTangentZ, m.CurveTangentX, m.CurveTangentY, m.CurveTangentZ, m.SectionTangents)},
            {"section", Bits(m.SectionX, m.SectionY, m.SectionMinY)},
            {"cut planes", Bits(m.CutPlaneOn, m.CutPlaneX, m.CutPlaneY, m.CutPlaneZ)},
            {"triangles", Bits(m.Triangles)},
            {"sizes", Bits(m.NaturalSize, m.FittedSize, m.GridSize, m.ScaleFactor, m.BodyEndX, m.CanvasWidth, m.CanvasHeight)},
            {"mass properties", Bits(m.Centroid, m.SurfaceArea, m.Volume)}};
    };
    const auto pa = parts(a), pb = parts(b);
    std::string out;
    for (std::size_t k = 0; k < pa.size(); ++k) out += pa[k].second == pb[k].second ? "" : std::string(" ") + pa[k].first;
    return out;
}

bool AllFinite(const ModelState& m) {
    const auto finite = [](const array2Df& g) {
        for (const array1Df& row : g)
            for (double v : row)
                if (!std::isfinite(v)) return false;
        return true;
    };
    for (const array2Df* g : {&m.GridX, &m.GridY, &m.GridZ, &m.EdgeTangentX, &m.EdgeTangentY, &m.EdgeTangentZ})
        if (!finite(*g)) return false;
    for (int32_t k = 0; k <= m.TriangleLast; ++k)
        for (const Point3f& p : m.Triangles[size_t(k)].p)
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
    return finite({m.SectionX, m.SectionY}) && std::isfinite(m.Volume) && std::isfinite(m.SurfaceArea) &&
           std::isfinite(m.NaturalSize.x + m.NaturalSize.y + m.NaturalSize.z + m.Centroid.x + m.Centroid.y + m.Centroid.z);
}

// Every writer either writes a file or refuses with ExportError and leaves none.
void ExpectWrittenOrRefused(const ModelState& m, bool solid, const test::TempDir& dir, int record) {
    using Writer = std::pair<const char*, std::function<void(const std::string&)>>;
    const std::vector<Writer> solidWriters = {{"stl", [&](const std::string& f) { ExportStl(m, f, record % 3); }},
                                              {"step", [&](const std::string& f) { ExportStepSurfaces(m, f); }},
                                              {"igs", [&](const std::string& f) { ExportIgesSurfaces(m, ExportOptions{}, f); }},
                                              {"obj", [&](const std::string& f) { ExportObjSurfaces(m, f); }}};
    const std::vector<Writer> sectionWriters = {{"step", [&](const std::string& f) { ExportStepCurves(m, AirfoilOptions{}, f); }},
                                                {"dat", [&](const std::string& f) { ExportAirfoilDat(m, f); }}};
    for (const auto& [ext, write] : solid ? solidWriters : sectionWriters) {
        const std::string file = dir.File("r." + std::string(ext));
        try {
            write(file);
            const std::string text = test::ReadAll(file);
            ASSERT_FALSE(text.empty()) << ext;
            if (std::string(ext) == "stl") {
                EXPECT_EQ(text.size(), 84u + 50u * size_t(m.TriangleLast + 1));
            } else {
                EXPECT_EQ(text.find("nan"), std::string::npos) << ext;
                EXPECT_EQ(text.find("inf"), std::string::npos) << ext;
            }
        } catch (const ExportError& e) {
            EXPECT_FALSE(fs::exists(file)) << ext << ": " << e.what();
        }
        std::error_code ec;
        fs::remove(file, ec);
    }
}

TEST(RandomBuilds, FiniteOutwardRepeatableAndExportedOrRefused) {
    Dice d(20261207);
    test::TempDir dir;
    ModelState used;
    int closed = 0;
    for (int record = 0; record < 2000; ++record) {
        const BuildInputs in = RandomInputs(d);
        SCOPED_TRACE(::testing::Message() << "record " << record);
        const Vec3d size = d.Chance(0.8) ? Vec3d{-1, -1, -1} : Vec3d{0.5 + d.Int(0, 40) * 0.25, -1, 0.1 + d.Int(0, 20) * 0.1};
        ModelState fresh;
        for (ModelState* m : {&fresh, &used}) std::tie(m->LengthX, m->WidthY, m->HeightZ) = std::tuple(size.x, size.y, size.z);
        std::string infoFresh, infoUsed;
        NullCanvas canvas(in.CanvasWidth, in.CanvasHeight);
        ASSERT_NO_THROW(BuildModel(fresh, in, canvas, infoFresh));
        ASSERT_NO_THROW(BuildModel(used, in, canvas, infoUsed));
        ASSERT_EQ(Difference(fresh, used), "");
        ASSERT_EQ(infoFresh, infoUsed);
        ASSERT_TRUE(AllFinite(fresh));
        const bool solid = in.Act3D || in.ActCutSec;
        // Closed meshes face outward. A strong set-1 bend can fold the surface through itself; the whole
        // still encloses a positive volume, but a plane may then cut away a piece that is inside out.
        const bool cut = in.ActCutSec && (in.csX < 1.0 || in.csY < 1.0 || in.csZ < 1.0);
        if (solid && fresh.TriangleLast >= 3 && !(cut && ModellerSetActive(in.tx3, in.tz3)) && testing::Closed(fresh)) {
            ++closed;
            const double v = testing::Volumes(fresh)[2];
            EXPECT_GE(v, -1e-9 * std::max(1.0, fresh.NaturalSize.x * fresh.NaturalSize.y * fresh.NaturalSize.z));
        }
        if (record % 32 == 0) ExpectWrittenOrRefused(fresh, solid, dir, record);
        if (::testing::Test::HasFailure()) return;
    }
    EXPECT_GT(closed, 400);
}

// Builds that once carried the previous build's tangents or cut planes, and a cut that keeps nothing: each
// equals its build on a fresh state.
TEST(RandomBuilds, NothingCarriesOver) {
    BuildInputs flatMirror;
    std::tie(flatMirror.ActMirror, flatMirror.fY) = std::tuple(true, 0.0);
    const BuildInputs sectionCut = test::Solid(false, 0.5, 0.6, 1.0);
    const std::pair<BuildInputs, BuildInputs> sequences[] = {{BuildInputs{}, flatMirror}, {sectionCut, test::Section2D(40)}, {sectionCut, test::EmptyCut()}};
    for (const auto& [first, second] : sequences) {
        ModelState used = test::Build(first);
        NullCanvas canvas(second.CanvasWidth, second.CanvasHeight);
        std::string info;
        BuildModel(used, second, canvas, info);
        EXPECT_EQ(Difference(used, test::Build(second)), "");
    }
}

// Outside the ranges, the build refuses at once, names the input and leaves the model as it was.
TEST(RandomBuilds, InputsNoCommandCanGiveAreRefusedByName) {
    ModelState m = testing::Build(BuildInputs{});
    const ModelState before = m;
    const std::pair<const char*, std::function<void(BuildInputs&)>> cases[] = {
        {"x0 = -0.1", [](BuildInputs& in) { in.x0 = -0.1; }},
        {"x0 = nan", [](BuildInputs& in) { in.x0 = NAN; }},
        {"kc3 = 0 ", [](BuildInputs& in) { in.tx3 = 1.0, in.kc3 = 0.0; }},
        {"nm3 = 0 ", [](BuildInputs& in) { in.tx3 = 1.0, in.nm3 = 0.0; }},
        {"nX = 2147483647", [](BuildInputs& in) { in.nX = 2147483647; }},
        {"nX = -2147483648", [](BuildInputs& in) { in.nX = -2147483647 - 1; }},
        {"mYZ = 2004", [](BuildInputs& in) { in.mYZ = 2004; }},
        {"offset count = -2147483648", [](BuildInputs& in) { in.OffsetCount = -2147483647 - 1; }},
        {"canvas width = 2147483647", [](BuildInputs& in) { in.CanvasWidth = 2147483647; }},
        {"c = 3", [](BuildInputs& in) { in.ActWing = in.ActCut = true, in.c = 3; }},
        {"wt = -0.001", [](BuildInputs& in) { in.wt = -0.001; }},
        {"UpperLeadingEdge = inf", [](BuildInputs& in) { in.UpperLeadingEdge = INFINITY; }},
        {"x0 = 0.4501", [](BuildInputs& in) { in.x0 = 0.4501; }}};
    for (const auto& [name, change] : cases) {
        BuildInputs in;
        change(in);
        NullCanvas canvas;
        std::string info;
        test::ExpectRefused<BuildInputError>([&] { BuildModel(m, in, canvas, info); }, name, name);
        EXPECT_EQ(Difference(m, before), "") << name;
    }
    // What the window accepts just past a slider's end, and a 2D count above the solid limit, are built.
    BuildInputs pastTheEnd, twoD = test::Section2D(10000);
    pastTheEnd.x0 = 0.45000006;
    EXPECT_NO_THROW(test::Build(pastTheEnd));
    EXPECT_NO_THROW(test::Build(twoD));
}

}  // namespace
}  // namespace korvel
