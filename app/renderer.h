// renderer.h — the 3D view's renderer: camera, matrices, packed normals, and the GL buffers and shaders it draws with.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "app/gl_loader.h"
#include "engine/model.h"

namespace korvel {

// 4 x 4 and 3 x 3 single-precision matrices in the order GL reads them untransposed (translation in 12-14).
using Mat4 = std::array<float, 16>;
using Mat3 = std::array<float, 9>;

inline constexpr Mat4 IdentityMatrix4 = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// out = A then B applied to a vertex (row-vector convention of the storage above).
void MatMul4(Mat4& out, const Mat4& a, const Mat4& b);
void TranslationMatrix(Mat4& out, float tx, float ty, float tz);
void ScaleMatrix(Mat4& out, float s);
// A turn by a degrees about Z, then by -b degrees about X.
void RotationMatrix(Mat4& out, float a, float b);
void OrthoMatrix(Mat4& out, float left, float right, float bottom, float top, float nearZ, float farZ);
// The inverse transpose of m's upper 3 x 3 part; all zero when its determinant is exactly 0.
void NormalMatrix3(Mat3& out, const Mat4& m);

// One flat normal as a GL_INT_2_10_10_10_REV word (x bits 0-9, y 10-19, z 20-29); 0 for a zero-area triangle.
int32_t PackFaceNormal(const T3p& t);
// One word per vertex: the face's word three times.
void PackFaceNormals(const std::vector<T3p>& triangles, std::vector<int32_t>& packed);

// The shader texts handed to GL exactly as they stand.
extern const char* const kVertexShaderSource;
extern const char* const kFragmentShaderSource;

// Draws one triangle list with an orthographic camera. Owns the GL objects it makes in the current context;
// every GL call goes through the loader's table and is never made while the renderer is switched off.
class Renderer {
public:
    explicit Renderer(GLLibrary& gl = SharedGL()) : gl_(&gl) {}

    // --- camera (no GL) ------------------------------------------------------------------------------
    float ViewYaw = 30.0f;
    float ViewPitch = 30.0f;
    float ViewZoom = 0.5f;
    float ViewScale = 1.0f;
    std::array<float, 3> ViewCentre{};

    void RotateView(int32_t dx, int32_t dy);
    void SetViewAngles(float yaw, float pitch);
    void SetZoom(float value);
    void BuildModelView(Mat4& mv) const;
    void BuildProjection(Mat4& p, int32_t width, int32_t height) const;

    // Scale and centre from the model's sizes, and a private copy of its triangle list: the buffers are
    // filled from this copy, so the model state may change freely afterwards.
    void FitToModel(const ModelState& m);
    const std::vector<T3p>& SceneTriangles() const { return triangles_; }
    // Gives the copies back (the GL buffers go with DeleteSceneBuffers); whether any copy or buffer holds a model.
    void ReleaseScene();
    bool HoldsScene() const { return triangles_.capacity() > 0 || packed_.capacity() > 0 || uploadedVertices_ > 0; }

    // --- GL (the view's context must be current) ----------------------------------------------------------
    void InitRenderer();
    bool BuildShaderProgram(gl::GLuint& program);
    void GetUniformLocations();
    void UploadScene();
    void RenderScene(int32_t width, int32_t height, bool wireframe, bool axes);
    void DeleteSceneBuffers();
    void ResetGLNames();
    // The context was replaced (the view moved to another window): build the program and buffers again.
    void ContextLost();
    void ContextRestored();

    bool RendererReady() const { return ready_; }
    bool RendererDisabled() const { return disabled_; }
    // The vertex count in the buffers now, which is what RenderScene draws.
    int32_t UploadedVertexCount() const { return uploadedVertices_; }
    const GLApi& api() const { return gl_->api(); }

private:
    bool CanCallGL() const { return ready_ && !disabled_ && gl_->HasGL1() && gl_->ExtensionsLoaded(); }
    bool CompileShader(gl::GLenum kind, const char* source, gl::GLuint& shader);
    void DrawAxes();

    GLLibrary* gl_;
    bool ready_ = false;
    bool disabled_ = false;
    std::vector<T3p> triangles_;
    std::vector<int32_t> packed_;  // kept between uploads: fresh pages for a big model cost more than the packing
    int32_t uploadedVertices_ = 0;

    gl::GLuint meshArray_ = 0, meshPositions_ = 0, meshNormals_ = 0;
    std::array<gl::GLuint, 3> axisArrays_{}, axisBuffers_{};
    gl::GLuint ShaderProgram = 0;
    gl::GLint locMVP_ = 0, locClr_ = 0, locLight_ = 0, locNormalMatrix_ = 0, locModelView_ = 0;
};

}  // namespace korvel
