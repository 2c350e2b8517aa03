// stl_test.cpp — the binary STL writer: record layout, normals, axis rotations, list bounds, and admesh reading our files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
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

uint32_t U32At(const std::string& s, std::size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(s[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 3])) << 24;
}

float FloatAt(const std::string& s, std::size_t at) {
    const uint32_t bits = U32At(s, at);
    float f = 0.0f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// Normal and vertices of triangle record k.
struct Record {
    float n[3];
    float v[3][3];
    uint32_t attribute;
};
Record RecordAt(const std::string& s, std::size_t k) {
    Record r{};
    const std::size_t at = 84 + 50 * k;
    for (int i = 0; i < 3; ++i) r.n[i] = FloatAt(s, at + 4 * i);
    for (int v = 0; v < 3; ++v) {
        for (int i = 0; i < 3; ++i) r.v[v][i] = FloatAt(s, at + 12 + 12 * v + 4 * i);
    }
    r.attribute = static_cast<uint32_t>(static_cast<unsigned char>(s[at + 48])) |
                  static_cast<uint32_t>(static_cast<unsigned char>(s[at + 49])) << 8;
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
    EXPECT_EQ(s.substr(0, StlHeaderText.size()), std::string(StlHeaderText));
    EXPECT_NE(s.substr(0, 5), "solid");
    EXPECT_NE(std::string(StlHeaderText).find("korvel"), std::string::npos);
    EXPECT_EQ(s.substr(StlHeaderText.size(), 80 - StlHeaderText.size()), std::string(80 - StlHeaderText.size(), ' '));
    EXPECT_EQ(U32At(s, 80), 8u);
    const float inv = 1.0f / std::sqrt(3.0f);
    for (std::size_t k = 0; k < 8; ++k) {
        const Record r = RecordAt(s, k);
        const T3p& t = m.Triangles[k];
        for (int v = 0; v < 3; ++v) {
            EXPECT_EQ(r.v[v][0], t.p[v].x);
            EXPECT_EQ(r.v[v][1], t.p[v].y);
            EXPECT_EQ(r.v[v][2], t.p[v].z);
        }
        // Every face normal of the octahedron points outward along (+-1, +-1, +-1) / sqrt 3: the sign of each
        // component is the sign of the face centre's coordinate.
        for (int i = 0; i < 3; ++i) {
            const float centre = (r.v[0][i] + r.v[1][i] + r.v[2][i]) / 3.0f;
            EXPECT_NEAR(r.n[i], std::copysign(inv, centre), 1e-6f) << "triangle " << k;
        }
        EXPECT_EQ(r.attribute, 0u);
    }
}

TEST(StlWriter, AxisRotationsWorkOnACopyAndTurnTheNormal) {
    TempDir dir;
    // Right-handed in XY: normal +Z before any rotation.
    const ModelState m = WithTriangles({Tri({1, 2, 3}, {2, 2, 3}, {1, 3, 3})});
    const ModelState before = m;
    struct Case {
        int mode;
        float first[3];
        float normal[3];
    };
    // (x, y, z) -> (y, z, x): the +Z normal becomes +Y; (z, x, y): it becomes +X.
    const Case cases[] = {{0, {1, 2, 3}, {0, 0, 1}}, {1, {2, 3, 1}, {0, 1, 0}}, {2, {3, 1, 2}, {1, 0, 0}},
                          {7, {1, 2, 3}, {0, 0, 1}}};
    for (const Case& c : cases) {
        const std::string file = dir.File("r" + std::to_string(c.mode) + ".stl");
        ExportStl(m, file, c.mode);
        const std::string s = ReadAll(file);
        ASSERT_EQ(s.size(), 134u);
        const Record r = RecordAt(s, 0);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(r.v[0][i], c.first[i]) << "mode " << c.mode;
            EXPECT_FLOAT_EQ(r.n[i], c.normal[i]) << "mode " << c.mode;
        }
    }
    // The model's own list is as built after every export.
    EXPECT_EQ(std::memcmp(m.Triangles.data(), before.Triangles.data(), sizeof(T3p)), 0);
}

TEST(StlWriter, WritesWhatTheListHoldsAndSurvivesDegenerateTriangles) {
    TempDir dir;
    const std::string file = dir.File("t.stl");

    ModelState empty;
    ExportStl(empty, file, 0);
    std::string s = ReadAll(file);
    ASSERT_EQ(s.size(), 84u);
    EXPECT_EQ(U32At(s, 80), 0u);

    // An index past the end of the list is never followed.
    ModelState stale = WithTriangles(Octahedron(1.0f));
    stale.TriangleLast = 40;
    ExportStl(stale, file, 0);
    s = ReadAll(file);
    EXPECT_EQ(s.size(), 84u + 50u * 8u);
    EXPECT_EQ(U32At(s, 80), 8u);

    // An index below the end writes only the triangles up to it.
    stale.TriangleLast = 2;
    ExportStl(stale, file, 0);
    EXPECT_EQ(ReadAll(file).size(), 84u + 50u * 3u);

    // A triangle of zero area gets a zero normal, never NaN.
    const ModelState flat = WithTriangles({Tri({1, 1, 1}, {2, 2, 2}, {3, 3, 3})});
    ExportStl(flat, file, 0);
    const Record r = RecordAt(ReadAll(file), 0);
    for (float n : r.n) EXPECT_EQ(n, 0.0f);
}

TEST(StlWriter, UnwritableTargetRaisesAnError) {
    TempDir dir;
    const ModelState m = WithTriangles(Octahedron(1.0f));
    try {
        ExportStl(m, dir.File("no/such/folder/x.stl"), 0);
        FAIL() << "no error";
    } catch (const ExportError& e) {
        EXPECT_NE(std::string(e.what()).find("x.stl"), std::string::npos);
    }
}

// --- admesh reads what we write ----------------------------------------------------------------------

struct AdmeshReport {
    bool ran = false;
    std::string text;
    long Value(const std::string& label) const {
        const std::regex re(label + R"(\s*:\s*(-?\d+))");
        std::smatch mt;
        return std::regex_search(text, mt, re) ? std::stol(mt[1]) : -1;
    }
    double Volume() const {
        std::smatch mt;
        return std::regex_search(text, mt, std::regex(R"(Volume\s*:\s*([-0-9.eE+]+))")) ? std::stod(mt[1]) : NAN;
    }
};

AdmeshReport RunAdmesh(const std::string& file) {
    AdmeshReport r;
    const test::CommandResult c = test::RunCommand("admesh '" + file + "'");
    r.ran = c.status == 0;
    r.text = c.output;
    return r;
}

// Closed, consistently wound, nothing for admesh to repair, and the volume we expect.
void ExpectCleanSolid(const std::string& file, double volume, const std::string& what) {
    const AdmeshReport r = RunAdmesh(file);
    ASSERT_TRUE(r.ran) << what << "\n" << r.text;
    ASSERT_NE(r.text.find("Number of facets"), std::string::npos) << what << "\n" << r.text;
    EXPECT_EQ(r.Value("Edges fixed"), 0) << what << "\n" << r.text;
    EXPECT_EQ(r.Value("Facets removed"), 0) << what;
    EXPECT_EQ(r.Value("Facets added"), 0) << what;
    EXPECT_EQ(r.Value("Facets reversed"), 0) << what;
    EXPECT_EQ(r.Value("Backwards edges"), 0) << what;
    EXPECT_EQ(r.Value("Normals fixed"), 0) << what;
    EXPECT_EQ(r.Value("Degenerate facets"), 0) << what;
    EXPECT_EQ(r.Value("Edges fixed"), 0) << what;
    // admesh lists the disconnected facets by how many of their edges are open.
    for (const char* k : {"Facets with 1 disconnected edge", "Facets with 2 disconnected edges",
                          "Facets with 3 disconnected edges", "Total disconnected facets"}) {
        EXPECT_EQ(r.Value(k), 0) << what << ": " << k << "\n" << r.text;
    }
    // admesh prints the volume with six decimals.
    EXPECT_NEAR(r.Volume(), volume, 1e-4 * std::abs(volume) + 2e-6) << what << "\n" << r.text;
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
