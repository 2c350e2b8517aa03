// batch_export.cpp — the parameter file's batch build and export, on a model state of its own.
#include "batch_export.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>

#include "engine/build_model.h"
#include "export/airfoil_dat_writer.h"
#include "export/curve_txt_writer.h"
#include "export/iges_writer.h"
#include "export/obj_writer.h"
#include "export/step_writer.h"
#include "export/stl_writer.h"

namespace korvel {

namespace {

// The smallest 2D canvas on which the build keeps its section.
constexpr int32_t kMinBatchCanvas = 11;

enum class Format { Unknown, Stl, Iges, Step, Obj, Dat, Txt };

Format FormatOf(const std::string& name) {
    if (name == "stl") return Format::Stl;
    if (name == "iges" || name == "igs") return Format::Iges;
    if (name == "step" || name == "stp") return Format::Step;
    if (name == "obj") return Format::Obj;
    if (name == "dat") return Format::Dat;
    if (name == "txt") return Format::Txt;
    return Format::Unknown;
}

std::string LowerExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    if (!ext.empty()) ext.erase(0, 1);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

BatchOutcome Refused(std::string target, const std::string& why) {
    return BatchOutcome{false, std::move(target), "Nothing exported. " + why};
}

// Why the file cannot be opened for reading (the system's reason where it gives one), or empty when it can.
// The reader takes a missing file for an empty one, which would blame the first key it lacks instead of the
// file; and opening a named pipe would wait for a writer that may never come.
std::string OpenFailure(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::strerror(errno);
    if (S_ISDIR(st.st_mode)) return std::strerror(EISDIR);
    if (!S_ISREG(st.st_mode)) return "not a regular file";
    if (::access(path.c_str(), R_OK) != 0) return std::strerror(errno);
    return {};
}

}  // namespace

BatchOutcome RunBatch(const BatchRequest& request, const ExportOptions& options, int32_t offsetCount,
                      int32_t canvasWidth, int32_t canvasHeight, const std::string& baseFolder) {
    const Format format = FormatOf(request.Format);
    if (format == Format::Unknown) return Refused({}, "Unknown format \"" + request.Format + "\".");
    const bool solid = request.Solid();
    if (format == Format::Stl && !solid) return Refused({}, "Format stl needs a 3D or section model (Mod3D or ModCutSection 1).");
    if ((format == Format::Dat || format == Format::Txt) && solid)
        return Refused({}, "Format " + request.Format + " needs a 2D model (Mod3D and ModCutSection 0).");
    if (request.File.empty()) return Refused({}, "The parameter file names no output file.");

    std::filesystem::path target(request.File);
    if (target.is_relative() && !baseFolder.empty()) target = std::filesystem::path(baseFolder) / target;
    const std::string file = target.string();
    const std::string ext = LowerExtension(file);
    if (FormatOf(ext) != format)
        return Refused(file, "The output file \"" + DisplayName(file) + "\" does not end in the extension of format " +
                                 request.Format + ".");

    try {
        ModelState m;
        m.LengthX = request.LengthX;
        m.WidthY = request.WidthY;
        m.HeightZ = request.HeightZ;
        BuildInputs in = request.Inputs;
        in.OffsetCount = offsetCount;
        in.CanvasWidth = solid ? canvasWidth : std::max(canvasWidth, kMinBatchCanvas);
        in.CanvasHeight = solid ? canvasHeight : std::max(canvasHeight, kMinBatchCanvas);
        NullCanvas canvas(in.CanvasWidth, in.CanvasHeight);
        std::string info;
        BuildModel(m, in, canvas, info);
        switch (format) {
            case Format::Stl: ExportStl(m, file, request.Rotation); break;
            case Format::Iges:
                (void)(solid ? ExportIgesSurfaces(m, options, file) : ExportIgesCurves(m, options, file));
                break;
            case Format::Step: solid ? ExportStepSurfaces(m, file) : ExportStepCurves(m, options.Airfoil, file); break;
            case Format::Obj: solid ? ExportObjSurfaces(m, file) : ExportObjCurves(m, options.Airfoil, file); break;
            case Format::Dat: ExportAirfoilDat(m, file); break;
            case Format::Txt: ExportCurveTxt(m, file); break;
            case Format::Unknown: break;
        }
    } catch (const std::exception& e) {
        return Refused(file, e.what());
    }
    return BatchOutcome{true, file, "Exported " + DisplayName(file)};
}

BatchOutcome RunParamsFile(const std::string& path, const ExportOptions& options, int32_t offsetCount,
                           int32_t canvasWidth, int32_t canvasHeight) {
    if (const std::string why = OpenFailure(path); !why.empty())
        return Refused({}, "The parameter file \"" + DisplayName(path) + "\" cannot be opened (" + why + ").");
    ParamsCheck check;
    try {
        check = ReadParamsFile(path);
    } catch (const std::exception& e) {
        return Refused({}, e.what());
    }
    if (!check.Valid())
        return Refused({}, "The parameter file \"" + DisplayName(path) + "\" is not valid: " + check.Invalid + ".");
    std::error_code ec;
    const std::string folder = std::filesystem::absolute(std::filesystem::path(path), ec).parent_path().string();
    return RunBatch(check.Request, options, offsetCount, canvasWidth, canvasHeight, folder);
}

}  // namespace korvel
