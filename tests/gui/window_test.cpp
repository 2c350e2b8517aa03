// window_test.cpp — the whole window on a real display with its 3D view: what a user sees in each mode, saved as screenshots.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>

#include "app/app_test_support.h"
#include "app/gl_loader.h"
#include "app/gl_view.h"
#include "app/image_box.h"
#include "app/main_window.h"
#include "app/scroll_bar.h"

namespace korvel {
namespace {

class RealWindow : public testing::WindowFixture {
protected:
    static void SetUpTestSuite() {
        testing::EnsureApplication();
        InitGLModule();
    }
    void SetUp() override {
        WindowFixture::SetUp();
        w->activateWindow();
        Settle();
    }
    void Settle() {
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }
    // The picture of the whole window, saved for a person to look at; the 3D view's part as the view drew it.
    QImage Shot(const std::string& name) {
        Settle();
        const QImage image = w->grab().toImage();
        testing::SaveScreenshot(image, name);
        return image;
    }
    // Share of the view's pixels that are neither black nor the window's own grey.
    static double Drawn(const QImage& view) {
        int n = 0;
        for (int y = 0; y < view.height(); y += 2)
            for (int x = 0; x < view.width(); x += 2) n += view.pixelColor(x, y) != QColor(Qt::black);
        return 4.0 * n / (view.width() * view.height());
    }

};

TEST_F(RealWindow, EachModeShowsItsModel) {
    ASSERT_NE(w->GLViewBox, nullptr);
    ASSERT_FALSE(w->GLViewBox->RendererDisabled());
    Shot("window_default_body");
    const QImage body = w->GLViewBox->grabFramebuffer();
    EXPECT_GT(Drawn(body), 0.02);
    EXPECT_EQ(body.pixelColor(2, 2), QColor(Qt::black));

    w->ActWing->trigger();
    Shot("window_default_wing");
    const QImage wing = w->GLViewBox->grabFramebuffer();
    EXPECT_GT(Drawn(wing), 0.02);
    EXPECT_NE(wing, body);

    w->ActCutSec->trigger();                  // the section of the wing in 3D
    w->BarOf(Bar::CutSecX)->SetPosition(400);  // cut across the wing at 40 % of its length
    w->Act3D->trigger();                      // section mode: the cut drawn in 2D
    Shot("window_section_mode");
    EXPECT_FALSE(w->ImgBox->isHidden());
    EXPECT_GT(Drawn(w->DrawBitmap.Image()), 0.001);

    w->ActCutSec->trigger();
    w->ActTunnel->trigger();
    Shot("window_2d_tunnel");
    EXPECT_NE(w->InfoText.find("Cl"), std::string::npos);
    EXPECT_GT(Drawn(w->DrawBitmap.Image()), 0.05);
}

// Outside 3D the hidden view holds no copy of the last solid model; back in 3D it draws the new one.
TEST_F(RealWindow, HiddenViewHoldsNoModelAndDrawsAgainInThreeD) {
    ASSERT_NE(w->GLViewBox, nullptr);
    const Renderer& r = w->GLViewBox->renderer();
    const int32_t vertices = r.UploadedVertexCount();
    ASSERT_GT(vertices, 0);
    w->Act3D->trigger();
    Settle();
    EXPECT_FALSE(r.HoldsScene());
    w->Act3D->trigger();
    Settle();
    EXPECT_EQ(r.UploadedVertexCount(), vertices);
    EXPECT_GT(Drawn(w->GLViewBox->grabFramebuffer()), 0.02);
}

}  // namespace
}  // namespace korvel
