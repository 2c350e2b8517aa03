// bench_upload.cpp — handing a triangle list to the 3D view: the CPU side (copy and normal packing) and, on a display, the GL upload.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QSurfaceFormat>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/gl_loader.h"
#include "app/renderer.h"
#include "engine/build_model.h"

namespace korvel {
namespace {

enum Case { kDefaultBody, kWing256, kBody2000 };

const ModelState& Model(Case which) {
    static ModelState models[3];
    static bool built[3] = {false, false, false};
    if (!built[which]) {
        BuildInputs in;
        if (which == kWing256) {
            in.ActWing = true;
            in.nX = in.mYZ = 256;
        } else if (which == kBody2000) {
            in.nX = in.mYZ = 2000;
        }
        ResetDimensions(models[which]);
        NullCanvas canvas;
        std::string info;
        BuildModel(models[which], in, canvas, info);
        built[which] = true;
    }
    return models[which];
}

// What the view does on the CPU at every fit and upload: copy the list, pack one normal per vertex.
void CopyAndPack(benchmark::State& state, Case which) {
    const ModelState& m = Model(which);
    Renderer r;
    std::vector<int32_t> packed;
    for (auto _ : state) {
        r.FitToModel(m);
        PackFaceNormals(r.SceneTriangles(), packed);
        benchmark::DoNotOptimize(packed.data());
    }
    state.counters["triangles"] = m.TriangleLast + 1;
}

// A 3.3 core context on an offscreen surface of the display, or null when there is no display.
struct GLContext {
    std::unique_ptr<QOffscreenSurface> surface;
    std::unique_ptr<QOpenGLContext> context;
    std::unique_ptr<Renderer> renderer;
};

GLContext* Context() {
    static GLContext* ctx = [] () -> GLContext* {
        if (std::getenv("DISPLAY") == nullptr) return nullptr;
        qputenv("QT_QPA_PLATFORM", "xcb");
        static int argc = 1;
        static char name[] = "bench_upload";
        static char* argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
        InitGLModule();
        QSurfaceFormat format;
        format.setVersion(3, 3);
        format.setProfile(QSurfaceFormat::CoreProfile);
        static GLContext c;
        c.context = std::make_unique<QOpenGLContext>();
        c.context->setFormat(format);
        c.surface = std::make_unique<QOffscreenSurface>();
        c.surface->setFormat(format);
        c.surface->create();
        if (!c.context->create() || !c.context->makeCurrent(c.surface.get())) return nullptr;
        c.renderer = std::make_unique<Renderer>();
        c.renderer->InitRenderer();
        return c.renderer->RendererDisabled() ? nullptr : &c;
    }();
    return ctx;
}

// UploadScene in a real context: delete the old buffers, pack, and hand both arrays to GL.
void GLUpload(benchmark::State& state, Case which) {
    GLContext* c = Context();
    if (c == nullptr) {
        state.SkipWithError("no display with GL 3.3 (run under xvfb-run)");
        return;
    }
    bool ok = true;
    const auto finish = reinterpret_cast<void (*)()>(SharedGL().GetGLProc("glFinish", ok));
    c->renderer->FitToModel(Model(which));
    for (auto _ : state) {
        c->renderer->UploadScene();
        if (finish != nullptr) finish();
    }
    state.counters["triangles"] = Model(which).TriangleLast + 1;
}

BENCHMARK_CAPTURE(CopyAndPack, DefaultBody, kDefaultBody)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(CopyAndPack, Wing256, kWing256)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(CopyAndPack, Body2000, kBody2000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(GLUpload, DefaultBody, kDefaultBody)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(GLUpload, Wing256, kWing256)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(GLUpload, Body2000, kBody2000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvel
