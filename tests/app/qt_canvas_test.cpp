// qt_canvas_test.cpp — the section picture and pressure plot drawn for real on the Qt raster canvas, checked by pixels.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QRect>

#include <cstdlib>
#include <string>
#include <utility>

#include "app/app_test_support.h"
#include "app/qt_canvas.h"
#include "engine/airfoil_drawing.h"
#include "engine/model.h"
#include "recording_canvas.h"

namespace korvel {
namespace {

QColor Of(Rgb c) { return QColor(c.r, c.g, c.b); }

// True when a pixel of the colour lies at (x, y) or next to it.
bool Has(const QImage& image, int x, int y, QColor colour) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.valid(x + dx, y + dy) && image.pixelColor(x + dx, y + dy) == colour) return true;
    return false;
}

// Rows of the box holding a pixel near the colour (text is smoothed): the drawn height of a text.
int InkRows(const QImage& image, QRect box, QColor colour) {
    int rows = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) + std::abs(c.blue() - colour.blue()) < 120) {
                ++rows;
                break;
            }
        }
    return rows;
}

TEST(QtCanvas, SectionPlotAndTextsLandOnTheirPixels) {
    testing::EnsureApplication();
    QtCanvas canvas(800, 500);
    testing::RecordingCanvas recorded(800, 500, &canvas);  // the image is checked where the drawing asked for pixels
    ModelState m = testing::Diamond({0.0, 1.0, -2.5, -0.4, 0.2});
    std::string info;
    DrawAirfoil(m, recorded, 800, 500, true, 0.5, 0.25, 3.0, info);
    const QImage& image = canvas.Image();
    const int h = canvas.TextHeight("H");
    ASSERT_GT(h, 5);
    EXPECT_TRUE(Has(image, 0, 499, Qt::black) && Has(image, 799, 499, Qt::black));
    int polylines = 0, texts = 0;
    for (const testing::CanvasCall& c : recorded.Calls()) {
        if (c.kind == testing::CallKind::Polygon) {  // filled inside, outlined at its corners
            const PixelPoint a = c.points.at(1), b = c.points.at(3);
            EXPECT_EQ(image.pixelColor((a.x + b.x) / 2, (a.y + b.y) / 2), Of(c.state.brush));
            EXPECT_TRUE(Has(image, a.x, a.y, Of(c.state.pen)));
        } else if (c.kind == testing::CallKind::Polyline && c.state.pen != Rgb{255, 255, 255}) {
            const PixelPoint p = c.points.at(c.points.size() / 2);
            EXPECT_TRUE(Has(image, p.x, p.y, Of(c.state.pen))) << p.x << ", " << p.y;
            ++polylines;
        } else if (c.kind == testing::CallKind::Text) {  // drawn, not only measured
            EXPECT_GE(InkRows(image, QRect(c.x1, c.y1, std::min(9 * h, 800 - c.x1), h), Of(c.state.fontColour)), h / 3) << c.text;
            ++texts;
        }
    }
    EXPECT_EQ(polylines, 3);
    EXPECT_EQ(texts, 23);  // the Cp caption and sixteen labels, two legends, four figures
}

TEST(QtCanvas, LargerFontsAreTallerAndRectanglesStopShortOfTheFarCorner) {
    testing::EnsureApplication();
    QtCanvas canvas(100, 40);
    canvas.SetFont("Arial", 9, true, Rgb{255, 255, 255});
    const int small = canvas.TextHeight("H");
    canvas.SetFont("Arial", 18, true, Rgb{255, 255, 255});
    EXPECT_GT(canvas.TextHeight("H"), small);
    canvas.SetBrush(Rgb{0, 0, 128});
    canvas.SetPen(Rgb{0, 0, 128}, 1);
    canvas.Rectangle(10, 10, 20, 20);
    const QImage& image = canvas.Image();
    EXPECT_TRUE(image.pixelColor(10, 10) == QColor(0, 0, 128) && image.pixelColor(19, 19) == QColor(0, 0, 128));
    for (auto [x, y] : {std::pair{20, 20}, {20, 10}, {10, 20}}) EXPECT_EQ(image.pixelColor(x, y), QColor(Qt::black));
}

}  // namespace
}  // namespace korvel
