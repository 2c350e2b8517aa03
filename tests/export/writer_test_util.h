// writer_test_util.h — shared fixtures of the writer tests: files, tools, OpenCASCADE, hand-made and built models.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/build_inputs.h"
#include "engine/mesh_checks.h"
#include "engine/mesh_internal.h"
#include "engine/model.h"
#include "engine/tangents.h"
#include "export/export_common.h"

namespace korvel::test {

namespace fs = std::filesystem;

// Reals of both signs in (-0.5, 0.5) x 2^e for e in [lowExponent, highExponent): the number writers'
// fast paths against the library, on both sides of their ranges.
inline std::vector<double> SampleReals(int count, int lowExponent, int highExponent) {
    std::mt19937_64 random(7);
    std::vector<double> out;
    for (int k = 0; k < count; ++k) {
        const int e = lowExponent + static_cast<int>(random() % static_cast<uint64_t>(highExponent - lowExponent));
        out.push_back(std::ldexp(static_cast<double>(random() >> 11) * 0x1p-53 - 0.5, e));
    }
    return out;
}

inline ClockReading FixedClock() { return ClockReading{LocalDateTime{2026, 12, 5, 17, 58, 53}, 60}; }

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline std::vector<std::string> ReadLines(const std::string& path) {
    std::stringstream in(ReadAll(path));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

inline void WriteWholeFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// Runs run and expects an E whose message holds text; what names the case in a failure.
template <class E, class F> void ExpectRefused(F&& run, const std::string& text, const std::string& what) {
    try {
        run();
        ADD_FAILURE() << what << " was not refused";
    } catch (const E& e) {
        EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << what << ": " << e.what();
    }
}

// A fresh folder for one test's files, removed with the object.
class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "korvel-export-XXXXXX").string();
        if (mkdtemp(tmpl.data()) != nullptr) dir_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string File(const std::string& name) const { return (dir_ / name).string(); }
    const std::filesystem::path& Folder() const { return dir_; }

private:
    std::filesystem::path dir_;
};

// Ends the test program with a message when a call made under it does not return in time (an open of a
// named pipe waits for ever), so such a fault fails its test instead of hanging the run.
class FailIfBlocked {
public:
    explicit FailIfBlocked(unsigned seconds = 10) {
        std::signal(SIGALRM, [](int) {
            static const char message[] = "\nblocked: a call did not return within its time limit\n";
            (void)!::write(2, message, sizeof message - 1);
            ::_exit(3);
        });
        ::alarm(seconds);
    }
    ~FailIfBlocked() { ::alarm(0); }
    FailIfBlocked(const FailIfBlocked&) = delete;
    FailIfBlocked& operator=(const FailIfBlocked&) = delete;
};

inline bool ToolOnPath(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command; returns everything it printed (stdout and stderr) and its exit status.
inline std::pair<int, std::string> RunCommand(const std::string& command) {
    std::string out;
    std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return {-1, out};
    std::array<char, 4096> buffer{};
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) out.append(buffer.data(), n);
    return {::pclose(pipe), out};
}

// The interpreter's plug-in loader wants unversioned library names, which the Debian package lacks: they
// are linked in a private folder put on LD_LIBRARY_PATH for the child only, never in the system.
struct OcctLinks {
    TempDir folder;
    fs::path dir;
    OcctLinks() {
        fs::path libs;
        for (const char* d : {"/usr/lib/x86_64-linux-gnu", "/usr/lib/aarch64-linux-gnu", "/usr/lib64", "/usr/lib"})
            if (libs.empty() && fs::exists(fs::path(d) / "libTKernel.so.7")) libs = d;
        if (libs.empty() || !ToolOnPath("occt-draw") || folder.Folder().empty()) return;
        dir = folder.Folder();
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(libs, ec)) {
            const std::string name = e.path().filename().string();
            if (name.rfind("libTK", 0) == 0 && name.size() > 5 && name.ends_with(".so.7")) fs::create_symlink(e.path(), dir / name.substr(0, name.size() - 2), ec);
        }
    }
};

inline const fs::path& OcctDir() {
    static OcctLinks links;
    return links.dir;
}

// Runs a Tcl script in OpenCASCADE's batch interpreter; returns what it printed. Runs at the same time
// need names of their own.
inline std::string RunOcct(const std::string& script, const std::string& name = "run") {
    const fs::path file = OcctDir() / (name + ".tcl");
    std::ofstream(file) << "pload MODELING OCAFKERNEL XDE\n" << script;
    const char* old = std::getenv("LD_LIBRARY_PATH");
    return RunCommand("cd '" + OcctDir().string() + "' && LD_LIBRARY_PATH='" + OcctDir().string() + (old && *old ? std::string(":") + old : "") +
                      "' timeout 600 occt-draw -b -f '" + file.string() + "'").second;
}

// OpenCASCADE's verdict on a STEP or IGES file: read into one shape that its checker finds valid.
inline bool OcctReadsValidShape(const std::string& path) {
    return RunOcct(std::string(path.ends_with(".igs") || path.ends_with(".iges") ? "ReadIges" : "ReadStep") + " D \"" +
                   fs::absolute(path).string() + "\"\nXGetOneShape s D\nputs [checkshape s]\n")
               .find("This shape seems to be valid") != std::string::npos;
}

// A flared half tube in two patches, meshed: rows along X over [0, 2], columns sweeping a half circle of radius
// 0.5 + 0.1 x from +Y over +Z to -Y; all tangents free; scale 1.
inline ModelState TinyModel(int32_t M = 4, int32_t N = 4) {
    ModelState m;
    m.SetGridM(M);
    m.SetGridN(N);
    AllocateGrid(m, true, false);
    for (int32_t i = 1; i <= M + 1; ++i) {
        for (int32_t j = 1; j <= N + 1; ++j) {
            const double x = 2.0 * (i - 1) / M, r = 0.5 + 0.1 * x, a = std::numbers::pi * (j - 1) / N;
            m.GridX[i][j] = x;
            m.GridY[i][j] = r * std::cos(a);
            m.GridZ[i][j] = r * std::sin(a);
        }
    }
    ResetSurfaceTangents(m);
    m.PatchFirst[0] = 1;
    m.PatchLast[0] = m.PatchFirst[1] = N / 2 + 1;
    m.PatchLast[1] = N + 1;
    m.ScaleFactor = Vec3d{1.0, 1.0, 1.0};
    TriangulateGrid(m);  // a built model always has its mesh beside the grid
    return m;
}

// The X cut plane of the tiny model: a 4 x 4 grid over y in [-0.5, 0.5], z in [0, 0.5] at x = 0.
inline void AddCutPlaneX(ModelState& m) {
    m.CutPlaneOn[0] = true;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            m.CutPlaneX[0][i][j] = 0.0;
            m.CutPlaneY[0][i][j] = -0.5 + i / 3.0;
            m.CutPlaneZ[0][i][j] = 0.5 * j / 3.0;
        }
    }
}

// An ellipse section of semi-axes 0.5 and 0.1 in ns intervals (ns even): points 1 and ns+1 at the trailing
// edge (1, 0), the lower side first, the leading edge (point ns/2 + 1) at (0, 0).
inline ModelState TinySection(int32_t ns = 8) {
    ModelState m;
    m.SetSectionCount(ns);
    AllocateGrid(m, false, true);
    for (int32_t k = 1; k <= ns + 1; ++k) {
        const double a = 2.0 * std::numbers::pi * (k - 1) / ns;
        m.SectionX[k] = 0.5 + 0.5 * std::cos(a);
        m.SectionY[k] = -0.1 * std::sin(a);
    }
    m.SectionLE = ns / 2 + 1;
    m.SectionY[1] = m.SectionY[m.SectionLE] = m.SectionY[ns + 1] = 0.0;
    m.SectionX[m.SectionLE] = 0.0;
    m.SectionTangents.X = {0.0, -0.6, 0.0, -0.6};
    m.SectionTangents.Y = {-0.65, 0.1, 0.65, -0.1};
    return m;
}

// The modeller's default body or wing, optionally in section mode with cuts at the given fractions
// (1 = no cut) and a mirror.
inline BuildInputs Solid(bool wing, double csX = 1.0, double csY = 1.0, double csZ = 1.0, bool mirror = false) {
    const bool cut = csX < 1.0 || csY < 1.0 || csZ < 1.0;
    return {.csX = csX, .csY = csY, .csZ = csZ, .ActCutSec = cut, .ActMirror = mirror, .Act3D = !cut, .ActWing = wing};
}

using testing::Build;

// A real configuration whose section cut keeps nothing: the build leaves no triangle.
inline BuildInputs EmptyCut() {
    return {.csX = 0.083, .csZ = 0.094, .y0 = -0.258, .c = 2, .SpanFamily = 1, .FlipHorizontal = 1, .ActCutSec = true, .ActCut = true,
            .ActMirror = true, .Act3D = false, .rc1 = 0.7224, .fY = 41.6};
}

inline BuildInputs Section2D(int32_t nX) { return {.nX = nX, .CanvasWidth = 400, .CanvasHeight = 300, .Act3D = false}; }

}  // namespace korvel::test
