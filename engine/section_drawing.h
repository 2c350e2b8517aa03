// section_drawing.h — the section-mode picture: the outline of one cut's cap with its position and extents.
#pragma once

#include <cstdint>
#include <string>

#include "canvas.h"
#include "model.h"

namespace korvel {

// Clears the canvas (W x H pixels) and draws the cap of one cut, fitted to the drawing area: view 0 the
// plane X = posX, 1 the plane Y = posY, 2 the plane Z = posZ. The cut's position and extents go under the
// drawing and, as lines, onto info. A canvas of 70 pixels or less either way is left as it was.
void DrawSection(ModelState& m, Canvas& canvas, int32_t W, int32_t H, int32_t view, double posX, double posY,
                 double posZ, std::string& info);

// One view each: pos is the cut's position on the view's own axis, kx and ky the pixels per model unit,
// E the vertical extent of the drawing area in model units.
void DrawSectionYZ(ModelState& m, Canvas& canvas, std::string& info, double pos, double kx, double ky, double E);
void DrawSectionXZ(ModelState& m, Canvas& canvas, std::string& info, double pos, double kx, double ky, double E);
void DrawSectionXY(ModelState& m, Canvas& canvas, std::string& info, double pos, double kx, double ky, double E);

}  // namespace korvel
