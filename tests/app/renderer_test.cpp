// renderer_test.cpp — the 3D view's camera maths, normal packing, view fit and GL loader, checked without a GL context.
#include <gtest/gtest.h>

#include <fenv.h>
#include <xmmintrin.h>

#include <limits>

#include "app/gl_loader.h"
#include "app/renderer.h"

namespace korvel {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Renderer, CameraWrapsItsAnglesAndProjectsAndPlacesKnownPoints) {
    struct Turn { float yaw, pitch; int dx, dy; float yaw2, pitch2; };
    for (const Turn& c : {Turn{350, 10, 20, -30, 10, 340}, Turn{360, 360, 0, 0, 360, 360},
                          Turn{0, 0, 1000, -1000, 280, 80}, Turn{30, 30, 330, 0, 360, 30}}) {
        Renderer r;
        r.SetViewAngles(c.yaw, c.pitch);
        r.RotateView(c.dx, c.dy);
        EXPECT_EQ(std::pair(r.ViewYaw, r.ViewPitch), std::pair(c.yaw2, c.pitch2)) << c.yaw << "/" << c.pitch;
    }
    struct Size { int w, h; float sx, sy; };  // expected P[0] and P[5] at zoom 0.5
    for (const Size& c : {Size{200, 100, 1.0f, 2.0f}, Size{100, 200, 2.0f, 1.0f}, Size{100, 0, 0.02f, 2.0f}}) {
        Mat4 p;
        Renderer().BuildProjection(p, c.w, c.h);
        EXPECT_FLOAT_EQ(p[0], c.sx) << c.w << "x" << c.h;
        EXPECT_FLOAT_EQ(p[5], c.sy) << c.w << "x" << c.h;
    }
    struct Eye { float yaw, pitch; Point3f p; std::array<float, 3> e; };  // at scale 0.5 around (1, 2, 3)
    for (const Eye& c : {Eye{0, 90, {3, 2, 3}, {1, 0, -2}},     // looking down Z: x right, y up
                         Eye{0, 0, {1, 2, 4}, {0, 0.5f, -2}},  // horizontal: Z up on the screen
                         Eye{90, 0, {3, 2, 3}, {0, 0, -3}}}) {  // yaw 90 turns X onto the view axis
        Renderer r;
        std::tie(r.ViewScale, r.ViewCentre) = std::tuple(0.5f, std::array<float, 3>{1, 2, 3});
        r.SetViewAngles(c.yaw, c.pitch);
        Mat4 mv;
        r.BuildModelView(mv);
        for (int j = 0; j < 3; ++j)  // eye coordinates: the row vector times the stored matrix
            EXPECT_NEAR(c.p.x * mv[j] + c.p.y * mv[4 + j] + c.p.z * mv[8 + j] + mv[12 + j], c.e[j], 1e-6f) << j;
    }
}

TEST(Renderer, NormalMatrixIsTheInverseTranspose) {
    const Mat4 m = {2, 1, 0, 0, -1, 3, 0.5f, 0, 0.25f, 0, 4, 0, 7, 8, 9, 1};
    Mat3 n;
    NormalMatrix3(n, m);
    // (inverse transpose) x transpose = identity, in storage order: sum_k n[r][k] m[c][k].
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            float s = 0;
            for (int k = 0; k < 3; ++k) s += n[3 * r + k] * m[4 * c + k];
            EXPECT_NEAR(s, r == c ? 1.0f : 0.0f, 1e-6f);
        }
    NormalMatrix3(n, Mat4{1, 2, 3, 0, 4, 5, 6, 0, 5, 7, 9, 0, 1, 1, 1, 1});  // row 2 = row 0 + row 1
    EXPECT_EQ(n, Mat3{});
}

TEST(Renderer, NormalsPackIntoTenBitFields) {
    auto tri = [](Point3f a, Point3f b, Point3f c) { return T3p{{a, b, c}}; };
    const Point3f o{0, 0, 0}, x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
    struct Case { T3p t; int32_t word; };
    for (const Case& c : {Case{tri(o, y, z), 511},                       // (1, 0, 0)
                          Case{tri(o, z, y), 512},                       // (-1, 0, 0): field -512
                          Case{tri(o, z, x), 511 << 10},                 // (0, 1, 0)
                          Case{tri(o, y, x), 512 << 20},                 // (0, 0, -1): bits 30-31 zero
                          Case{tri(o, {1, -1, 0}, z), 661 | 661 << 10},  // -0.7071: -23170 >> 6 = -363
                          Case{tri(o, x, {2, 0, 0}), 0}}) {              // zero area
        EXPECT_EQ(PackFaceNormal(c.t), c.word);
    }
    std::vector<int32_t> packed;
    PackFaceNormals({tri(o, y, z), tri(o, z, y)}, packed);
    EXPECT_EQ(packed, (std::vector<int32_t>{511, 511, 511, 512, 512, 512}));
    // A big list goes out in slices to several threads: every triangle's word lands at its own place.
    std::vector<T3p> many(200003);
    for (size_t i = 0; i < many.size(); ++i) many[i] = tri(o, i % 3 == 0 ? y : x, i % 5 == 0 ? y : z);
    PackFaceNormals(many, packed);
    ASSERT_EQ(packed.size(), 3 * many.size());
    for (size_t i = 0; i < many.size(); ++i)
        ASSERT_EQ(packed[3 * i + 2], PackFaceNormal(many[i])) << "triangle " << i;
}

TEST(Renderer, FitTakesTheLargestSizeAndCopiesTheList) {
    ModelState m;
    std::tie(m.NaturalSize, m.LengthX, m.GridSize, m.Centroid) =
        std::tuple(Vec3d{kNaN, 0.5, 2.0}, 3.0, Vec3d{kNaN, 2.5, kNaN}, Vec3d{0.25, 0.5, 0.125});
    m.Triangles.resize(4);
    m.TriangleLast = 9;  // an index past the array is never followed
    Renderer r;
    r.FitToModel(m);
    EXPECT_FLOAT_EQ(r.ViewScale, 1.0f / 3.0f);
    EXPECT_EQ(r.ViewCentre, (std::array<float, 3>{0.25f, 0.5f, 0.125f}));
    EXPECT_EQ(r.SceneTriangles().size(), 4u);
    std::tie(m.NaturalSize, m.LengthX, m.GridSize, m.TriangleLast) =  // every size below 1: scale 1
        std::tuple(Vec3d{0.2, 0.1, 0.1}, -1.0, Vec3d{}, 1);
    r.FitToModel(m);
    EXPECT_EQ(std::pair(r.ViewScale, r.SceneTriangles().size()), std::pair(1.0f, std::size_t{2}));
}

TEST(GLLoader, ResolvesEveryEntryPointWithoutAContext) {
    GLLibrary lib;
    ASSERT_TRUE(lib.LoadGL(kDefaultGLLibrary));
    EXPECT_TRUE(lib.HasGL1());
    EXPECT_TRUE(lib.LoadGLExtensions());
    EXPECT_EQ(GLLibrary::GL1Names().size() + GLLibrary::ExtensionNames().size(), 33u);
    for (const auto* names : {&GLLibrary::GL1Names(), &GLLibrary::ExtensionNames()})
        for (const char* name : *names) {
            bool ok = true;
            EXPECT_TRUE(lib.GetGLProc(name, ok) != nullptr && ok) << name;
        }
    bool ok = true;
    EXPECT_EQ(lib.GetGLProc("glKorvelNoSuchEntryPoint", ok), nullptr);
    EXPECT_FALSE(ok);
    lib.FreeGL();  // no entry point of a closed library stays callable
    EXPECT_FALSE(lib.HasGL1());
    // Start-up masks every floating-point exception and leaves flush-to-zero and denormals-are-zero off.
    MaskFloatingPointExceptions();
    EXPECT_EQ(fegetexcept(), 0);
    EXPECT_EQ(_mm_getcsr() & 0x9FC0u, 0x1F80u);
}

// The view under a real display checks a missing extension; here no libGL at all leaves every entry point null.
TEST(GLLoader, AMissingLibrarySwitchesTheRendererOffAndNothingReachesGL) {
    ModelState m;
    m.Triangles.resize(3);
    m.TriangleLast = 2;
    GLLibrary absent;
    EXPECT_FALSE(absent.LoadGL("/nonexistent/libGL.so.1"));
    Renderer r(absent);
    r.FitToModel(m);
    r.InitRenderer();
    EXPECT_TRUE(r.RendererReady() && r.RendererDisabled());
    r.UploadScene();  // a call through a null entry point would crash here
    r.RenderScene(640, 480, false, true);
    r.DeleteSceneBuffers();
    r.ContextRestored();
    EXPECT_EQ(r.UploadedVertexCount(), 0);
}

}  // namespace
}  // namespace korvel
