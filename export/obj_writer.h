// obj_writer.h — the model as a Wavefront OBJ free-form file: B-spline surfaces in 3D, the two section curves in 2D.
#pragma once

#include <cstdint>
#include <string>

#include "engine/model.h"
#include "export_common.h"
#include "export_options.h"

namespace korvel {

// Writes every surface patch and cut-section plane as a B-spline surface group, fitted exactly as for the
// STEP file. The model is fitted and checked before the file is created: a model with nothing to export
// or a degenerate patch throws ExportError and touches no file; a failing file operation throws
// ExportError. The model is not changed.
void ExportObjSurfaces(const ModelState& m, const std::string& fileName);

// Writes the upper and lower section curves as B-spline curve groups. Throws ExportError, touching no
// file, when there is no section.
void ExportObjCurves(const ModelState& m, const AirfoilOptions& options, const std::string& fileName);

// Writes line with a trailing " \" and empties it when it is longer than 70 characters and the item just
// appended (index) is not the last of its list.
void ObjFlushLine(OutputFile& f, std::string& line, int32_t index, int32_t last);

}  // namespace korvel
