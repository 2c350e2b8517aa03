// panel_rules.cpp — the visibility, enabling and caption rules of the panel, and the texts of a built model.
#include "panel_rules.h"

#include <algorithm>

#include "engine/checked_int.h"
#include "engine/text_helpers.h"

namespace korvel {

namespace {

std::string F(double v) { return FloatToText(v); }
std::string I(int32_t v) { return std::to_string(v); }

// Lowers a slider's maximum the way the control does: the position follows silently.
void LowerMax(PanelState& s, Bar b, int32_t max) { s.Pos(b) = std::min(s.Pos(b), max); }

}  // namespace

bool ModellerSetEnabled(const PanelState& s, bool set2) {
    const double tx = s.Params[set2 ? 32 : 10];
    const double tz = s.Params[set2 ? 33 : 11];
    // The thresholds are 80-bit constants: the lowest tz position (the double 0.004) lies above them.
    return static_cast<long double>(tx) >= 0.001L && static_cast<long double>(tz) > 0.004L;
}

std::string MdlrCaption(const PanelState& s, bool set2) {
    const auto& p = s.Params;
    if (set2)
        return "Mdlr: " + F(p[32]) + " ; " + F(p[33]) + " ; " + F(p[34]) + " ; " + F(p[35]) + " ; " +
               I(s.Pos(Bar::Versus2)) + " ; " + F(p[37]);
    return "Mdlr: " + F(p[10]) + " ; " + F(p[11]) + " ; " + F(p[12]) + " ; " + F(p[13]) + " ; " +
           I(s.Pos(Bar::Versus)) + " ; " + F(p[15]);
}

PanelLayout ComputeLayout(PanelState& s, bool barKTcBefore, int32_t maxPanels2D, int32_t maxSubdivisions3D) {
    PanelLayout l;
    const bool solid = s.Solid();
    l.BarsHint = s.ActBars ? "Disable Scroll Bars" : "Enable Scroll Bars";
    l.PanelGeoDates = s.Act3D;
    l.ImgBox = !s.Act3D;
    l.BoxFold = solid && s.ActWing;
    l.BoxFlip = !solid;
    l.ActCut = solid;
    l.ActWing = solid;
    l.ActView = s.Act3D;
    l.Span = s.ActWing;
    l.ActTunnel = !solid;
    l.ActMirror = s.ActCutSec && s.Act3D;
    if (!l.ActMirror) s.ActMirror = false;
    l.BoxCamber = !solid || s.ActWing;
    l.PanelWing23D = s.ActWing;
    // Only the shown set's enabling follows its values; set 1's KTc keeps its state while set 2 is shown.
    l.SetKTc = ModellerSetEnabled(s, s.Set2Shown);
    l.SetVersus = l.SetKTc || l.BoxFold;
    l.BarKTc = s.Set2Shown ? barKTcBefore : l.SetKTc;
    l.BoxSpanSection = s.Span < SpanJouk && l.BoxFold;
    l.BoxWingTip = l.BoxSpanSection;
    l.BoxCut = solid && s.ActCut;
    l.BoxAOA = !solid;
    l.BoxCutSec = s.ActCutSec;
    l.BoxCamera = s.Act3D;
    l.BarRB1 = solid && !s.ActWing;
    l.BarStretchYF = solid;
    l.BarStretchYD = l.BarKTc && solid;
    l.BarTypeSec2D = !s.Act3D;
    l.BarMPX = solid;

    auto& c = l.Caption;
    if (l.BoxFlip) c.Flip = "Flip Vertical, Horizontal: " + I(s.Pos(Bar::FlipVertical)) + " ; " +
                            I(s.Pos(Bar::FlipHorizontal));
    if (!solid) {
        l.Act3DHint = "3D";
        s.MaxNPX = maxPanels2D;
        LowerMax(s, Bar::NPX, s.MaxNPX);
        c.Points = "Panels: " + I(s.Pos(Bar::NPX));
    } else {
        LowerMax(s, Bar::Cut, s.ActWing ? 2 : 4);
        l.Act3DHint = "2D";
        s.MaxNPX = maxSubdivisions3D;
        LowerMax(s, Bar::NPX, s.MaxNPX);
        c.Points = "Subdivisions: " + I(s.Pos(Bar::NPX)) + "x" + I(s.Pos(Bar::MPX));
    }

    const auto& p = s.Params;
    c.TEA = "Edge Angle: " + F(p[2]) + "° ; " + F(p[3]) + "°";
    c.Thick = l.BarRB1 ? "Thickness: " + F(p[5]) + " ; " + F(p[6]) + " ; " + F(p[7]) + " ; " + F(p[8])
                       : "Thickness: " + F(p[5]) + " ; " + F(p[7]) + " ; " + F(p[8]);
    c.Camber = "Camber: " + F(p[9]);
    c.Mdlr = MdlrCaption(s, s.Set2Shown);
    if (l.BarStretchYD)
        c.Stretch = "Stretch Y,Z,Y: " + F(p[16]) + " ; " + F(p[17]) + " ; " + F(p[18]);
    else if (solid)
        c.Stretch = "Stretch Y,Z: " + F(p[16]) + " ; " + F(p[17]);
    else
        c.Stretch = "Stretch Y: " + F(p[17]);
    c.Fold = "Fold X,Z: " + F(p[20]) + " ; " + F(p[21]);
    c.SpanSection = "Span section: " + F(p[31]);
    c.WingTip = "Wing Tip: " + F(p[19]);
    c.Cut = "Cut: " + I(s.Pos(Bar::Cut));
    c.AOA = "Angle of Attack: " + F(p[30]) + "°";
    return l;
}

BuildInputs BuildInputsOf(const PanelState& s, int32_t canvasWidth, int32_t canvasHeight) {
    const auto& p = s.Params;
    BuildInputs in;
    in.nX = s.Pos(Bar::NPX);
    in.mYZ = s.Pos(Bar::MPX);
    in.CanvasWidth = canvasWidth;
    in.CanvasHeight = canvasHeight;
    in.tX = s.Pos(Bar::TypeSecX);
    in.csX = p[27];
    in.csY = p[28];
    in.csZ = p[29];
    in.x0 = p[5];
    in.y0 = p[9];
    in.Tea = p[2];
    in.Lea = p[3];
    in.tx3 = p[10];
    in.tY = s.Pos(Bar::TypeSecY);
    in.tZ = s.Pos(Bar::TypeSecZ);
    in.SectionView = s.Pos(Bar::TypeSec2D);
    in.vs3 = s.Pos(Bar::Versus);
    in.vs2 = s.Pos(Bar::Versus2);
    in.c = s.Pos(Bar::Cut);
    in.OffsetCount = s.MaxMPX;
    in.SpanFamily = s.Span;
    in.FlipVertical = s.Pos(Bar::FlipVertical);
    in.FlipHorizontal = s.Pos(Bar::FlipHorizontal);
    in.ActCutSec = s.ActCutSec;
    in.ActCut = s.ActCut;
    in.ActMirror = s.ActMirror;
    in.ActTunnel = s.ActTunnel;
    in.Act3D = s.Act3D;
    in.ActWing = s.ActWing;
    in.ActAxes = s.ActAxes;
    in.tz3 = p[11];
    in.kc3 = p[12];
    in.kt3 = p[13];
    in.nm3 = p[15];
    in.tx2 = p[32];
    in.tz2 = p[33];
    in.kc2 = p[34];
    in.kt2 = p[35];
    in.nm2 = p[37];
    in.rb = p[6];
    in.rc1 = p[7];
    in.rc2 = p[8];
    in.fY = p[16];
    in.fZ = p[17];
    in.dY = p[18];
    in.foldX = p[20];
    in.foldZ = p[21];
    in.ss = p[31];
    in.wt = p[19];
    in.AngleOfAttack = p[30];
    in.UpperLeadingEdge = p[40];
    in.UpperRoundedTrailingEdge = p[41];
    in.LowerLeadingEdge = p[42];
    in.LowerRoundedTrailingEdge = p[43];
    return in;
}

void AppendModelFigures(const ModelState& m, std::string& info) {
    double L = 0.0, W = 0.0, H = 0.0;
    GetDimensions(m, L, W, H);
    if (!info.empty()) info += '\n';
    info += "Length-X= " + F(L) + "\nWidth-Y= " + F(W) + "\nHeight-Z= " + F(H) + "\nSurface area= " +
            F(m.SurfaceArea) + "\nVolume= " + F(m.Volume) + "\nCenter Gravity= " + F(m.Centroid.x) + " ; " +
            F(m.Centroid.y) + " ; " + F(m.Centroid.z);
}

GeoLabels GeoLabelsOf(const ModelState& m) {
    double L = 0.0, W = 0.0, H = 0.0;
    GetDimensions(m, L, W, H);
    GeoLabels g;
    g.Length = "  Length-X: " + F(L) + " ";
    g.Width = " Width-Y: " + F(W) + " ";
    g.Height = " Height-Z: " + F(H) + " ";
    g.SurfVol = " Surface area: " + F(m.SurfaceArea) + " - Volume: " + F(m.Volume);
    if (m.Volume != 0.0)
        g.SurfVol += " - S/V: " + F(m.SurfaceArea / m.Volume) + " - Center Gravity: " + F(m.Centroid.x) + " ; " +
                     F(m.Centroid.y) + " ; " + F(m.Centroid.z);
    return g;
}

std::string CutSecCaption(const PanelState& s, const ModelState& m) {
    const auto& p = s.Params;
    if (s.Act3D) return "Section: X = " + F(p[27]) + " ; Y = " + F(p[28]) + " ; Z = " + F(p[29]);
    // The plane where the build put it, as the section drawing names it: the fraction times the model's
    // length after the cut would square the fraction.
    switch (s.Pos(Bar::TypeSec2D)) {
        case 0: return "YZ Section: X = " + F(m.CutPosition[0]);
        case 1: return "XZ Section: Y = " + F(m.CutPosition[1]);
        default: return "XY Section: Z = " + F(m.CutPosition[2]);
    }
}

namespace {

// One row: the sliders left to right with the row's 8 pixels of gaps shared out between them.
template <std::size_t N>
std::array<SliderSpan, N> PlaceRow(int32_t w, const std::array<int32_t, N>& widths) {
    constexpr std::size_t kGaps = 8;
    const int32_t end = std::max(w, 0);
    std::array<SliderSpan, N> row{};
    int32_t x = 0;
    for (std::size_t i = 0; i < N; ++i) {
        if (i > 0) x += static_cast<int32_t>(kGaps * i / (N - 1) - kGaps * (i - 1) / (N - 1));
        x = std::min(x, end);
        row[i] = {x, std::clamp(widths[i], 0, end - x)};
        x += row[i].width;
    }
    return row;
}

}  // namespace

SectionSliderPlaces SectionSliderPlacesOf(int32_t w) {
    const int32_t type = w / 4 - 1;
    const int32_t cut = TruncToInt(w * 0.3333333333333333) - 1;
    SectionSliderPlaces p;
    p.type = PlaceRow<4>(w, {type, type, type, w - 3 * type - 8});
    p.cut = PlaceRow<3>(w, {cut, cut, w - 2 * cut - 8});
    return p;
}

}  // namespace korvel
