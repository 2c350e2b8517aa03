// panel_rules.h — what the panel shows for a state: which groups are visible and enabled, the captions, the build inputs and the model's figures as text.
#pragma once

#include <array>
#include <string>

#include "engine/build_inputs.h"
#include "engine/model.h"
#include "panel_state.h"

namespace korvel {

struct PanelLayout {
    // Visibility.
    bool PanelGeoDates = true;
    bool ImgBox = false;  // the 2D image instead of the 3D view
    bool BoxFold = false;
    bool BoxFlip = false;
    bool BoxCamber = true;
    bool BoxSpanSection = false;
    bool BoxWingTip = false;
    bool BoxCut = false;
    bool BoxAOA = false;
    bool BoxCutSec = false;
    bool BoxCamera = true;
    // Enabling.
    bool ActCut = true;
    bool ActWing = true;
    bool ActView = true;  // wireframe and axes
    bool Span = false;
    bool ActTunnel = false;
    bool ActMirror = false;
    bool PanelWing23D = false;
    bool SetKTc = false;  // KTc, KTt and Norm of the shown modeller set
    bool SetVersus = false;
    bool BarKTc = false;  // set 1's KTc as it now stands (decides BarStretchYD also while set 2 is shown)
    bool BarRB1 = true;
    bool BarStretchYF = true;
    bool BarStretchYD = true;
    bool BarTypeSec2D = false;
    bool BarMPX = true;
    // Texts.
    std::string BarsHint;   // ActBars' caption and hint
    std::string Act3DHint;  // Act3D's caption and hint
    struct {
        std::string Points, TEA, Thick, Camber, Mdlr, Stretch, Fold, SpanSection, WingTip, Cut, AOA, Flip;
    } Caption;
};

// The layout for a state, in the order the rebuild handler decides it. It also applies what the layout
// forces on the state: ActMirror unchecked when it cannot be used, BarNPX's maximum for the mode (from
// maxPanels2D or maxSubdivisions3D) and BarCut's for body or wing, positions clamped to lowered maxima.
// barKTcBefore is set 1's KTc enabling before this call: it stays when set 2 is the one shown.
PanelLayout ComputeLayout(PanelState& s, bool barKTcBefore, int32_t maxPanels2D, int32_t maxSubdivisions3D);

// BoxMdlr's caption from set 2 (set2 true) or set 1.
std::string MdlrCaption(const PanelState& s, bool set2);

// Enabling of a modeller set's sliders by its values: KTc, KTt and Norm follow the set being active.
bool ModellerSetEnabled(const PanelState& s, bool set2);

// The build inputs the window's state gives; the offset count is BarMPX's maximum.
BuildInputs BuildInputsOf(const PanelState& s, int32_t canvasWidth, int32_t canvasHeight);

// The figures appended to the information text after a build (a line feed first when info is not empty).
void AppendModelFigures(const ModelState& m, std::string& info);

// The four dimension labels of the 3D view.
struct GeoLabels {
    std::string Length, Width, Height, SurfVol;
};
GeoLabels GeoLabelsOf(const ModelState& m);

// BoxCutSec's caption after a build: the cut positions in 3D, the plane drawn and its place in section mode.
std::string CutSecCaption(const PanelState& s, const ModelState& m);

// Where the section sliders go in rows w pixels wide: the X, Y and Z type sliders and the plane slider in
// the first row, the X, Y and Z position sliders in the second. The widths are w div 4 - 1 for the type
// sliders (the plane slider takes what is left but 8 pixels) and trunc(w / 3) - 1 for the X and Y
// positions (Z likewise takes the rest but 8); the 8 pixels are the gaps, so each row ends flush at w.
// A row too narrow for that shrinks its sliders from the right: none overlaps another or reaches past w.
struct SliderSpan {
    int32_t x = 0;
    int32_t width = 0;
};
struct SectionSliderPlaces {
    std::array<SliderSpan, 4> type;
    std::array<SliderSpan, 3> cut;
};
SectionSliderPlaces SectionSliderPlacesOf(int32_t w);

}  // namespace korvel
