// renderer_test.cpp — the 3D view's camera maths, normal packing, view fit and GL loader, checked without a GL context.
#include <gtest/gtest.h>

#include <fenv.h>
#include <xmmintrin.h>

#include <cmath>
#include <limits>

#include "app/gl_loader.h"
#include "app/renderer.h"

namespace korvel {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Renderer, RotateViewWrapsIntoZeroTo360) {
    struct Case { float yaw, pitch; int dx, dy; float yaw2, pitch2; };
    for (const Case& c : {Case{350, 10, 20, -30, 10, 340}, Case{360, 360, 0, 0, 360, 360},
                          Case{0, 0, 1000, -1000, 280, 80}, Case{30, 30, 330, 0, 360, 30}}) {
        Renderer r;
        r.SetViewAngles(c.yaw, c.pitch);
        r.RotateView(c.dx, c.dy);
        EXPECT_EQ(r.ViewYaw, c.yaw2);
        EXPECT_EQ(r.ViewPitch, c.pitch2);
    }
}

TEST(Renderer, ProjectionSpansTwoZoomOnTheShorterSide) {
    struct Case { int w, h; float sx, sy; };  // expected P[0] and P[5] at zoom 0.5
    for (const Case& c : {Case{200, 100, 1.0f, 2.0f}, Case{100, 200, 2.0f, 1.0f}, Case{100, 100, 2.0f, 2.0f},
                          Case{100, 0, 0.02f, 2.0f}}) {
        Renderer r;
        Mat4 p;
        r.BuildProjection(p, c.w, c.h);
        EXPECT_FLOAT_EQ(p[0], c.sx) << c.w << "x" << c.h;
        EXPECT_FLOAT_EQ(p[5], c.sy) << c.w << "x" << c.h;
        EXPECT_EQ(p[12], 0.0f);
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
    // Singular upper part (row 2 = row 0 + row 1), and a zero scale: all zero.
    for (const Mat4& singular : {Mat4{1, 2, 3, 0, 4, 5, 6, 0, 5, 7, 9, 0, 1, 1, 1, 1}, Mat4{}}) {
        NormalMatrix3(n, singular);
        EXPECT_EQ(n, Mat3{});
    }
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
                          Case{tri(o, x, {2, 0, 0}), 0},                 // zero area
                          Case{tri(x, x, x), 0}}) {
        EXPECT_EQ(PackFaceNormal(c.t), c.word);
        EXPECT_EQ(static_cast<uint32_t>(PackFaceNormal(c.t)) >> 30, 0u);
    }
    std::vector<int32_t> packed;
    PackFaceNormals({tri(o, y, z), tri(o, z, y)}, packed);
    EXPECT_EQ(packed, (std::vector<int32_t>{511, 511, 511, 512, 512, 512}));
}

TEST(Renderer, ModelViewPlacesKnownPoints) {
    // Eye coordinates of a model point (row vector times the stored matrix).
    auto eye = [](const Renderer& r, Point3f p) {
        Mat4 mv;
        r.BuildModelView(mv);
        std::array<float, 3> e{};
        for (int j = 0; j < 3; ++j) e[j] = p.x * mv[j] + p.y * mv[4 + j] + p.z * mv[8 + j] + mv[12 + j];
        return e;
    };
    struct Case { float yaw, pitch; Point3f p; std::array<float, 3> e; };
    for (const Case& c : {Case{0, 90, {3, 2, 3}, {1, 0, -2}},     // looking down Z: x right, y up
                          Case{0, 0, {1, 2, 4}, {0, 0.5f, -2}},  // horizontal: Z up on the screen
                          Case{90, 0, {3, 2, 3}, {0, 0, -3}}}) {  // yaw 90 turns X onto the view axis
        Renderer r;
        r.ViewScale = 0.5f;
        r.ViewCentre = {1, 2, 3};
        r.SetViewAngles(c.yaw, c.pitch);
        const auto e = eye(r, c.p);
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(e[j], c.e[j], 1e-6f) << c.yaw << "/" << c.pitch << " " << j;
    }
}

TEST(Renderer, FitTakesTheLargestSizeAndCopiesTheList) {
    ModelState m;
    m.NaturalSize = {kNaN, 0.5, 2.0};
    m.LengthX = 3.0;
    m.GridSize = {kNaN, 2.5, kNaN};
    m.Centroid = {0.25, 0.5, 0.125};
    m.Triangles.resize(4);
    m.TriangleLast = 9;  // an index past the array is never followed
    Renderer r;
    r.FitToModel(m);
    EXPECT_FLOAT_EQ(r.ViewScale, 1.0f / 3.0f);
    EXPECT_EQ(r.ViewCentre, (std::array<float, 3>{0.25f, 0.5f, 0.125f}));
    EXPECT_EQ(r.SceneTriangles().size(), 4u);
    m = ModelState{};  // every size below 1 (requests -1): scale 1
    m.NaturalSize = {0.2, 0.1, 0.1};
    m.Triangles.resize(4);
    m.TriangleLast = 1;
    r.FitToModel(m);
    EXPECT_EQ(r.ViewScale, 1.0f);
    EXPECT_EQ(r.SceneTriangles().size(), 2u);
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
            EXPECT_NE(lib.GetGLProc(name, ok), nullptr) << name;
            EXPECT_TRUE(ok) << name;
        }
    bool ok = true;
    EXPECT_EQ(lib.GetGLProc("glKorvelNoSuchEntryPoint", ok), nullptr);
    EXPECT_FALSE(ok);
    lib.FreeGL();
    EXPECT_FALSE(lib.HasGL1());
    // Start-up masks every floating-point exception and leaves flush-to-zero and denormals-are-zero off.
    MaskFloatingPointExceptions();
    EXPECT_EQ(fegetexcept(), 0);
    EXPECT_EQ(_mm_getcsr() & 0x9FC0u, 0x1F80u);
}

TEST(GLLoader, AMissingEntryPointSwitchesTheRendererOff) {
    ModelState m;
    m.Triangles.resize(3);
    m.TriangleLast = 2;
    GLLibrary bogus, absent;
    bogus.AddRequiredName("glKorvelNoSuchEntryPoint");
    ASSERT_TRUE(bogus.LoadGL(kDefaultGLLibrary));
    EXPECT_FALSE(absent.LoadGL("/nonexistent/libGL.so.1"));  // leaves the GL 1.x entry points unresolved
    for (GLLibrary* lib : {&bogus, &absent}) {
        Renderer r(*lib);
        r.FitToModel(m);
        r.InitRenderer();
        EXPECT_TRUE(r.RendererReady());
        EXPECT_TRUE(r.RendererDisabled());
        // Switched off: none of these may reach GL (there is no context here to catch a call).
        r.UploadScene();
        r.RenderScene(640, 480, false, true);
        r.DeleteSceneBuffers();
        r.ContextRestored();
        EXPECT_EQ(r.UploadedVertexCount(), 0);
    }
}

}  // namespace
}  // namespace korvel
