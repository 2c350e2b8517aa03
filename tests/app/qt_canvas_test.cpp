// qt_canvas_test.cpp — the section picture and pressure plot drawn for real on the Qt raster canvas, checked by pixels.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QRect>
#include <QDir>
#include <QFile>
#include <QImage>

#include <cmath>
#include <string>

#include "app/qt_canvas.h"
#include "engine/airfoil_drawing.h"
#include "engine/checked_int.h"
#include "engine/model.h"

namespace korvel {
namespace {

// One application object for the whole program, headless, created before any test paints text.
class HeadlessQt : public ::testing::Environment {
public:
    void SetUp() override {
        if (QCoreApplication::instance() != nullptr) return;
        qputenv("QT_QPA_PLATFORM", "offscreen");
        const QString runtime = QDir::tempPath() + "/korvel-test-runtime";
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
        static int argc = 1;
        static char name[] = "test_app";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
    }

private:
    QApplication* app_ = nullptr;
};
const ::testing::Environment* const kHeadlessQt = ::testing::AddGlobalTestEnvironment(new HeadlessQt);

// The diamond of chord 1 and thickness 0.1, panels 1, 2 below and 3, 4 above.
ModelState Diamond() {
    ModelState m;
    m.SetSectionCount(4);
    m.SectionX = {0, 1.0, 0.5, 0.0, 0.5, 1.0, 0};
    m.SectionY = {0, 0.0, -0.05, 0.0, 0.05, 0.0, 0};
    m.SectionLE = 3;
    return m;
}

bool Is(const QImage& image, int x, int y, QColor colour) { return image.pixelColor(x, y) == colour; }

// True when a pixel of the colour lies within one pixel of (x, y).
bool Near(const QImage& image, int x, int y, QColor colour) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (Is(image, x + dx, y + dy, colour)) return true;
    return false;
}

// Rows of the box holding pixels whose channels pass the test: the drawn height of a text.
template <class Test>
int InkRows(const QImage& image, QRect box, Test test) {
    int rows = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        bool ink = false;
        for (int x = box.left(); x <= box.right() && !ink; ++x) ink = test(image.pixelColor(x, y));
        rows += ink ? 1 : 0;
    }
    return rows;
}

TEST(QtCanvas, SectionPlotAndTextsLandOnTheirPixels) {
    const int W = 800, H = 500;
    QtCanvas canvas(W, H);
    ModelState m = Diamond();
    m.CpValues = {0.0, 1.0, -2.5, -0.4, 0.2};
    std::string info;
    DrawAirfoil(m, canvas, W, H, true, 0.5, 0.25, 3.0, info);
    const QImage& image = canvas.Image();

    // Layout in closed form: 45 pixels before the leading edge, one scale for both axes, chord mid-height.
    const double scale = W / (1.0 + 60.0 / W);
    const auto px = [&](double x) { return RoundToInt((x + 45.0 / W) * scale); };
    const auto py = [&](double y) { return RoundToInt(H / 2 - y * scale); };

    // Background black everywhere the picture leaves alone.
    EXPECT_TRUE(Is(image, 0, H - 1, Qt::black));
    EXPECT_TRUE(Is(image, W - 1, H - 1, Qt::black));

    // Navy fill inside the section, white outline at its thickest point.
    EXPECT_TRUE(Is(image, px(0.5), py(0.02), QColor(0, 0, 128)));
    EXPECT_TRUE(Is(image, px(0.3), py(-0.01), QColor(0, 0, 128)));
    EXPECT_TRUE(Near(image, px(0.5), py(0.05), QColor(255, 255, 255)));

    // The curves through their panel points: Cp 1 on row 16 H / 17, the lowest Cp further up.
    const double step = 4.0 / 15, top = -3.0 - step;
    const auto cpRow = [&](double v) { return RoundToInt((v - top) * H / (17 * step)); };
    EXPECT_TRUE(Near(image, px(0.75), cpRow(1.0), QColor(255, 0, 0)));
    EXPECT_TRUE(Near(image, px(0.25), cpRow(-2.5), QColor(255, 0, 0)));
    EXPECT_TRUE(Near(image, px(0.75), cpRow(0.2), QColor(0, 255, 0)));
    // The small turned section starts at chord position 0.1 on the chord line.
    EXPECT_TRUE(Near(image, px(0.1), H / 2, QColor(255, 255, 0)));
    // Grey vertical grid at chord 0.9, above the section.
    EXPECT_TRUE(Is(image, px(0.9), 5, QColor(128, 128, 128)));

    // Texts are drawn, not only measured: the green legend and the white figures have ink a few rows high.
    const int h = canvas.TextHeight("H");
    ASSERT_GT(h, 5);
    const int x = W - 9 * h - 5;
    const auto green = [](QColor c) { return c.green() > 128 && c.red() < 100 && c.blue() < 100; };
    const auto white = [](QColor c) { return c.red() > 128 && c.green() > 128 && c.blue() > 128; };
    const int upperRows = InkRows(image, QRect(x, RoundToInt(0.5 * h), 9 * h, h), green);
    EXPECT_GE(upperRows, h / 2);
    EXPECT_GE(InkRows(image, QRect(x, RoundToInt(4.5 * h), 9 * h, h), white), h / 2);
    // The axis label "CP" is white beside the axis near the top.
    EXPECT_GE(InkRows(image, QRect(px(0.0) + 4, 10, 3 * h, h), white), h / 3);
}

TEST(QtCanvas, FontsStandInWithFixedPixelSizes) {
    EXPECT_EQ(QtCanvas::FamilyFor("Arial"), "Liberation Sans");
    EXPECT_EQ(QtCanvas::FamilyFor("Tahoma"), "DejaVu Sans");
    EXPECT_EQ(QtCanvas::PixelSize(9), 12);
    QtCanvas canvas(100, 40);
    canvas.SetFont("Arial", 9, true, Rgb{255, 255, 255});
    const int small = canvas.TextHeight("H");
    canvas.SetFont("Arial", 18, true, Rgb{255, 255, 255});
    EXPECT_GT(canvas.TextHeight("H"), small);
    // A rectangle covers its corners up to but not including the far ones.
    canvas.SetBrush(Rgb{0, 0, 128});
    canvas.SetPen(Rgb{0, 0, 128}, 1);
    canvas.Rectangle(10, 10, 20, 20);
    const QImage& image = canvas.Image();
    EXPECT_TRUE(Is(image, 10, 10, QColor(0, 0, 128)));
    EXPECT_TRUE(Is(image, 19, 19, QColor(0, 0, 128)));
    EXPECT_TRUE(Is(image, 20, 20, Qt::black));
    canvas.Resize(30, 20);
    EXPECT_EQ(canvas.Width(), 30);
    EXPECT_EQ(canvas.Image().height(), 20);
}

}  // namespace
}  // namespace korvel
