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

// On a display, the application and a 3.3 core context on an offscreen surface with a renderer in it, for
// the whole run. It lives in main and takes everything down before main returns: left to the exit handlers,
// the context would be destroyed after Qt's own globals and crash.
class GLSession {
public:
    explicit GLSession(char** argv) {
        if (std::getenv("DISPLAY") == nullptr) return;
        qputenv("QT_QPA_PLATFORM", "xcb");
        app_ = std::make_unique<QGuiApplication>(argc_, argv);
        InitGLModule();
        QSurfaceFormat format;
        format.setVersion(3, 3);
        format.setProfile(QSurfaceFormat::CoreProfile);
        context_ = std::make_unique<QOpenGLContext>();
        context_->setFormat(format);
        surface_ = std::make_unique<QOffscreenSurface>();
        surface_->setFormat(format);
        surface_->create();
        if (!context_->create() || !context_->makeCurrent(surface_.get())) return;
        renderer_ = std::make_unique<Renderer>();
        renderer_->InitRenderer();
    }

    ~GLSession() {
        // The renderer's buffers go while their context is current; the context before its surface.
        if (renderer_ && context_->makeCurrent(surface_.get())) {
            renderer_->ContextLost();
            context_->doneCurrent();
        }
        renderer_.reset();
        context_.reset();
        surface_.reset();
        if (app_) {
            app_.reset();
            ShutdownGLModule();
        }
    }

    GLSession(const GLSession&) = delete;
    GLSession& operator=(const GLSession&) = delete;

    // The renderer in the current context, or null when there is no display with GL 3.3.
    Renderer* GL() const { return renderer_ && !renderer_->RendererDisabled() ? renderer_.get() : nullptr; }

private:
    int argc_ = 1;  // only the program's name: the benchmark's own flags are not Qt's
    std::unique_ptr<QGuiApplication> app_;
    std::unique_ptr<QOffscreenSurface> surface_;
    std::unique_ptr<QOpenGLContext> context_;
    std::unique_ptr<Renderer> renderer_;
};

// UploadScene in a real context: delete the old buffers, pack, and hand both arrays to GL.
void GLUpload(benchmark::State& state, const GLSession& session, Case which) {
    Renderer* r = session.GL();
    if (r == nullptr) {
        state.SkipWithError("no display with GL 3.3 (run under xvfb-run)");
        return;
    }
    bool ok = true;
    const auto finish = reinterpret_cast<void (*)()>(SharedGL().GetGLProc("glFinish", ok));
    r->FitToModel(Model(which));
    for (auto _ : state) {
        r->UploadScene();
        if (finish != nullptr) finish();
    }
    state.counters["triangles"] = Model(which).TriangleLast + 1;
}

BENCHMARK_CAPTURE(CopyAndPack, DefaultBody, kDefaultBody)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(CopyAndPack, Wing256, kWing256)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(CopyAndPack, Body2000, kBody2000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvel

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    const korvel::GLSession session(argv);
    const auto upload = [&session](const char* name, korvel::Case which) {
        return benchmark::RegisterBenchmark(name, [&session, which](benchmark::State& s) {
            korvel::GLUpload(s, session, which);
        });
    };
    upload("GLUpload/DefaultBody", korvel::kDefaultBody)->Unit(benchmark::kMicrosecond);
    upload("GLUpload/Wing256", korvel::kWing256)->Unit(benchmark::kMicrosecond);
    upload("GLUpload/Body2000", korvel::kBody2000)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
