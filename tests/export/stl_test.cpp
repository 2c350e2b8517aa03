// stl_test.cpp — the binary STL writer: record layout, normals, axis rotations, list bounds, and admesh reading our files.
#include <gtest/gtest.h>

#include <bit>
#include <regex>

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

// A regular octahedron of half-diagonal a, faces wound outward.
std::vector<T3p> Octahedron(float a) {
    const Point3f px{a, 0, 0}, nx{-a, 0, 0}, py{0, a, 0}, ny{0, -a, 0}, pz{0, 0, a}, nz{0, 0, -a};
    return {Tri(px, py, pz), Tri(py, nx, pz), Tri(nx, ny, pz), Tri(ny, px, pz),
            Tri(py, px, nz), Tri(nx, py, nz), Tri(ny, nx, nz), Tri(px, ny, nz)};
}

// The octahedron and a triangle without direction, in every axis mode: (x, y, z) -> (y, z, x) for 1,
// (z, x, y) for 2, unchanged otherwise. Each normal is (+-1, +-1, +-1) / sqrt 3, signed like the face's
// centre; none for the flat triangle, and never NaN. An index past the list is never followed.
TEST(StlWriter, HeaderCountRecordsOutwardUnitNormalsAndAxisModes) {
    TempDir dir;
    std::vector<T3p> list = Octahedron(2.0f);
    list.push_back(Tri({1, 1, 1}, {2, 2, 2}, {3, 3, 3}));
    ModelState m = WithTriangles(list);
    const std::string header(StlHeaderText), file = dir.File("t.stl");
    EXPECT_NE(header.find("korvel"), std::string::npos);
    EXPECT_NE(header.substr(0, 5), "solid");  // readers would take the file for ASCII STL
    for (const int mode : {0, 1, 2, 7}) {
        m.TriangleLast = 40;
        ExportStl(m, file, mode);
        const std::string s = ReadAll(file);
        ASSERT_EQ(s.size(), 84u + 50u * 9u);
        EXPECT_EQ(s.substr(0, 80), header + std::string(80 - header.size(), ' '));
        EXPECT_EQ(U32At(s, 80), 9u);
        for (std::size_t k = 0; k < 9; ++k) {
            const std::array<float, 12> r = RecordAt(s, k);
            const Point3f& p = list[k].p[0];
            const float x[3] = {p.x, p.y, p.z};
            const int shift = mode == 1 || mode == 2 ? mode : 0;
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(r[3 + i], x[(i + shift) % 3]) << mode << " " << k;
                EXPECT_NEAR(r[i], k == 8 ? 0.0f : std::copysign(1.0f / std::sqrt(3.0f), r[3 + i] + r[6 + i] + r[9 + i]), 1e-6f) << k;
            }
            EXPECT_EQ(s.substr(84 + 50 * k + 48, 2), std::string(2, '\0'));
        }
    }
    EXPECT_EQ(m.Triangles[0].p[0].x, 2.0f);  // the model's own list is as built
    m.TriangleLast = 0;
    ExportStl(m, file, 0);
    EXPECT_EQ(U32At(ReadAll(file), 80), 1u);
    EXPECT_EQ(ReadAll(file).size(), 84u + 50u * 1u);
}

double AdmeshValue(const std::string& report, const std::string& label) {
    std::smatch mt;
    return std::regex_search(report, mt, std::regex(label + R"(\s*:\s*(-?[0-9.]+))")) ? std::stod(mt[1]) : -1.0;
}

TEST(StlAdmesh, ReadsEveryClosedConfigurationCleanWithTheModelsVolume) {
    if (!test::ToolOnPath("admesh")) GTEST_SKIP() << "admesh is not installed (scripts/install-deps installs it)";
    std::vector<std::pair<std::string, BuildInputs>> cases;
    for (const bool wing : {false, true}) {
        const std::string kind = wing ? "wing" : "body";
        cases.push_back({kind, test::Solid(wing)});
        for (int32_t c = 1; c <= (wing ? 2 : 4); ++c) cases.push_back({kind + " cut mode " + std::to_string(c), {.c = c, .ActCut = true, .ActWing = wing}});
        cases.push_back({kind + " with set 1 reversed", {.tx3 = 0.05, .vs3 = 1, .ActWing = wing}});  // a modifier set on, the other way
        // A set-1 bend that turns the grid inside out.
        cases.push_back({kind + " bent by set 1", {.tx3 = 0.5, .vs3 = 1, .ActWing = wing, .tz3 = 0.5, .kc3 = 1.0, .kt3 = 0.0, .nm3 = 0.5}});
        cases.push_back({kind + " cut three ways", test::Solid(wing, 0.7, 0.6, 0.5)});
        cases.push_back({kind + " cut and mirrored", test::Solid(wing, 1.0, 0.5, 1.0, true)});
    }
    cases.push_back({"wing of strong camber", {.y0 = 0.4446, .ActWing = true, .rc2 = 0.7899}});
    TempDir dir;
    int k = 0;
    for (const auto& [name, in] : cases) {
        const ModelState m = test::Build(in);
        ASSERT_GE(m.TriangleLast, 3) << name;
        ExportStl(m, dir.File("m.stl"), ++k % 3);  // every axis mode in turn
        const auto [status, out] = test::RunCommand("admesh '" + dir.File("m.stl") + "'");
        ASSERT_EQ(status, 0) << name << "\n" << out;
        // Closed, consistently wound, nothing for admesh to repair.
        for (const char* key : {"Facets with 1 disconnected edge", "Facets with 2 disconnected edges", "Facets with 3 disconnected edges",
                                "Total disconnected facets", "Degenerate facets", "Edges fixed", "Facets removed", "Facets added",
                                "Facets reversed", "Backwards edges", "Normals fixed"})
            EXPECT_EQ(AdmeshValue(out, key), 0.0) << name << ": " << key << "\n" << out;
        EXPECT_NEAR(AdmeshValue(out, "Volume"), m.Volume, 1e-4 * std::abs(m.Volume) + 2e-6) << name;  // six decimals printed
    }
}

}  // namespace
}  // namespace korvel
