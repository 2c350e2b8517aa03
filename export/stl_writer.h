// stl_writer.h — binary STL of the model's triangle list, with an optional permutation of the axes.
#pragma once

#include <string>
#include <string_view>

#include "engine/model.h"

namespace korvel {

// The text at the front of every STL header. Never begins with "solid": readers take such a file for ASCII STL.
inline constexpr std::string_view StlHeaderText = "Binary STL written by korvel";

// Attribute word of every triangle record.
inline constexpr uint16_t StlAttribute = 0;

// Writes the triangles the list holds (at most TriangleLast + 1) as binary little-endian STL, creating or
// replacing fileName. axisMode follows RotateTriangleAxes: 0 as built, 1 writes (y, z, x), 2 writes (z, x, y);
// the rotation works on copies, the model stays as built. A triangle of zero area gets the normal (0, 0, 0).
// An empty list or a coordinate that is not finite raises ExportError before the file is touched. A file
// that cannot be created or written raises ExportError; a partly written file stays.
void ExportStl(const ModelState& m, const std::string& fileName, int axisMode);

}  // namespace korvel
