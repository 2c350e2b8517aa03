// renderer.cpp — the camera maths, the normal packing and the GL calls that upload and draw the triangle list.
#include "app/renderer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "engine/big_buffer.h"
#include "engine/checked_int.h"
#include "engine/worker_pool.h"

namespace korvel {

const char* const kVertexShaderSource =
    "#version 330\nlayout (location=0) in vec3 vtx;\nlayout (location=1) in vec3 nrm;\nout vec3 vnrm;\n"
    "out vec3 vpos;\nuniform mat4 MVP;\nvoid main(){\ngl_Position=MVP*vec4(vtx,1.0);\nvnrm=nrm;\nvpos=vtx;\n}";

const char* const kFragmentShaderSource =
    "#version 330\nin vec3 vnrm;\nin vec3 vpos;\nout vec4 color;\nuniform vec3 clr;\nuniform int light;\n"
    "uniform mat3 NormalMatrix;\nuniform mat4 ModelViewMatrix;\nvoid main(){\nif (light==0){\n"
    "color=vec4(clr,1.0);\nreturn;\n}\nvec3 n=normalize(NormalMatrix*vnrm);\n"
    "vec3 v=normalize(-vec3(ModelViewMatrix*vec4(vpos,1.0)));\nvec3 h=normalize(vec3(0.0,0.5547,0.83205)+v);\n"
    "float diff=dot(vec3(0.0,0.5547,0.83205),n);\nfloat spec=pow(max(0.0,dot(n,h)),100.0);\n"
    "color=vec4(clr.rgb*0.4+clr.rgb*diff*0.7+vec3(1.0,1.0,1.0)*spec*0.75,1.0);\n}";

// --- matrices ----------------------------------------------------------------------------------------------

void MatMul4(Mat4& out, const Mat4& a, const Mat4& b) {
    Mat4 r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float s = 0.0f;
            for (int k = 0; k < 4; ++k) s += a[4 * i + k] * b[4 * k + j];
            r[4 * i + j] = s;
        }
    out = r;  // out may alias a or b
}

void TranslationMatrix(Mat4& out, float tx, float ty, float tz) {
    out = IdentityMatrix4;
    out[12] = tx;
    out[13] = ty;
    out[14] = tz;
}

void ScaleMatrix(Mat4& out, float s) {
    out = IdentityMatrix4;
    out[0] = out[5] = out[10] = s;
}

void RotationMatrix(Mat4& out, float a, float b) {
    constexpr float toRadians = std::numbers::pi_v<float> / 180.0f;
    const float ra = a * toRadians, rb = b * toRadians;
    const float sa = std::sin(ra), ca = std::cos(ra), sb = std::sin(rb), cb = std::cos(rb);
    out = IdentityMatrix4;
    out[0] = ca;
    out[1] = sa * cb;
    out[2] = -sa * sb;
    out[4] = -sa;
    out[5] = ca * cb;
    out[6] = -ca * sb;
    out[9] = sb;
    out[10] = cb;
}

void OrthoMatrix(Mat4& out, float left, float right, float bottom, float top, float nearZ, float farZ) {
    out = IdentityMatrix4;
    out[0] = 2.0f / (right - left);
    out[5] = 2.0f / (top - bottom);
    out[10] = -2.0f / (farZ - nearZ);
    out[12] = -(right + left) / (right - left);
    out[13] = -(top + bottom) / (top - bottom);
    out[14] = -(farZ + nearZ) / (farZ - nearZ);
}

void NormalMatrix3(Mat3& out, const Mat4& m) {
    auto e = [&m](int r, int c) { return m[4 * r + c]; };
    // Cofactor (r, c) of the upper 3 x 3 part, from the cyclic neighbours of row r and column c.
    auto cof = [&e](int r, int c) {
        const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
        return e(r1, c1) * e(r2, c2) - e(r1, c2) * e(r2, c1);
    };
    const float det = e(0, 0) * cof(0, 0) + e(0, 1) * cof(0, 1) + e(0, 2) * cof(0, 2);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) out[3 * r + c] = det == 0.0f ? 0.0f : cof(r, c) / det;
}

// --- normals -----------------------------------------------------------------------------------------------

namespace {

// The upper 10 bits of the 16-bit value of one unit component, as an unsigned field.
uint32_t NormalField(float c) {
    const int32_t v = c > 0.0f ? RoundToInt(c * 32767.0f) : RoundToInt(c * 32768.0f);
    return static_cast<uint32_t>(v >> 6) & 0x3FFu;  // >> on a negative value rounds toward minus infinity
}

}  // namespace

int32_t PackFaceNormal(const T3p& t) {
    const Point3f& p0 = t.p[0];
    const float ux = t.p[1].x - p0.x, uy = t.p[1].y - p0.y, uz = t.p[1].z - p0.z;
    const float vx = t.p[2].x - p0.x, vy = t.p[2].y - p0.y, vz = t.p[2].z - p0.z;
    float nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (len == 0.0f) return 0;
    nx /= len;
    ny /= len;
    nz /= len;
    return static_cast<int32_t>(NormalField(nx) | NormalField(ny) << 10 | NormalField(nz) << 20);
}

void PackFaceNormals(const std::vector<T3p>& triangles, std::vector<int32_t>& packed) {
    ReserveWithRoom(packed, 3 * triangles.size());
    packed.resize(3 * triangles.size());
    // Big lists are packed in slices on the solver's threads; each triangle's word depends on it alone.
    constexpr size_t kSlice = 1 << 16;
    const size_t slices = (triangles.size() + kSlice - 1) / kSlice;
    auto pack = [&](size_t slice, size_t) {
        const size_t end = std::min(triangles.size(), (slice + 1) * kSlice);
        int32_t* out = packed.data() + 3 * slice * kSlice;
        for (size_t i = slice * kSlice; i < end; ++i) {
            const int32_t w = PackFaceNormal(triangles[i]);
            out[0] = out[1] = out[2] = w;
            out += 3;
        }
    };
    RunTasks(slices, WorkerThreads(), pack);
}

// --- camera ------------------------------------------------------------------------------------------------

namespace {

float WrapDegrees(float a) {
    while (a > 360.0f) a -= 360.0f;
    while (a < 0.0f) a += 360.0f;
    return a;
}

}  // namespace

void Renderer::RotateView(int32_t dx, int32_t dy) {
    ViewYaw = WrapDegrees(ViewYaw + static_cast<float>(dx));
    ViewPitch = WrapDegrees(ViewPitch + static_cast<float>(dy));
}

void Renderer::SetViewAngles(float yaw, float pitch) {
    ViewYaw = yaw;
    ViewPitch = pitch;
}

void Renderer::SetZoom(float value) { ViewZoom = 1.0f - value; }

void Renderer::BuildModelView(Mat4& mv) const {
    Mat4 t, r, s, d;
    TranslationMatrix(t, -ViewCentre[0], -ViewCentre[1], -ViewCentre[2]);
    RotationMatrix(r, ViewYaw, 90.0f - ViewPitch);
    ScaleMatrix(s, ViewScale);
    TranslationMatrix(d, 0.0f, 0.0f, -2.0f);
    MatMul4(mv, t, r);
    MatMul4(mv, mv, s);
    MatMul4(mv, mv, d);
}

void Renderer::BuildProjection(Mat4& p, int32_t width, int32_t height) const {
    const float a = static_cast<float>(static_cast<double>(width) / (height == 0 ? 1.0 : static_cast<double>(height)));
    const float z = ViewZoom;
    if (a > 1.0f)
        OrthoMatrix(p, -z * a, z * a, -z, z, 0.01f, 10.0f);
    else
        OrthoMatrix(p, -z, z, -z / a, z / a, 0.01f, 10.0f);
}

void Renderer::FitToModel(const ModelState& m) {
    float size = 1.0f;
    for (double v : {m.NaturalSize.x, m.NaturalSize.y, m.NaturalSize.z, m.LengthX, m.WidthY, m.HeightZ,
                     m.GridSize.x, m.GridSize.y, m.GridSize.z})
        if (static_cast<double>(size) < v) size = static_cast<float>(v);  // a NaN never compares less
    ViewScale = 1.0f / size;
    ViewCentre = {static_cast<float>(m.Centroid.x), static_cast<float>(m.Centroid.y),
                  static_cast<float>(m.Centroid.z)};
    // Never trust the index beyond the array it indexes.
    const size_t count = std::min(static_cast<size_t>(std::max(m.TriangleLast + 1, 0)), m.Triangles.size());
    ReserveWithRoom(triangles_, count);
    triangles_.assign(m.Triangles.begin(), m.Triangles.begin() + static_cast<std::ptrdiff_t>(count));
}

void Renderer::ReleaseScene() {
    std::vector<T3p>().swap(triangles_);
    std::vector<int32_t>().swap(packed_);
}

// --- GL --------------------------------------------------------------------------------------------------------

void Renderer::ResetGLNames() {
    meshArray_ = meshPositions_ = meshNormals_ = 0;
    axisArrays_ = {};
    axisBuffers_ = {};
    locMVP_ = locClr_ = locLight_ = locNormalMatrix_ = locModelView_ = 0;
    uploadedVertices_ = 0;
}

void Renderer::InitRenderer() {
    if (ready_) return;
    ready_ = true;
    ResetGLNames();
    SetViewAngles(30.0f, 30.0f);
    SetZoom(0.5f);
    // A missing GL 1.x entry point counts like a missing later one: the renderer never calls a null pointer.
    const bool ok = gl_->HasGL1() && gl_->LoadGLExtensions() && BuildShaderProgram(ShaderProgram);
    if (!ok) {
        disabled_ = true;
        return;
    }
    GetUniformLocations();
    UploadScene();
}

bool Renderer::CompileShader(gl::GLenum kind, const char* source, gl::GLuint& shader) {
    const GLApi& f = gl_->api();
    shader = f.CreateShader(kind);
    f.ShaderSource(shader, 1, &source, nullptr);
    f.CompileShader(shader);
    gl::GLint status = 0;
    f.GetShaderiv(shader, GL_COMPILE_STATUS, &status);
    return status != 0;
}

bool Renderer::BuildShaderProgram(gl::GLuint& program) {
    if (!gl_->ExtensionsLoaded()) return false;
    const GLApi& f = gl_->api();
    gl::GLuint vs = 0, fs = 0;
    if (!CompileShader(GL_VERTEX_SHADER, kVertexShaderSource, vs)) return false;
    if (!CompileShader(GL_FRAGMENT_SHADER, kFragmentShaderSource, fs)) return false;
    program = f.CreateProgram();
    f.AttachShader(program, vs);
    f.AttachShader(program, fs);
    f.LinkProgram(program);
    gl::GLint status = 0;
    f.GetProgramiv(program, GL_LINK_STATUS, &status);
    f.DetachShader(program, vs);
    f.DetachShader(program, fs);
    f.DeleteShader(vs);
    f.DeleteShader(fs);
    return status != 0;
}

void Renderer::GetUniformLocations() {
    const GLApi& f = gl_->api();
    locMVP_ = f.GetUniformLocation(ShaderProgram, "MVP");
    locClr_ = f.GetUniformLocation(ShaderProgram, "clr");
    locLight_ = f.GetUniformLocation(ShaderProgram, "light");
    locNormalMatrix_ = f.GetUniformLocation(ShaderProgram, "NormalMatrix");
    locModelView_ = f.GetUniformLocation(ShaderProgram, "ModelViewMatrix");
}

void Renderer::DeleteSceneBuffers() {
    if (!CanCallGL()) return;
    const GLApi& f = gl_->api();
    auto drop = [&f](gl::GLuint& name, bool array) {
        if (name == 0) return;
        if (array)
            f.DeleteVertexArrays(1, &name);
        else
            f.DeleteBuffers(1, &name);
        name = 0;  // a second delete must not hit an object that has since taken the same name
    };
    drop(meshArray_, true);
    drop(meshPositions_, false);
    drop(meshNormals_, false);
    for (int k = 0; k < 3; ++k) {
        drop(axisArrays_[k], true);
        drop(axisBuffers_[k], false);
    }
    uploadedVertices_ = 0;
}

void Renderer::UploadScene() {
    if (!CanCallGL()) return;
    const GLApi& f = gl_->api();
    DeleteSceneBuffers();

    // One static buffer feeding one attribute of the bound vertex array.
    auto attribute = [&f](gl::GLuint& buffer, gl::GLuint index, gl::GLint size, gl::GLenum type, size_t bytes,
                          const void* data) {
        f.GenBuffers(1, &buffer);
        f.BindBuffer(GL_ARRAY_BUFFER, buffer);
        f.BufferData(GL_ARRAY_BUFFER, static_cast<gl::GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
        f.VertexAttribPointer(index, size, type, GL_FALSE, 0, nullptr);
        f.EnableVertexAttribArray(index);
    };
    const float cx = ViewCentre[0], cy = ViewCentre[1], cz = ViewCentre[2];
    const float axes[3][6] = {{-100 * cx, cy, cz, 100 * cx, cy, cz},
                              {cx, -100 * cy, cz, cx, 100 * cy, cz},
                              {cx, cy, -100 * cz, cx, cy, 100 * cz}};
    for (int k = 0; k < 3; ++k) {
        f.GenVertexArrays(1, &axisArrays_[k]);
        f.BindVertexArray(axisArrays_[k]);
        attribute(axisBuffers_[k], 0, 3, GL_FLOAT, sizeof axes[k], axes[k]);
    }

    PackFaceNormals(triangles_, packed_);
    f.GenVertexArrays(1, &meshArray_);
    f.BindVertexArray(meshArray_);
    attribute(meshPositions_, 0, 3, GL_FLOAT, triangles_.size() * sizeof(T3p), triangles_.data());
    attribute(meshNormals_, 1, 4, GL_INT_2_10_10_10_REV, packed_.size() * sizeof(int32_t), packed_.data());
    f.BindVertexArray(0);
    // What was uploaded is what will be drawn, whatever the model state holds later.
    uploadedVertices_ = static_cast<int32_t>(
        std::min<size_t>(packed_.size(), static_cast<size_t>(std::numeric_limits<int32_t>::max())));

    f.Enable(GL_CULL_FACE);
    f.CullFace(GL_BACK);
}

void Renderer::RenderScene(int32_t width, int32_t height, bool wireframe, bool axes) {
    if (!CanCallGL() || ShaderProgram == 0) return;
    const GLApi& f = gl_->api();
    f.ClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    f.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    f.Enable(GL_DEPTH_TEST);
    f.UseProgram(ShaderProgram);

    Mat4 mv, p, mvp;
    Mat3 n;
    BuildModelView(mv);
    BuildProjection(p, width, height);
    NormalMatrix3(n, mv);
    MatMul4(mvp, mv, p);
    f.UniformMatrix4fv(locMVP_, 1, GL_FALSE, mvp.data());
    f.UniformMatrix4fv(locModelView_, 1, GL_FALSE, mv.data());
    f.UniformMatrix3fv(locNormalMatrix_, 1, GL_FALSE, n.data());
    f.Uniform3f(locClr_, 0.75f, 0.75f, 0.75f);
    f.Uniform1i(locLight_, wireframe ? 0 : 1);
    f.PolygonMode(GL_FRONT_AND_BACK, wireframe ? GL_LINE : GL_FILL);

    if (meshArray_ != 0) {
        f.BindVertexArray(meshArray_);
        f.DrawArrays(GL_TRIANGLES, 0, uploadedVertices_);
        f.BindVertexArray(0);
    }
    if (axes) DrawAxes();
}

void Renderer::DrawAxes() {
    const GLApi& f = gl_->api();
    static constexpr float colours[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    f.Uniform1i(locLight_, 0);
    for (int k = 0; k < 3; ++k) {
        if (axisArrays_[k] == 0) continue;
        f.Uniform3f(locClr_, colours[k][0], colours[k][1], colours[k][2]);
        f.BindVertexArray(axisArrays_[k]);
        f.DrawArrays(GL_LINES, 0, 2);
    }
    f.BindVertexArray(0);
}

void Renderer::ContextLost() {
    DeleteSceneBuffers();
    ShaderProgram = 0;  // the program goes with its context
}

void Renderer::ContextRestored() {
    if (!ready_ || disabled_) return;
    ResetGLNames();
    if (!BuildShaderProgram(ShaderProgram)) {
        disabled_ = true;
        return;
    }
    GetUniformLocations();
    UploadScene();
}

}  // namespace korvel
