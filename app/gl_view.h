// STUB
#pragma once
#include <QOpenGLWidget>
#include "engine/model.h"
class GLView : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit GLView(QWidget* parent = nullptr) : QOpenGLWidget(parent) {}
    void FitViewToModel(const korvel::ModelState&) {}
    void SetWireframe(bool) {}
    void SetAxes(bool) {}
    void SetViewAngles(float, float) {}
    void SetZoom(float) {}
    void DeleteSceneBuffers() {}
    bool RendererDisabled() const { return false; }
};
inline bool GLViewAvailable() { return false; }
