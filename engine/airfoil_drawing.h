// airfoil_drawing.h — the 2D picture of the airfoil section with its pressure plot, and its lines of figures.
#pragma once

#include <cstdint>
#include <string>

#include "canvas.h"
#include "model.h"

namespace korvel {

// Clears the canvas and draws the section. With the tunnel on and NS below kSolverPanelLimit (the solver ran) it adds
// the pressure-coefficient plot, a small copy of the section turned to AOA, the two Cp curves and the legends;
// otherwise the section is drawn alone, turned to AOA. Height and area go on the drawing and, with Cl, Cd
// and AOA when the plot applies, onto info. W and H are what the build was given; the drawing itself
// uses the canvas's own size as read back (CanvasWidth, CanvasHeight, the height made even).
// CpValues is emptied. Non-finite pressures are left out of the plot; with none finite there is no plot.
void DrawAirfoil(ModelState& m, Canvas& canvas, int32_t W, int32_t H, bool tunnel, double Cl, double Cd, double AOA,
                 std::string& info);

}  // namespace korvel
