// step_writer.h — the model as an ISO 10303-21 exchange file (AUTOMOTIVE_DESIGN): B-spline faces in 3D, the two section curves in 2D.
#pragma once

#include <string>

#include "engine/model.h"
#include "export_common.h"
#include "export_options.h"

namespace korvel {

// Writes every surface patch and every cut-section plane of a 3D model as a bounded B-spline face in its
// own shell, with layers and colours. The model is fitted and checked before the file is created: a model
// with nothing to export or with a degenerate patch throws ExportError and touches no file. A failing
// file operation throws ExportError; what was written stays. The model is not changed.
void ExportStepSurfaces(const ModelState& m, const std::string& fileName, const ExportClock& clock = ReadSystemClock);

// Writes the upper and lower curves of a 2D section, scaled and placed by the airfoil options. Throws
// ExportError, touching no file, when there is no section.
void ExportStepCurves(const ModelState& m, const AirfoilOptions& options, const std::string& fileName,
                      const ExportClock& clock = ReadSystemClock);

// Writes line as one line of the file and empties it when it is longer than 70 characters.
void StepFlushLine(OutputFile& f, std::string& line);

// The contents of an exchange-file string (without the enclosing quotes) for UTF-8 text: apostrophe and
// backslash doubled, everything outside printable ASCII encoded as \X2\hhhh...\X0\ (\X4\ beyond 16 bits).
std::string StepString(const std::string& utf8);

}  // namespace korvel
