// gl_view.h — the main window's 3D view: an OpenGL widget that draws the model with the renderer and turns it with the mouse.
#pragma once

#include <QOpenGLWidget>

#include "app/renderer.h"
#include "engine/model.h"

namespace korvel {

// False where a GL widget cannot be made (the offscreen platform crashes on one): show a plain widget then.
bool GLViewAvailable();

class GLView : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit GLView(QWidget* parent = nullptr);
    // For tests: a view on another GL library object (one with a forced missing entry point, say).
    explicit GLView(GLLibrary& gl, QWidget* parent = nullptr);
    ~GLView() override;

    // Scale and centre from the model, a copy of its triangle list, and an upload at the next paint.
    void FitViewToModel(const korvel::ModelState& m);
    void SetWireframe(bool on);
    void SetAxes(bool on);
    void SetViewAngles(float yaw, float pitch);
    // The zoom slider's position x 0.001.
    void SetZoom(float value);
    void DeleteSceneBuffers();
    // Drops the copies and buffers of the model while the view is hidden (a later fit fills them again).
    void ReleaseScene();
    bool RendererDisabled() const { return renderer_.RendererDisabled(); }
    korvel::Renderer& renderer() { return renderer_; }

protected:
    void initializeGL() override;
    void paintGL() override;
    void resizeGL(int w, int h) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void ReleaseContext();
    template <typename Work>
    bool WithContext(Work work);

    Renderer renderer_;
    bool wireframe_ = false;
    bool axes_ = true;
    bool sceneDirty_ = false;
    bool dragging_ = false;
    int32_t lastX_ = 0;
    int32_t lastY_ = 0;
};

}  // namespace korvel
