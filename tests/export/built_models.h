// built_models.h — models built through the real pipeline for the writer tests: bodies, wings, cuts, 2D sections.
#pragma once

#include <string>

#include "engine/build_inputs.h"
#include "engine/build_model.h"
#include "engine/canvas.h"
#include "engine/model.h"

namespace korvel::test {

inline ModelState Built(const BuildInputs& in) {
    ModelState m;
    NullCanvas canvas(in.CanvasWidth, in.CanvasHeight);
    std::string info;
    BuildModel(m, in, canvas, info);
    return m;
}

// A 3D model with the modeller's defaults, as a body or a wing.
inline BuildInputs Solid(bool wing) {
    BuildInputs in;
    in.Act3D = true;
    in.ActWing = wing;
    return in;
}

// The same model in section mode with cuts at the given fractions (1 = no cut) and an optional mirror.
inline BuildInputs SectionCut(bool wing, double csX, double csY, double csZ, bool mirror) {
    BuildInputs in = Solid(wing);
    in.Act3D = false;
    in.ActCutSec = true;
    in.csX = csX;
    in.csY = csY;
    in.csZ = csZ;
    in.ActMirror = mirror;
    return in;
}

// A 2D section of nX intervals.
inline BuildInputs Section2D(int32_t nX) {
    BuildInputs in;
    in.Act3D = false;
    in.ActCutSec = false;
    in.CanvasWidth = 400;
    in.CanvasHeight = 300;
    in.nX = nX;
    return in;
}

}  // namespace korvel::test
