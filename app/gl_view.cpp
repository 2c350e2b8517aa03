// gl_view.cpp — the 3D view widget: a 3.3 core context, the renderer driven from paint, and mouse rotation.
#include "app/gl_view.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QSurfaceFormat>

#include "engine/checked_int.h"

namespace korvel {

bool GLViewAvailable() {
    const QString platform = QGuiApplication::platformName();
    return !platform.isEmpty() && platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

GLView::GLView(QWidget* parent) : GLView(SharedGL(), parent) {}

GLView::GLView(GLLibrary& gl, QWidget* parent) : QOpenGLWidget(parent), renderer_(gl) {
    // The shaders are GLSL 330, which a strict 3.2 context refuses.
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    format.setDepthBufferSize(24);
    format.setSamples(4);
    setFormat(format);
}

GLView::~GLView() {
    if (QOpenGLContext* c = context()) disconnect(c, nullptr, this, nullptr);
    ReleaseContext();
}

// Runs GL work in this view's context; never before the renderer is set up, and never once it is off.
template <typename Work>
bool GLView::WithContext(Work work) {
    if (context() == nullptr || !renderer_.RendererReady() || renderer_.RendererDisabled()) return false;
    makeCurrent();
    work();
    doneCurrent();
    return true;
}

void GLView::ReleaseContext() {
    WithContext([this] { renderer_.ContextLost(); });
}

void GLView::FitViewToModel(const ModelState& m) {
    renderer_.FitToModel(m);
    sceneDirty_ = true;
    update();
}

void GLView::SetWireframe(bool on) {
    wireframe_ = on;
    update();
}

void GLView::SetAxes(bool on) {
    axes_ = on;
    update();
}

void GLView::SetViewAngles(float yaw, float pitch) {
    renderer_.SetViewAngles(yaw, pitch);
    update();
}

void GLView::SetZoom(float value) {
    renderer_.SetZoom(value);
    update();
}

void GLView::DeleteSceneBuffers() {
    // A later paint uploads the kept copy again.
    if (WithContext([this] { renderer_.DeleteSceneBuffers(); })) sceneDirty_ = true;
}

void GLView::ReleaseScene() {
    // Once empty, nothing to do: a 2D slider step makes no context current.
    if (!renderer_.HoldsScene()) return;
    renderer_.ReleaseScene();
    DeleteSceneBuffers();
}

void GLView::initializeGL() {
    // Moving the view to another top-level window replaces its context: drop our objects with the old
    // one and make them again in the new one.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &GLView::ReleaseContext);
    if (renderer_.RendererReady()) {
        renderer_.ContextRestored();
        sceneDirty_ = false;
    }
}

void GLView::paintGL() {
    if (!renderer_.RendererReady()) {
        renderer_.InitRenderer();  // uploads the scene
        sceneDirty_ = false;
    } else if (sceneDirty_) {
        renderer_.UploadScene();
        sceneDirty_ = false;
    }
    if (renderer_.RendererDisabled()) return;
    renderer_.RenderScene(width(), height(), wireframe_, axes_);
    if (renderer_.api().Flush != nullptr) renderer_.api().Flush();
}

void GLView::resizeGL(int, int) {
    // Qt sets the viewport in device pixels; the aspect ratio comes from the logical size at paint time.
}

void GLView::mousePressEvent(QMouseEvent* e) {
    lastX_ = RoundToInt(e->position().x());
    lastY_ = RoundToInt(e->position().y());
    dragging_ = true;
}

void GLView::mouseMoveEvent(QMouseEvent* e) {
    if (!dragging_ || (e->modifiers() & Qt::ShiftModifier)) return;
    const int32_t x = RoundToInt(e->position().x()), y = RoundToInt(e->position().y());
    renderer_.RotateView(x - lastX_, y - lastY_);
    lastX_ = x;
    lastY_ = y;
    update();
}

void GLView::mouseReleaseEvent(QMouseEvent*) { dragging_ = false; }

}  // namespace korvel
