// qt_canvas_test.cpp — the section picture and pressure plot drawn for real on the Qt raster canvas, checked by pixels.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QRect>

#include <string>

#include "app/qt_canvas.h"
#include "engine/airfoil_drawing.h"
#include "engine/checked_int.h"
#include "engine/model.h"

namespace korvel {
namespace {

// One headless application object for the whole program, made before any test paints text.
void Headless() {
    if (QCoreApplication::instance() != nullptr) return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // never destroyed: at exit Qt's input-device statics may be gone already
}

// True when a pixel of the colour lies at (x, y), or within one pixel of it when near.
bool Has(const QImage& image, int x, int y, QColor colour, bool near = false) {
    for (int dy = -near; dy <= int(near); ++dy)
        for (int dx = -near; dx <= int(near); ++dx)
            if (image.pixelColor(x + dx, y + dy) == colour) return true;
    return false;
}

// Rows of the box holding pixels that pass the ink test: the drawn height of a text.
int InkRows(const QImage& image, QRect box, bool (*ink)(QColor)) {
    int rows = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if (ink(image.pixelColor(x, y))) {
                ++rows;
                break;
            }
    return rows;
}

TEST(QtCanvas, SectionPlotAndTextsLandOnTheirPixels) {
    Headless();
    const int W = 800, H = 500;
    QtCanvas canvas(W, H);
    ModelState m;  // the diamond of chord 1 and thickness 0.1, panels 1, 2 below and 3, 4 above
    m.SetSectionCount(4);
    m.SectionX = {0, 1.0, 0.5, 0.0, 0.5, 1.0, 0};
    m.SectionY = {0, 0.0, -0.05, 0.0, 0.05, 0.0, 0};
    m.SectionLE = 3;
    m.CpValues = {0.0, 1.0, -2.5, -0.4, 0.2};
    std::string info;
    DrawAirfoil(m, canvas, W, H, true, 0.5, 0.25, 3.0, info);
    const QImage& image = canvas.Image();

    // Layout in closed form: 45 pixels before the leading edge, one scale for both axes, chord mid-height;
    // Cp from -3 to 1 in steps of 4/15, Cp 1 on row 16 H / 17.
    const double scale = W / (1.0 + 60.0 / W), step = 4.0 / 15, top = -3.0 - step;
    const auto px = [&](double x) { return RoundToInt((x + 45.0 / W) * scale); };
    const auto py = [&](double y) { return RoundToInt(H / 2 - y * scale); };
    const auto cpRow = [&](double v) { return RoundToInt((v - top) * H / (17 * step)); };
    const QColor navy(0, 0, 128), white(255, 255, 255), red(255, 0, 0), green(0, 255, 0);
    // Black background, navy fill, white outline at the thickest point, the curves through their panel
    // points, the small turned section from chord 0.1 on the chord line, the grey vertical at chord 0.9.
    const struct { int x, y; QColor colour; bool near; } pixels[] = {
        {0, H - 1, Qt::black, false},          {W - 1, H - 1, Qt::black, false},
        {px(0.5), py(0.02), navy, false},      {px(0.3), py(-0.01), navy, false},
        {px(0.5), py(0.05), white, true},      {px(0.75), cpRow(1.0), red, true},
        {px(0.25), cpRow(-2.5), red, true},    {px(0.75), cpRow(0.2), green, true},
        {px(0.1), H / 2, QColor(255, 255, 0), true}, {px(0.9), 5, QColor(128, 128, 128), false}};
    for (const auto& p : pixels) EXPECT_TRUE(Has(image, p.x, p.y, p.colour, p.near)) << p.x << ", " << p.y;

    // Texts are drawn, not only measured: the green legend, the white figures and "CP" beside the axis
    // have ink a few rows high.
    const int h = canvas.TextHeight("H");
    ASSERT_GT(h, 5);
    const int x = W - 9 * h - 5;
    const auto isGreen = +[](QColor c) { return c.green() > 128 && c.red() < 100 && c.blue() < 100; };
    const auto isWhite = +[](QColor c) { return c.red() > 128 && c.green() > 128 && c.blue() > 128; };
    EXPECT_GE(InkRows(image, QRect(x, RoundToInt(0.5 * h), 9 * h, h), isGreen), h / 2);
    EXPECT_GE(InkRows(image, QRect(x, RoundToInt(4.5 * h), 9 * h, h), isWhite), h / 2);
    EXPECT_GE(InkRows(image, QRect(px(0.0) + 4, 10, 3 * h, h), isWhite), h / 3);
}

TEST(QtCanvas, FontsStandInWithFixedPixelSizesAndRectanglesStopShortOfTheFarCorner) {
    Headless();
    EXPECT_EQ(QtCanvas::FamilyFor("Arial"), "Liberation Sans");
    EXPECT_EQ(QtCanvas::FamilyFor("Tahoma"), "DejaVu Sans");
    EXPECT_EQ(QtCanvas::PixelSize(9), 12);
    QtCanvas canvas(100, 40);
    canvas.SetFont("Arial", 9, true, Rgb{255, 255, 255});
    const int small = canvas.TextHeight("H");
    canvas.SetFont("Arial", 18, true, Rgb{255, 255, 255});
    EXPECT_GT(canvas.TextHeight("H"), small);
    canvas.SetBrush(Rgb{0, 0, 128});
    canvas.SetPen(Rgb{0, 0, 128}, 1);
    canvas.Rectangle(10, 10, 20, 20);
    const QImage& image = canvas.Image();
    EXPECT_TRUE(Has(image, 10, 10, QColor(0, 0, 128)) && Has(image, 19, 19, QColor(0, 0, 128)));
    EXPECT_TRUE(Has(image, 20, 20, Qt::black) && Has(image, 20, 10, Qt::black) && Has(image, 10, 20, Qt::black));
}

}  // namespace
}  // namespace korvel
