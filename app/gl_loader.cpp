// gl_loader.cpp — opens the system GL library with dlopen and resolves each entry point by name.
#include "app/gl_loader.h"

#include <dlfcn.h>
#include <fenv.h>

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

namespace korvel {
namespace {

template <typename Fn>
void Resolve(const GLLibrary& lib, Fn& slot, const char* name, bool& ok) {
    slot = reinterpret_cast<Fn>(lib.GetGLProc(name, ok));
}

bool IsKnownName(const char* name) {
    auto same = [name](const char* n) { return std::strcmp(n, name) == 0; };
    const auto& a = GLLibrary::GL1Names();
    const auto& b = GLLibrary::ExtensionNames();
    return std::any_of(a.begin(), a.end(), same) || std::any_of(b.begin(), b.end(), same) ||
           std::strcmp(name, "glFlush") == 0 || std::strcmp(name, "glViewport") == 0;
}

}  // namespace

GLLibrary::~GLLibrary() { FreeGL(); }

const std::vector<const char*>& GLLibrary::GL1Names() {
    static const std::vector<const char*> names = {"glClear",  "glClearColor", "glCullFace",
                                                   "glEnable", "glGetString",  "glPolygonMode"};
    return names;
}

const std::vector<const char*>& GLLibrary::ExtensionNames() {
    static const std::vector<const char*> names = {
        "glGenVertexArrays",  "glBindVertexArray",  "glBufferData",        "glVertexAttribPointer",
        "glEnableVertexAttribArray", "glGenBuffers", "glBindBuffer",       "glDeleteVertexArrays",
        "glDeleteBuffers",    "glUseProgram",       "glDrawArrays",        "glUniform1i",
        "glUniform3f",        "glUniformMatrix3fv", "glUniformMatrix4fv",  "glGetShaderiv",
        "glGetShaderInfoLog", "glCreateShader",     "glShaderSource",      "glCompileShader",
        "glGetUniformLocation", "glAttachShader",   "glLinkProgram",       "glGetProgramiv",
        "glDeleteShader",     "glDetachShader",     "glCreateProgram"};
    return names;
}

bool GLLibrary::LoadGL(const std::string& path) {
    FreeGL();
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr && path == kDefaultGLLibrary) handle_ = dlopen("libGL.so", RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) return false;
    getProcAddress_ = reinterpret_cast<ProcAddressFn>(dlsym(handle_, "glXGetProcAddressARB"));
    // The GL 1.x entry points are not checked here: the renderer switches itself off when one is missing.
    bool ok = true;
    Resolve(*this, api_.Clear, "glClear", ok);
    Resolve(*this, api_.ClearColor, "glClearColor", ok);
    Resolve(*this, api_.CullFace, "glCullFace", ok);
    Resolve(*this, api_.Enable, "glEnable", ok);
    Resolve(*this, api_.GetString, "glGetString", ok);
    Resolve(*this, api_.PolygonMode, "glPolygonMode", ok);
    Resolve(*this, api_.Flush, "glFlush", ok);
    Resolve(*this, api_.Viewport, "glViewport", ok);
    return true;
}

bool GLLibrary::LoadGLExtensions() {
    bool ok = true;
    Resolve(*this, api_.GenVertexArrays, "glGenVertexArrays", ok);
    Resolve(*this, api_.BindVertexArray, "glBindVertexArray", ok);
    Resolve(*this, api_.BufferData, "glBufferData", ok);
    Resolve(*this, api_.VertexAttribPointer, "glVertexAttribPointer", ok);
    Resolve(*this, api_.EnableVertexAttribArray, "glEnableVertexAttribArray", ok);
    Resolve(*this, api_.GenBuffers, "glGenBuffers", ok);
    Resolve(*this, api_.BindBuffer, "glBindBuffer", ok);
    Resolve(*this, api_.DeleteVertexArrays, "glDeleteVertexArrays", ok);
    Resolve(*this, api_.DeleteBuffers, "glDeleteBuffers", ok);
    Resolve(*this, api_.UseProgram, "glUseProgram", ok);
    Resolve(*this, api_.DrawArrays, "glDrawArrays", ok);
    Resolve(*this, api_.Uniform1i, "glUniform1i", ok);
    Resolve(*this, api_.Uniform3f, "glUniform3f", ok);
    Resolve(*this, api_.UniformMatrix3fv, "glUniformMatrix3fv", ok);
    Resolve(*this, api_.UniformMatrix4fv, "glUniformMatrix4fv", ok);
    Resolve(*this, api_.GetShaderiv, "glGetShaderiv", ok);
    Resolve(*this, api_.GetShaderInfoLog, "glGetShaderInfoLog", ok);
    Resolve(*this, api_.CreateShader, "glCreateShader", ok);
    Resolve(*this, api_.ShaderSource, "glShaderSource", ok);
    Resolve(*this, api_.CompileShader, "glCompileShader", ok);
    Resolve(*this, api_.GetUniformLocation, "glGetUniformLocation", ok);
    Resolve(*this, api_.AttachShader, "glAttachShader", ok);
    Resolve(*this, api_.LinkProgram, "glLinkProgram", ok);
    Resolve(*this, api_.GetProgramiv, "glGetProgramiv", ok);
    Resolve(*this, api_.DeleteShader, "glDeleteShader", ok);
    Resolve(*this, api_.DetachShader, "glDetachShader", ok);
    Resolve(*this, api_.CreateProgram, "glCreateProgram", ok);
    for (const auto& name : extraRequired_) GetGLProc(name.c_str(), ok);
    extensionsLoaded_ = ok;
    return ok;
}

void* GLLibrary::GetGLProc(const char* name, bool& ok) const {
    void* p = handle_ != nullptr ? dlsym(handle_, name) : nullptr;
    // glXGetProcAddressARB answers every name with a dispatch stub, even one no driver has, so it is
    // asked only for the entry points this program knows; an unknown name stays missing.
    if (p == nullptr && getProcAddress_ != nullptr && IsKnownName(name))
        p = getProcAddress_(reinterpret_cast<const gl::GLubyte*>(name));
    if (p == nullptr) ok = false;
    return p;
}

void GLLibrary::FreeGL() {
    api_ = GLApi{};
    extensionsLoaded_ = false;
    getProcAddress_ = nullptr;
    if (handle_ != nullptr) dlclose(handle_);
    handle_ = nullptr;
}

bool GLLibrary::HasGL1() const {
    return api_.Clear != nullptr && api_.ClearColor != nullptr && api_.CullFace != nullptr &&
           api_.Enable != nullptr && api_.GetString != nullptr && api_.PolygonMode != nullptr;
}

GLLibrary& SharedGL() {
    static GLLibrary library;
    return library;
}

void MaskFloatingPointExceptions() {
    fedisableexcept(FE_ALL_EXCEPT);
#if defined(__x86_64__) || defined(__i386__)
    // The six SSE mask bits (invalid, denormal, divide, overflow, underflow, inexact); FTZ/DAZ untouched.
    _mm_setcsr(_mm_getcsr() | 0x1F80u);
#endif
}

void InitGLModule() {
    MaskFloatingPointExceptions();
    SharedGL().LoadGL(kDefaultGLLibrary);
}

void ShutdownGLModule() { SharedGL().FreeGL(); }

}  // namespace korvel
