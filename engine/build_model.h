// build_model.h — the engine's single build entry: one parameter set in, the whole model state out.
#pragma once

#include <string>

#include "build_inputs.h"
#include "canvas.h"
#include "model.h"

namespace korvel {

// Rebuilds the model from the inputs: a body or wing in 3D and section modes, the airfoil section in 2D.
// The 2D drawings go to the canvas and their lines are appended to info. Inputs that no command can give
// throw BuildInputError (input_guard.h) before anything changes. Every build starts from the state before
// the first build (requested dimensions kept), so equal inputs leave equal models. An error inside the
// build leaves the work arrays freed and passes to the caller.
void BuildModel(ModelState& m, const BuildInputs& in, Canvas& canvas, std::string& info);

// Rounds a requested count up to the next multiple of a step (a count already on one stays).
int32_t RoundCountUp(int32_t count, int32_t step);

}  // namespace korvel
