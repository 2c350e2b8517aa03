// gl_view_test.cpp — the 3D view on a real display: the default body drawn, camera and modes checked by pixels.
#include <gtest/gtest.h>

#include <QImage>
#include <QMouseEvent>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

#include "app/app_test_support.h"
#include "app/gl_loader.h"
#include "app/gl_view.h"
#include "engine/build_model.h"

namespace korvel {
namespace {

ModelState Build(const BuildInputs& in, ModelState m = {}) {
    ResetDimensions(m);
    BuildModel(m, in, *std::make_unique<NullCanvas>(640, 480), *std::make_unique<std::string>());
    return m;
}

const ModelState& DefaultBody() {
    static const ModelState m = Build({});
    return m;
}

int Count(const QImage& image, const std::function<bool(QColor)>& test) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += test(image.pixelColor(x, y));
    return n;
}

bool Black(QColor c) { return c.red() == 0 && c.green() == 0 && c.blue() == 0; }
bool Grey(QColor c) { return !Black(c) && c.red() == c.green() && c.green() == c.blue(); }
// Axis pixels of one channel only (a line between two pixel columns shares its coverage, so not at full strength).
int AxisPixels(const QImage& image, int channel) {
    return Count(image, [channel](QColor c) {
        const int v[3] = {c.red(), c.green(), c.blue()};
        return v[channel] > 100 && v[(channel + 1) % 3] < 40 && v[(channel + 2) % 3] < 40;
    });
}

class GLViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        testing::EnsureApplication();
        InitGLModule();
    }

    // A shown 640 x 480 top-level view, fitted to the model.
    std::unique_ptr<GLView> Show(const ModelState& m, GLLibrary& gl = SharedGL()) {
        auto view = std::make_unique<GLView>(gl);
        view->resize(640, 480);
        view->FitViewToModel(m);
        view->SetAxes(false);
        view->show();
        QCoreApplication::processEvents();
        return view;
    }

    QImage Grab(GLView& view, const char* suffix = "") {
        QImage image = view.grabFramebuffer().convertToFormat(QImage::Format_RGB32);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        testing::SaveScreenshot(image, std::string(info->name()) + suffix);
        return image;
    }
};

TEST_F(GLViewTest, DefaultBodyIsShadedGreyAndEverySettingChangesThePicture) {
    auto view = Show(DefaultBody());
    const QImage shaded = Grab(*view);
    ASSERT_FALSE(view->RendererDisabled());
    EXPECT_EQ(view->renderer().UploadedVertexCount(), 3 * (DefaultBody().TriangleLast + 1));
    const QColor centre = shaded.pixelColor(320, 240);
    EXPECT_TRUE(Grey(centre) && centre.red() > 60) << centre.name().toStdString();
    // Not clipped: the border stays background.
    EXPECT_EQ(Count(shaded.copy(1, 1, 638, 478), Black) + 2 * 640 + 2 * 478, Count(shaded, Black));
    EXPECT_GT(Count(shaded, Grey), 640 * 480 / 20);

    view->SetWireframe(true);
    const QImage wire = Grab(*view, "_wireframe");
    EXPECT_LT(Count(wire, Grey), Count(shaded, Grey));
    EXPECT_GT(Count(wire, [](QColor c) { return c == QColor(191, 191, 191); }), 1000);  // unlit 0.75 grey edges
    view->SetWireframe(false);
    view->SetAxes(true);
    const QImage axes = Grab(*view, "_axes");
    for (int channel = 0; channel < 3; ++channel) {
        EXPECT_EQ(AxisPixels(shaded, channel), 0);
        EXPECT_GT(AxisPixels(axes, channel), 20) << "axis " << channel;
    }
    view->SetAxes(false);
    view->SetViewAngles(90, 90);
    EXPECT_NE(Grab(*view, "_top"), shaded);
    view->SetViewAngles(30, 30);
    EXPECT_EQ(Grab(*view), shaded);
    view->SetZoom(0.999f);
    EXPECT_GT(Count(Grab(*view, "_zoom999"), Grey), 640 * 480 * 9 / 10);
    view->SetZoom(0.001f);
    const int far = Count(Grab(*view, "_zoom001"), Grey);
    EXPECT_TRUE(far > 0 && far < Count(shaded, Grey) / 2) << far;

    // A drag rotates unless Shift is held: event, position, Shift, then the expected yaw and pitch.
    struct Step { QEvent::Type type; QPoint p; bool shift; float yaw, pitch; };
    for (const Step& s : {Step{QEvent::MouseMove, {300, 200}, false, 30, 30},  // no drag yet
                          Step{QEvent::MouseButtonPress, {100, 100}, false, 30, 30},
                          Step{QEvent::MouseMove, {120, 90}, false, 50, 20},
                          Step{QEvent::MouseMove, {200, 200}, true, 50, 20},
                          Step{QEvent::MouseButtonRelease, {120, 90}, false, 50, 20},
                          Step{QEvent::MouseMove, {300, 300}, false, 50, 20}}) {
        QMouseEvent e(s.type, s.p, view->mapToGlobal(s.p), Qt::LeftButton, Qt::LeftButton,
                      s.shift ? Qt::ShiftModifier : Qt::NoModifier);
        QCoreApplication::sendEvent(view.get(), &e);
        EXPECT_EQ(std::pair(view->renderer().ViewYaw, view->renderer().ViewPitch), std::pair(s.yaw, s.pitch));
    }
}

TEST_F(GLViewTest, ReplacedListIsNeverReadWithoutANewFitAndAnEmptyOneDrawsOnlyTheBackground) {
    ModelState m = Build({});
    auto view = Show(m);
    const QImage before = Grab(*view, "_before");
    const int32_t vertices = view->renderer().UploadedVertexCount();
    ASSERT_GT(vertices, 0);
    // A 2D build (as a batch export leaves it) empties the list the buffers were filled from.
    BuildInputs in2d;
    in2d.Act3D = false;
    m = Build(in2d, std::move(m));
    m.Triangles.shrink_to_fit();
    view->DeleteSceneBuffers();  // and the next paint uploads the kept copy again
    EXPECT_EQ(Grab(*view, "_after"), before);
    EXPECT_EQ(view->renderer().UploadedVertexCount(), vertices);
    // A fit to a smaller model draws exactly the new count.
    BuildInputs coarse;
    coarse.nX = coarse.mYZ = 8;
    m = Build(coarse);
    view->FitViewToModel(m);
    Grab(*view, "_coarse");
    EXPECT_EQ(view->renderer().UploadedVertexCount(), 3 * (m.TriangleLast + 1));
    ModelState empty;
    empty.Centroid = {0.5, 0.1, 0.1};
    view->FitViewToModel(empty);
    EXPECT_EQ(Count(Grab(*view, "_empty"), Black), 640 * 480);
    EXPECT_FALSE(view->RendererDisabled());
}

TEST_F(GLViewTest, MovingToAnotherWindowKeepsThePicture) {
    auto first = std::make_unique<QWidget>();
    QWidget second;
    auto* view = new GLView(first.get());
    view->FitViewToModel(DefaultBody());
    view->SetAxes(false);
    for (QWidget* window : {first.get(), &second}) {
        view->setParent(window);  // a new top-level window gives the view a new context
        view->setGeometry(0, 0, 640, 480);
        window->resize(640, 480);
        window->show();
        view->show();
        EXPECT_TRUE(Grey(Grab(*view, window == &second ? "_moved" : "").pixelColor(320, 240)));
    }
    first.reset();  // the old window goes; the view lives on in the second
    EXPECT_TRUE(Grey(Grab(*view, "_alone").pixelColor(320, 240)));
}

TEST_F(GLViewTest, MissingEntryPointSwitchesTheViewOffQuietly) {
    GLLibrary gl;
    gl.AddRequiredName("glKorvelNoSuchEntryPoint");
    ASSERT_TRUE(gl.LoadGL(kDefaultGLLibrary));
    auto view = Show(DefaultBody(), gl);
    Grab(*view);
    EXPECT_TRUE(view->RendererDisabled());
    view->FitViewToModel(DefaultBody());
    view->DeleteSceneBuffers();
    Grab(*view, "_again");
    EXPECT_EQ(view->renderer().UploadedVertexCount(), 0);
}

}  // namespace
}  // namespace korvel
