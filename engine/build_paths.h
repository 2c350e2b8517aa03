// build_paths.h — the 3D build paths: the body or wing grid with modeller set 1, and its winding sign.
#pragma once

#include <cstdint>

#include "build_inputs.h"
#include "model.h"

namespace korvel {

// Builds the body grid for the cut mode of v (c becomes 0 unless ActCut) and bends it with set 1 when
// active. Returns the winding sign (+1 or -1) that the mesh step multiplies into Y.
int32_t BuildBodyModel(ModelState& m, BuildInputs& v);

// Builds the section (set 2 on the section, set 1 as its size), sweeps it into the wing grid and bends it
// with set 1 when active. c becomes 0 unless ActCut; wt may be forced to 0. Returns the winding sign.
int32_t BuildWingModel(ModelState& m, BuildInputs& v);

}  // namespace korvel
