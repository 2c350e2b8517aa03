// input_guard.h — the build's entry check: every input finite and inside the widest range any command allows.
#pragma once

#include <stdexcept>
#include <string>

#include "build_inputs.h"
#include "canvas.h"
#include "model.h"

namespace korvel {

// A build input outside every range the window, the dialogs and the files can produce. what() names the
// parameter and its value.
class BuildInputError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// Throws BuildInputError for the first input that no command can produce: a non-finite number, a slider
// value beyond its slider's ends by half a step or more, a count beyond the point limits, an unknown
// switch position, a canvas of absurd size, or a requested dimension that is neither natural nor positive.
void CheckBuildInputs(const ModelState& m, const BuildInputs& in, const Canvas& canvas);

}  // namespace korvel
