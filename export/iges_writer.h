// iges_writer.h — IGES files (fixed 80-column form) of the model: section curves (entity 126) or surfaces (entity 128).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/model.h"
#include "export_common.h"
#include "export_options.h"

namespace korvel {

// Shows the IGES options to the user before a file is written. It receives a copy of the IGES options to
// edit and returns true to go on with them (OK) or false to write nothing (Cancel).
using IgesConfirm = std::function<bool(IgesOptions& options)>;

// The IGES text of a real: 12 significant digits at most, "D" before the exponent, "0." for zero
// (1.5 gives "1.5D0", -0.25 gives "-2.5D-1"). A value that is not finite raises ExportError.
std::string IgesReal(double value);
// The same text into out (room for 32 characters); returns its length.
std::size_t IgesRealChars(double value, char* out);

// Appends one parameter item to the pending text `line` of an entity's parameter data; when the item does
// not fit in the 64 columns any more, the pending text goes out as one record (into `out`) and the item
// starts the next. An empty item writes the pending text out. dePtr is the entity's first directory
// record number in 8 columns followed by "P"; pCount counts the parameter records written.
void IgesWriteParam(std::string& out, int32_t& pCount, std::string& line, std::string_view dePtr,
                    std::string_view item);

// A Hollerith string: the byte count, "H", the text. Characters outside printable ASCII (a UTF-8 sequence
// counts as one) become '_' first, so the count and the 80-column records stay right.
std::string IgesHollerith(std::string_view text);

// Packs the global parameters (each already followed by its delimiter) into the texts of the G records,
// at most 72 columns each. A parameter never shares a record with part of another one; a parameter longer
// than a record starts on a record of its own and continues on the next.
std::vector<std::string> IgesPackGlobal(const std::vector<std::string>& items);

// 2D mode: the upper and lower section curves as rational B-spline curves (entity 126), scaled by the chord
// length option and put in the XY or XZ plane. 3D mode: every surface patch and every cut-section plane as a
// rational B-spline surface (entity 128). With confirm set, it is asked first and Cancel returns false with
// no file touched. The model is fitted before the file is created, so a model that cannot be fitted raises
// ExportError and leaves no file; an error while writing passes on and a partly written file stays. The
// clock gives the time stamp of the global section. Returns true when the file was written.
bool ExportIgesCurves(const ModelState& m, const ExportOptions& options, const std::string& fileName,
                      const IgesConfirm& confirm = {}, const ExportClock& clock = ReadSystemClock);
bool ExportIgesSurfaces(const ModelState& m, const ExportOptions& options, const std::string& fileName,
                        const IgesConfirm& confirm = {}, const ExportClock& clock = ReadSystemClock);

}  // namespace korvel
