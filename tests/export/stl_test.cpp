// stl_test.cpp — the binary STL writer: record layout, normals, axis rotations, list bounds, and admesh reading our files.
#include <gtest/gtest.h>

#include <cmath>
#include <array>
#include <bit>
#include <regex>

#include "built_models.h"
#include "export/export_common.h"
#include "export/stl_writer.h"
#include "writer_test_util.h"

namespace korvel {
namespace {

using test::ReadAll;
using test::TempDir;

T3p Tri(Point3f a, Point3f b, Point3f c) { return T3p{{a, b, c}}; }

ModelState WithTriangles(std::vector<T3p> list) {
    ModelState m;
    m.TriangleLast = static_cast<int32_t>(list.size()) - 1;
    m.Triangles = std::move(list);
    return m;
}

// Little-endian 32-bit word at a byte offset.
uint32_t U32At(const std::string& s, std::size_t at) {
    uint32_t v = 0;
    for (int b = 3; b >= 0; --b) v = v << 8 | static_cast<unsigned char>(s[at + b]);
    return v;
}

// The 12 floats of triangle record k: the normal, then the three vertices.
std::array<float, 12> RecordAt(const std::string& s, std::size_t k) {
    std::array<float, 12> r{};
    for (std::size_t i = 0; i < 12; ++i) r[i] = std::bit_cast<float>(U32At(s, 84 + 50 * k + 4 * i));
    return r;
}

// A regular octahedron of half-diagonal a, faces wound outward: closed, 8 facets, volume 4 a^3 / 3.
std::vector<T3p> Octahedron(float a) {
    const Point3f px{a, 0, 0}, nx{-a, 0, 0}, py{0, a, 0}, ny{0, -a, 0}, pz{0, 0, a}, nz{0, 0, -a};
    return {Tri(px, py, pz), Tri(py, nx, pz), Tri(nx, ny, pz), Tri(ny, px, pz),
            Tri(py, px, nz), Tri(nx, py, nz), Tri(ny, nx, nz), Tri(px, ny, nz)};
}

TEST(StlWriter, HeaderCountRecordsAndNormals) {
    TempDir dir;
    const std::string file = dir.File("oct.stl");
    const ModelState m = WithTriangles(Octahedron(2.0f));
    ExportStl(m, file, 0);
    const std::string s = ReadAll(file);
    ASSERT_EQ(s.size(), 84u + 50u * 8u);
    const std::string header(StlHeaderText);
    EXPECT_NE(header.find("korvel"), std::string::npos);
    EXPECT_NE(header.substr(0, 5), "solid");  // readers would take the file for ASCII STL
    EXPECT_EQ(s.substr(0, 80), header + std::string(80 - header.size(), ' '));
    EXPECT_EQ(U32At(s, 80), 8u);
    const float inv = 1.0f / std::sqrt(3.0f);
    for (std::size_t k = 0; k < 8; ++k) {
        const std::array<float, 12> r = RecordAt(s, k);
        const T3p& t = m.Triangles[k];
        for (int v = 0; v < 3; ++v) {
            EXPECT_EQ(r[3 + 3 * v], t.p[v].x);
            EXPECT_EQ(r[4 + 3 * v], t.p[v].y);
            EXPECT_EQ(r[5 + 3 * v], t.p[v].z);
        }
        // Each face normal points outward along (+-1, +-1, +-1) / sqrt 3, signed like the face's centre.
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(r[i], std::copysign(inv, r[3 + i] + r[6 + i] + r[9 + i]), 1e-6f) << "triangle " << k;
        }
        EXPECT_EQ(s.substr(84 + 50 * k + 48, 2), std::string(2, '\0'));
    }
}

TEST(StlWriter, AxisRotationsWorkOnACopyAndTurnTheNormal) {
    TempDir dir;
    // Counter-clockwise in the plane z = 3: normal +Z before any rotation.
    const ModelState m = WithTriangles({Tri({1, 2, 3}, {2, 2, 3}, {1, 3, 3})});
    struct Case {
        int mode;
        std::array<float, 6> normalAndFirst;
    };
    // (x, y, z) -> (y, z, x) turns +Z into +Y; (z, x, y) turns it into +X; other codes change nothing.
    const Case cases[] = {{0, {0, 0, 1, 1, 2, 3}}, {1, {0, 1, 0, 2, 3, 1}}, {2, {1, 0, 0, 3, 1, 2}}, {7, {0, 0, 1, 1, 2, 3}}};
    for (const Case& c : cases) {
        const std::string file = dir.File("r" + std::to_string(c.mode) + ".stl");
        ExportStl(m, file, c.mode);
        const std::string s = ReadAll(file);
        ASSERT_EQ(s.size(), 134u);
        const std::array<float, 12> r = RecordAt(s, 0);
        for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(r[i], c.normalAndFirst[i]) << "mode " << c.mode;
    }
    const Point3f& p = m.Triangles[0].p[0];  // the model's own list is as built
    EXPECT_TRUE(p.x == 1 && p.y == 2 && p.z == 3);
}

TEST(StlWriter, WritesWhatTheListHoldsAndSurvivesDegenerateTriangles) {
    TempDir dir;
    const std::string file = dir.File("t.stl");
    ExportStl(ModelState{}, file, 0);
    EXPECT_EQ(ReadAll(file), std::string(StlHeaderText) + std::string(80 - StlHeaderText.size(), ' ') + std::string(4, '\0'));

    ModelState stale = WithTriangles(Octahedron(1.0f));
    for (const auto& [last, count] : {std::pair{40, 8u}, std::pair{2, 3u}, std::pair{-1, 0u}}) {
        stale.TriangleLast = last;  // an index past the list is never followed
        ExportStl(stale, file, 0);
        const std::string s = ReadAll(file);
        EXPECT_EQ(s.size(), 84u + 50u * count) << last;
        EXPECT_EQ(U32At(s, 80), count) << last;
    }

    ExportStl(WithTriangles({Tri({1, 1, 1}, {2, 2, 2}, {3, 3, 3})}), file, 0);
    const std::array<float, 12> r = RecordAt(ReadAll(file), 0);
    EXPECT_TRUE(r[0] == 0.0f && r[1] == 0.0f && r[2] == 0.0f);  // no direction, and never NaN
}

TEST(StlWriter, UnwritableTargetRaisesAnErrorNamingIt) {
    TempDir dir;
    try {
        ExportStl(WithTriangles(Octahedron(1.0f)), dir.File("no/such/folder/x.stl"), 0);
        FAIL() << "no error";
    } catch (const ExportError& e) {
        EXPECT_NE(std::string(e.what()).find("x.stl"), std::string::npos);
    }
}

// --- admesh reads what we write ----------------------------------------------------------------------

// The first number after "label :" in admesh's report, or -1 when the label is missing.
double AdmeshValue(const std::string& report, const std::string& label) {
    std::smatch mt;
    return std::regex_search(report, mt, std::regex(label + R"(\s*:\s*(-?[0-9.]+))")) ? std::stod(mt[1]) : -1.0;
}

// Closed, consistently wound, nothing for admesh to repair, and the volume we expect.
void ExpectCleanSolid(const std::string& file, double volume, const std::string& what) {
    const test::CommandResult r = test::RunCommand("admesh '" + file + "'");
    ASSERT_EQ(r.status, 0) << what << "\n" << r.output;
    for (const char* k : {"Facets with 1 disconnected edge", "Facets with 2 disconnected edges",
                          "Facets with 3 disconnected edges", "Total disconnected facets", "Degenerate facets",
                          "Edges fixed", "Facets removed", "Facets added", "Facets reversed", "Backwards edges",
                          "Normals fixed"}) {
        EXPECT_EQ(AdmeshValue(r.output, k), 0.0) << what << ": " << k << "\n" << r.output;
    }
    // admesh prints the volume with six decimals.
    EXPECT_NEAR(AdmeshValue(r.output, "Volume"), volume, 1e-4 * std::abs(volume) + 2e-6) << what << "\n" << r.output;
}

bool AdmeshMissing() { return !test::ToolOnPath("admesh"); }

TEST(StlAdmesh, ReadsTheOctahedronInEveryAxisMode) {
    if (AdmeshMissing()) GTEST_SKIP() << "admesh is not installed (scripts/install-deps installs it)";
    TempDir dir;
    const ModelState m = WithTriangles(Octahedron(1.5f));
    for (int mode : {0, 1, 2}) {
        const std::string file = dir.File("oct" + std::to_string(mode) + ".stl");
        ExportStl(m, file, mode);
        ExpectCleanSolid(file, 4.0 * 1.5 * 1.5 * 1.5 / 3.0, "octahedron, axis mode " + std::to_string(mode));
    }
}

TEST(StlAdmesh, ReadsEveryClosedConfigurationWithTheModelsVolume) {
    if (AdmeshMissing()) GTEST_SKIP() << "admesh is not installed (scripts/install-deps installs it)";
    struct Case {
        std::string name;
        BuildInputs in;
    };
    std::vector<Case> cases;
    for (const bool wing : {false, true}) {
        const std::string kind = wing ? "wing" : "body";
        cases.push_back({kind, test::Solid(wing)});
        for (int32_t c = 1; c <= (wing ? 2 : 4); ++c) {
            BuildInputs in = test::Solid(wing);
            in.ActCut = true;
            in.c = c;
            cases.push_back({kind + " cut mode " + std::to_string(c), in});
        }
        BuildInputs reversed = test::Solid(wing);
        reversed.vs3 = 1;
        reversed.tx3 = 0.05;  // a modifier set on, in the other direction
        cases.push_back({kind + " with set 1 reversed", reversed});
        cases.push_back({kind + " cut three ways", test::SectionCut(wing, 0.7, 0.6, 0.5, false)});
        cases.push_back({kind + " cut and mirrored", test::SectionCut(wing, 1.0, 0.5, 1.0, true)});
    }
    TempDir dir;
    int k = 0;
    for (const Case& c : cases) {
        const ModelState m = test::Built(c.in);
        ASSERT_GE(m.TriangleLast, 3) << c.name;
        const std::string file = dir.File("m" + std::to_string(k++) + ".stl");
        ExportStl(m, file, k % 3);
        ExpectCleanSolid(file, m.Volume, c.name);
    }
}

}  // namespace
}  // namespace korvel
