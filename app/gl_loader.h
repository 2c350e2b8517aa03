// gl_loader.h — our own OpenGL entry-point loader: the system GL library opened by hand, every function looked up by name.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace korvel {

// The OpenGL types, spelled out so that this header does not drag a GL header into Qt's translation units.
namespace gl {
using GLenum = unsigned int;
using GLuint = unsigned int;
using GLint = int;
using GLsizei = int;
using GLfloat = float;
using GLboolean = unsigned char;
using GLbitfield = unsigned int;
using GLchar = char;
using GLubyte = unsigned char;
using GLsizeiptr = std::ptrdiff_t;
}  // namespace gl

// Every entry point the renderer calls. A null pointer means "not resolved": nobody calls it then.
struct GLApi {
    // GL 1.x, resolved when the library is loaded.
    void (*Clear)(gl::GLbitfield) = nullptr;
    void (*ClearColor)(gl::GLfloat, gl::GLfloat, gl::GLfloat, gl::GLfloat) = nullptr;
    void (*CullFace)(gl::GLenum) = nullptr;
    void (*Enable)(gl::GLenum) = nullptr;
    const gl::GLubyte* (*GetString)(gl::GLenum) = nullptr;
    void (*PolygonMode)(gl::GLenum, gl::GLenum) = nullptr;
    // Used by the view itself; optional.
    void (*Flush)() = nullptr;
    void (*Viewport)(gl::GLint, gl::GLint, gl::GLsizei, gl::GLsizei) = nullptr;

    // GL 2.0-3.0, resolved by LoadGLExtensions.
    void (*GenVertexArrays)(gl::GLsizei, gl::GLuint*) = nullptr;
    void (*BindVertexArray)(gl::GLuint) = nullptr;
    void (*BufferData)(gl::GLenum, gl::GLsizeiptr, const void*, gl::GLenum) = nullptr;
    void (*VertexAttribPointer)(gl::GLuint, gl::GLint, gl::GLenum, gl::GLboolean, gl::GLsizei, const void*) = nullptr;
    void (*EnableVertexAttribArray)(gl::GLuint) = nullptr;
    void (*GenBuffers)(gl::GLsizei, gl::GLuint*) = nullptr;
    void (*BindBuffer)(gl::GLenum, gl::GLuint) = nullptr;
    void (*DeleteVertexArrays)(gl::GLsizei, const gl::GLuint*) = nullptr;
    void (*DeleteBuffers)(gl::GLsizei, const gl::GLuint*) = nullptr;
    void (*UseProgram)(gl::GLuint) = nullptr;
    void (*DrawArrays)(gl::GLenum, gl::GLint, gl::GLsizei) = nullptr;
    void (*Uniform1i)(gl::GLint, gl::GLint) = nullptr;
    void (*Uniform3f)(gl::GLint, gl::GLfloat, gl::GLfloat, gl::GLfloat) = nullptr;
    void (*UniformMatrix3fv)(gl::GLint, gl::GLsizei, gl::GLboolean, const gl::GLfloat*) = nullptr;
    void (*UniformMatrix4fv)(gl::GLint, gl::GLsizei, gl::GLboolean, const gl::GLfloat*) = nullptr;
    void (*GetShaderiv)(gl::GLuint, gl::GLenum, gl::GLint*) = nullptr;
    void (*GetShaderInfoLog)(gl::GLuint, gl::GLsizei, gl::GLsizei*, gl::GLchar*) = nullptr;
    gl::GLuint (*CreateShader)(gl::GLenum) = nullptr;
    void (*ShaderSource)(gl::GLuint, gl::GLsizei, const gl::GLchar* const*, const gl::GLint*) = nullptr;
    void (*CompileShader)(gl::GLuint) = nullptr;
    gl::GLint (*GetUniformLocation)(gl::GLuint, const gl::GLchar*) = nullptr;
    void (*AttachShader)(gl::GLuint, gl::GLuint) = nullptr;
    void (*LinkProgram)(gl::GLuint) = nullptr;
    void (*GetProgramiv)(gl::GLuint, gl::GLenum, gl::GLint*) = nullptr;
    void (*DeleteShader)(gl::GLuint) = nullptr;
    void (*DetachShader)(gl::GLuint, gl::GLuint) = nullptr;
    gl::GLuint (*CreateProgram)() = nullptr;
};

// The system GL library and the entry points found in it. One object per process serves the window
// (SharedGL); tests make their own.
class GLLibrary {
public:
    GLLibrary() = default;
    ~GLLibrary();
    GLLibrary(const GLLibrary&) = delete;
    GLLibrary& operator=(const GLLibrary&) = delete;

    // Unloads whatever was loaded, opens the library (the unversioned name when the default one is
    // absent) and resolves the GL 1.x entry points. False when no library could be opened.
    bool LoadGL(const std::string& path);
    // Resolves the GL 2.0-3.0 entry points in their fixed order, going on after a miss; true only when
    // every one (and every extra required name) was found.
    bool LoadGLExtensions();
    // The address of a named entry point, or null with ok set to false.
    void* GetGLProc(const char* name, bool& ok) const;
    // Forgets every entry point and unloads the library.
    void FreeGL();

    bool Loaded() const { return handle_ != nullptr; }
    // True when every GL 1.x entry point the renderer calls is there.
    bool HasGL1() const;
    bool ExtensionsLoaded() const { return extensionsLoaded_; }
    const GLApi& api() const { return api_; }

    // For tests: names LoadGLExtensions must also find, so a missing entry point can be forced.
    void AddRequiredName(std::string name) { extraRequired_.push_back(std::move(name)); }

    static const std::vector<const char*>& GL1Names();
    static const std::vector<const char*>& ExtensionNames();

private:
    void* handle_ = nullptr;
    using ProcAddressFn = void* (*)(const gl::GLubyte*);
    ProcAddressFn getProcAddress_ = nullptr;
    bool extensionsLoaded_ = false;
    GLApi api_;
    std::vector<std::string> extraRequired_;
};

inline constexpr const char* kDefaultGLLibrary = "libGL.so.1";

// The process's GL library, used by every view unless a test hands one in.
GLLibrary& SharedGL();

// Program start: masks every floating-point exception of the processor (the Linux default, made sure
// of; traps are never enabled) and loads the system GL library into SharedGL.
void InitGLModule();
// Program end: unloads the GL library.
void ShutdownGLModule();
// Masks all six floating-point exceptions in the x87 and SSE control words.
void MaskFloatingPointExceptions();

}  // namespace korvel
