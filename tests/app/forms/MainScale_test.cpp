// The main window on a 1920 by 1080 screen at twice the scale (960 by 540 in the
// windows' pixels): the frame fits the screen's area, a document's chart is drawn at the
// screen's pixels.
#include <gtest/gtest.h>

#include <QScreen>

#include "app/forms/Child.h"
#include "chart/qt/GraphWidget.h"
#include "tests/app/forms/MainFixture.h"
#include "tests/support/QtTestApp.h"

namespace app::test {
namespace {

class MainScaleTest : public MainFormTest {
protected:
    // Before the fixture's members use the application object.
    static void SetUpTestSuite() { platform_test::ScaledQtTestApp<QApplication>(1920, 1080, "2"); }
};

TEST_F(MainScaleTest, TheFrameFitsTheScreenAndTheChartIsDrawnAtItsPixels) {
    TMainForm& form = ShowForm();
    ASSERT_EQ(form.devicePixelRatioF(), 2.0);
    const QRect area = form.screen()->availableGeometry();
    ASSERT_EQ(area.size(), QSize(960, 540));
    EXPECT_TRUE(area.contains(form.frameGeometry()))
        << form.frameGeometry().width() << "x" << form.frameGeometry().height();
    // Maximised: the area does not hold the designed 1000 by 660.
    EXPECT_TRUE(form.isMaximized());
    EXPECT_EQ(form.frameGeometry().size(), area.size());
    // Maximised, everything of it lies on the screen.
    EXPECT_LE(form.minimumSizeHint().width(), area.width());
    EXPECT_LE(form.minimumSizeHint().height(), area.height());

    form.MF_NewClick();
    QApplication::processEvents();
    ASSERT_EQ(form.Children().size(), 1u);
    const chart::TGraphWidget& chart = form.Children()[0]->ChartWidget();
    ASSERT_TRUE(chart.isVisible());
    EXPECT_EQ(chart.OffscreenImage().devicePixelRatio(), 2.0);
    EXPECT_EQ(chart.OffscreenImage().size(), chart.size() * 2);
}

}  // namespace
}  // namespace app::test
