// section_drawing.cpp — the section-mode picture: the outline of one cut's cap with its position and extents.
#include "section_drawing.h"

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <limits>

#include "checked_int.h"
#include "drawing_colours.h"
#include "text_helpers.h"

namespace korvel {

namespace {

constexpr int32_t kMargin = 7;  // the drawing starts this far from the left and top edges
// The bitmap keeps a strip this high under the drawing for the axis cross and the figures, and this
// much room at the right; a bitmap no larger than kSmallest in either direction is not drawn on.
constexpr int32_t kFigureStrip = 65;
constexpr int32_t kRightRoom = 15;
constexpr int32_t kSmallest = 70;

// What one view looks at: the coordinate tested against the cut and the two it draws.
struct ViewAxes {
    int plane;        // 0 = X, 1 = Y, 2 = Z
    int horizontal;
    int vertical;
    Rgb hColour;
    Rgb vColour;
    const char* hName;
    const char* vName;
    const char* planeName;
};

constexpr ViewAxes kYZ{0, 1, 2, kGreen, kBlue, "Y", "Z", "X"};
constexpr ViewAxes kXZ{1, 0, 2, kRed, kBlue, "X", "Z", "Y"};
constexpr ViewAxes kXY{2, 0, 1, kRed, kGreen, "X", "Y", "Z"};

float Coordinate(const Point3f& p, int axis) { return axis == 0 ? p.x : (axis == 1 ? p.y : p.z); }
double Coordinate(const Vec3d& v, int axis) { return axis == 0 ? v.x : (axis == 1 ? v.y : v.z); }

// The cut position as the single-precision vertices hold it. The cap vertices were rounded from the same
// double the position is, so comparing in single precision finds them after a fit or a mirror too, and
// wherever the position is exactly a float the answer is the one an exact comparison gives.
bool OnPlane(float coordinate, double pos) {
    if (!(std::fabs(pos) <= static_cast<double>(FLT_MAX))) return static_cast<double>(coordinate) == pos;
    return coordinate == static_cast<float>(pos);
}

// A pixel coordinate: the model value rounded, then moved in by the margin (saturating, never wrapping).
int32_t Pixel(double scaled) {
    const int32_t r = RoundToInt(scaled);
    return r > std::numeric_limits<int32_t>::max() - kMargin ? std::numeric_limits<int32_t>::max() : r + kMargin;
}

// How far the fitted model reaches along one axis. The grid's extent is what the fit reports; a mirrored
// model is twice as wide as its grid, so where the triangle list reaches clearly further (beyond the
// rounding of its single-precision vertices) its own extent is used, keeping the whole cap in the picture.
double DrawingExtent(const ModelState& m, int axis) {
    const double grid = Coordinate(m.FittedSize, axis);
    const double mesh = Coordinate(m.NaturalSize, axis) * Coordinate(m.ScaleFactor, axis);
    return (m.TriangleLast >= 0 && mesh > grid * (1.0 + 1e-6)) ? mesh : grid;
}

void DrawView(ModelState& m, Canvas& canvas, std::string& info, const ViewAxes& view, double pos, double kx,
              double ky, double E) {
    const int32_t hc = m.CanvasHeight + kFigureStrip;  // the bitmap's height
    // The extremes start empty, so a cap lying wholly beyond the drawing's vertical extent still reports
    // its own smallest coordinates.
    double minH = std::numeric_limits<double>::infinity(), minV = minH, maxH = -minH, maxV = -minH;
    bool found = false;

    // Cap triangles of this cut, drawn as closed outlines with the pen in force.
    m.PolyPoints.assign(4, PixelPoint{});
    const int32_t last = m.TriangleLast < static_cast<int32_t>(m.Triangles.size())
                             ? m.TriangleLast
                             : static_cast<int32_t>(m.Triangles.size()) - 1;
    for (int32_t k = last; k >= 0; --k) {
        const T3p& t = m.Triangles[static_cast<std::size_t>(k)];
        if (!(OnPlane(Coordinate(t.p[0], view.plane), pos) && OnPlane(Coordinate(t.p[1], view.plane), pos) &&
              OnPlane(Coordinate(t.p[2], view.plane), pos))) {
            continue;
        }
        found = true;
        for (int corner = 0; corner < 3; ++corner) {
            const double h = Coordinate(t.p[corner], view.horizontal);
            const double v = Coordinate(t.p[corner], view.vertical);
            m.PolyPoints[static_cast<std::size_t>(corner)] = PixelPoint{Pixel(h * kx), Pixel((E - v) * ky)};
            if (h < minH) minH = h;
            if (h > maxH) maxH = h;
            if (v < minV) minV = v;
            if (v > maxV) maxV = v;
        }
        m.PolyPoints[3] = m.PolyPoints[0];
        canvas.Polyline(m.PolyPoints);
    }
    m.PolyPoints.clear();

    // Axis cross with the two letters.
    canvas.SetPen(view.hColour, 2);
    canvas.SetFont("Tahoma", 8, true, view.hColour);
    canvas.Line(17, hc - 13, 35, hc - 13);
    canvas.Text(40, hc - 15, view.hName);
    canvas.SetPen(view.vColour, 2);
    canvas.SetFont("Tahoma", 8, true, view.vColour);
    canvas.Line(17, hc - 13, 17, hc - 31);
    canvas.Text(5, hc - 43, view.vName);

    if (!found) return;  // no cap of this cut: no figures

    const std::string h(view.hName), v(view.vName);
    const std::string position = std::string(view.planeName) + "= " + FloatToText(pos);
    const std::string hMin = h + "min= " + FloatToText(minH);
    const std::string hMax = h + "max= " + FloatToText(maxH);
    const std::string hSpan = h + "max-" + h + "min= " + FloatToText(maxH - minH);
    const std::string vMin = v + "min= " + FloatToText(minV);
    const std::string vMax = v + "max= " + FloatToText(maxV);
    const std::string vSpan = v + "max-" + v + "min= " + FloatToText(maxV - minV);

    canvas.SetFont("Tahoma", 8, false, kWhite);
    canvas.Text(70, hc - 45, position);
    canvas.Text(70, hc - 32, hMin + "  ;  " + hMax + "  ;  " + hSpan);
    canvas.Text(70, hc - 19, vMin + "  ;  " + vMax + "  ;  " + vSpan);

    if (!info.empty()) info += '\n';
    info += position + '\n' + hMin + '\n' + hMax + '\n' + hSpan + '\n' + vMin + '\n' + vMax + '\n' + vSpan;
}

}  // namespace

void DrawSectionYZ(ModelState& m, Canvas& canvas, std::string& info, double pos, double kx, double ky, double E) {
    DrawView(m, canvas, info, kYZ, pos, kx, ky, E);
}

void DrawSectionXZ(ModelState& m, Canvas& canvas, std::string& info, double pos, double kx, double ky, double E) {
    DrawView(m, canvas, info, kXZ, pos, kx, ky, E);
}

void DrawSectionXY(ModelState& m, Canvas& canvas, std::string& info, double pos, double kx, double ky, double E) {
    DrawView(m, canvas, info, kXY, pos, kx, ky, E);
}

void DrawSection(ModelState& m, Canvas& canvas, int32_t W, int32_t H, int32_t view, double posX, double posY,
                 double posZ, std::string& info) {
    if (W <= kSmallest || H <= kSmallest) return;

    // The bitmap takes the size asked for; its size is read back. Cleared to black, outline outside.
    canvas.Resize(W, H);
    const int32_t width = canvas.Width(), height = canvas.Height();
    canvas.SetBrush(kBlack);
    canvas.SetPen(kWhite, 1);
    canvas.Rectangle(-1, -1, width + 1, height + 1);
    m.CanvasHeight = height - kFigureStrip;
    m.CanvasWidth = width - kRightRoom;

    int horizontalAxis = 1, verticalAxis = 2;
    if (view == 1) {
        horizontalAxis = 0;
    } else if (view == 2) {
        horizontalAxis = 0;
        verticalAxis = 1;
    }
    double eh = DrawingExtent(m, horizontalAxis);
    double e = DrawingExtent(m, verticalAxis);

    const double cw = m.CanvasWidth, ch = m.CanvasHeight;
    if (e / eh > ch / cw) {
        eh = cw * e / ch;
    } else {
        e = ch * eh / cw;
    }
    const double kx = cw / eh, ky = ch / e;

    if (view == 0) {
        DrawSectionYZ(m, canvas, info, posX, kx, ky, e);
    } else if (view == 1) {
        DrawSectionXZ(m, canvas, info, posY, kx, ky, e);
    } else if (view == 2) {
        DrawSectionXY(m, canvas, info, posZ, kx, ky, e);
    }
}

}  // namespace korvel
