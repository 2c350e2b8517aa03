// batch_export.h — the batch run of a parameter file: its own build of the file's model and the one export its [Output] names.
#pragma once

#include <cstdint>
#include <string>

#include "export/export_options.h"
#include "params_file.h"

namespace korvel {

// What a batch run did, for the window's status bar.
struct BatchOutcome {
    bool Written = false;
    std::string Target;  // the file written or refused (resolved), empty when none was named
    std::string Status;  // "Exported <file name>" or why nothing was written
};

// Builds the request's model on a model state of its own (the window's model, sizes, drawing and
// information text are not touched) and writes the export that the format names: stl (solid only),
// igs/iges, stp/step, obj (solid surfaces or 2D curves), dat and txt (2D only). The target's extension
// must match the format (compared in lower case); a relative target is taken relative to baseFolder.
// offsetCount is the window's BarMPX maximum; a 2D build gets a canvas of at least 11 x 11 pixels. The
// IGES options are used as they stand, without asking. Never throws: every failure is in the outcome.
BatchOutcome RunBatch(const BatchRequest& request, const ExportOptions& options, int32_t offsetCount,
                      int32_t canvasWidth, int32_t canvasHeight, const std::string& baseFolder = {});

// Reads and checks the parameter file, then RunBatch with the file's folder as the base for a relative
// target. A file that cannot be read or is invalid writes nothing and says why.
BatchOutcome RunParamsFile(const std::string& path, const ExportOptions& options, int32_t offsetCount,
                           int32_t canvasWidth, int32_t canvasHeight);

}  // namespace korvel
