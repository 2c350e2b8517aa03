// panel_state.h — the editable state of the main window's panel as plain data: what the history, the project file and the parameter file carry.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "param_table.h"

namespace korvel {

// Span distribution of the wing, as the menus offer it.
enum SpanDistribution : int32_t { SpanLinear = 0, SpanElliptical = 1, SpanJouk = 2 };

struct PanelState {
    std::array<int32_t, kBarCount> Positions{};     // by Bar
    std::array<double, kParamCount> Params{};       // the parameter array, by tag
    // Checked states of the actions, in the order the history stores them.
    bool ActMaximize = false;
    bool ActWireFrame = false;
    bool ActAxes = true;
    bool Act3D = true;
    bool ActCut = false;
    bool ActMirror = false;
    bool ActCutSec = false;
    bool ActWing = false;
    bool ActBars = true;
    bool ActTunnel = false;
    int32_t Span = SpanLinear;
    bool Set2Shown = false;                         // RB2D checked: modeller set 2 shown
    double LengthX = -1.0;                          // requested dimensions; -1 = natural size
    double WidthY = -1.0;
    double HeightZ = -1.0;
    bool KeepProportions = true;
    double AirfoilChordLength = 1.0;
    bool AirfoilXZPlane = false;
    int32_t MaxNPX = 64;                            // current maxima of the subdivision sliders
    int32_t MaxMPX = 64;
    std::string Status;                             // status bar panel 0

    int32_t& Pos(Bar b) { return Positions[static_cast<int>(b)]; }
    int32_t Pos(Bar b) const { return Positions[static_cast<int>(b)]; }
    bool Solid() const { return Act3D || ActCutSec; }
    friend bool operator==(const PanelState&, const PanelState&) = default;
};

// The window as it starts: every slider at its default, the scaled values read from them, the tangent
// factors at 0.65, the actions as designed.
PanelState DefaultPanelState();

}  // namespace korvel
