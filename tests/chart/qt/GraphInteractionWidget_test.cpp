// The chart's panel under the mouse and the keyboard: selection, cursor drags, the copy
// key and the clipboard image, scroll bars that redraw when a scroll ends.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>

#include "chart/qt/GraphWidget.h"
#include "tests/chart/HeadlessHost.h"
#include "tests/chart/qt/QtTestApp.h"

namespace chart {
namespace {

using test::Styled;
using test::TCountingWidget;

class GraphInteractionWidgetTest : public testing::Test {
protected:
    GraphInteractionWidgetTest() {
        Widget.resize(400, 300);
        Graph.SetAutoscale(false);
        Graph.BeginUpdate();
        for (uint16_t row = 1; row <= 4; ++row) {
            Graph.AddSample(Styled(0, platform::clRed, 0, 15), row);
            Graph.AddSample(Styled(20, platform::clRed, 0, 15), row);
        }
        Graph.EndUpdate();
        Widget.show();
        QApplication::setActiveWindow(&Widget);
        QApplication::processEvents();
    }

    QPoint Band(int row) const { return {100, Graph.PlotArea.Top + (row - 1) * 26 + 10}; }

    void Send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
              Qt::KeyboardModifiers mods = {}) {
        QMouseEvent e(type, at, w->mapToGlobal(at), button, held, mods);
        QApplication::sendEvent(w, &e);
    }

    void Click(QPoint at, Qt::KeyboardModifiers mods) {
        Send(&Widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, mods);
        Send(&Widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton, mods);
    }

    void Key(int key, Qt::KeyboardModifiers mods, bool autoRepeat = false) {
        QKeyEvent e(QEvent::KeyPress, key, mods, QString(), autoRepeat);
        QApplication::sendEvent(&Widget, &e);
    }

    QApplication& Application = test::TestApp();
    TCountingWidget Widget;
    TGraph& Graph = Widget.Graph();
};

TEST_F(GraphInteractionWidgetTest, ClicksAndDragsSelectTraces) {
    Click(Band(2), {});
    EXPECT_TRUE(Graph.IsSelected(2));
    EXPECT_EQ(Graph.SelectedCount(), 1);
    EXPECT_EQ(QApplication::focusWidget(), &Widget);
    Click(Band(4), Qt::ShiftModifier);
    EXPECT_EQ(Graph.SelectedCount(), 3);
    Click(Band(3), Qt::ControlModifier);
    EXPECT_FALSE(Graph.IsSelected(3));
    const int draws = Widget.Draws;
    Send(&Widget, QEvent::MouseButtonPress, Band(1), Qt::LeftButton, Qt::LeftButton);
    Send(&Widget, QEvent::MouseMove, Band(3), Qt::NoButton, Qt::LeftButton);
    Send(&Widget, QEvent::MouseButtonRelease, Band(3), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(Graph.SelectedCount(), 3);
    EXPECT_FALSE(Graph.IsSelected(4));
    // A move without the button selects nothing.
    Send(&Widget, QEvent::MouseMove, Band(4), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(Graph.SelectedCount(), 3);
    EXPECT_EQ(Widget.Draws, draws);
}

TEST_F(GraphInteractionWidgetTest, DraggingACursorShowsItsReading) {
    QWidget* two = Widget.CursorTwo();
    EXPECT_EQ(two->pos(), QPoint(Graph.PlotArea.Left - 5, Graph.PlotArea.Bottom + 1));
    Send(two, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    // 5 + 38 pixels: one division of 10 mm to the right.
    Send(two, QEvent::MouseMove, {5 + 38, 5}, Qt::NoButton, Qt::LeftButton);
    Send(two, QEvent::MouseButtonRelease, {5 + 38, 5}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(two->x(), Graph.PlotArea.Left + 38 - 5);
    EXPECT_EQ(Widget.findChild<QLabel*>("CursorTwoValue")->text(), "1,005");
    EXPECT_EQ(Widget.findChild<QLabel*>("SpanLabel")->text(), "dt=1,005");
    EXPECT_EQ(Widget.findChild<QLabel*>("CursorTwoCaption")->text(), "x2= ");
    EXPECT_EQ(Widget.findChild<QLabel*>("CursorOneCaption")->x(), 30);
    EXPECT_EQ(Widget.findChild<QLabel*>("CursorTwoCaption")->x(), 150);
}

TEST_F(GraphInteractionWidgetTest, CtrlCCopiesOnceAndOtherKeysDoNothing) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    Graph.SetSelected(1, 1);
    struct Case {
        const char* What;
        int Key;
        Qt::KeyboardModifiers Mods;
        bool AutoRepeat, Copies;
    };
    const Case cases[] = {
        {"auto-repeat", Qt::Key_C, Qt::ControlModifier, true, false},
        {"arrow", Qt::Key_Right, {}, false, false},
        {"plain c", Qt::Key_C, {}, false, false},
        {"ctrl+alt+c", Qt::Key_C, Qt::ControlModifier | Qt::AltModifier, false, false},
        {"ctrl+c", Qt::Key_C, Qt::ControlModifier, false, true},
        {"ctrl+shift+c", Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier, false, true},
    };
    const int draws = Widget.Draws;
    const int timeValue = Widget.TimeScrollBar()->value();
    for (const Case& c : cases) {
        clipboard->clear();
        Key(c.Key, c.Mods, c.AutoRepeat);
        EXPECT_EQ(!clipboard->image().isNull(), c.Copies) << c.What;
    }
    EXPECT_EQ(Widget.Draws, draws);
    EXPECT_EQ(Widget.TimeScrollBar()->value(), timeValue);
    // 10 + 26 + 38 high; 10 + 20 s of 10 mm (756 px) wide; a black frame round white.
    Key(Qt::Key_C, Qt::ControlModifier);
    const QImage image = clipboard->image().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(image.size(), QSize(10 + 756, 74));
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(5, 5), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(50, 35), qRgb(255, 0, 0));  // the ON line on the band's bottom
}

TEST_F(GraphInteractionWidgetTest, AReleasedThumbRedrawsOnce) {
    QScrollBar* bar = Widget.TimeScrollBar();
    int draws = Widget.Draws;
    bar->setSliderDown(true);
    bar->setSliderPosition(5);
    bar->setSliderPosition(9);
    EXPECT_EQ(Widget.Draws, draws);
    bar->setSliderDown(false);
    EXPECT_EQ(Widget.Draws, draws + 1);
    EXPECT_EQ(Graph.TimeScrollBar.Position, 9);
    draws = Widget.Draws;
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(Widget.Draws, draws + 1);
    EXPECT_EQ(Graph.TimeScrollBar.Position, 14);
    draws = Widget.Draws;
    Widget.TraceScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(Widget.Draws, draws + 1);
    EXPECT_EQ(Graph.TraceScrollBar.Position, 1);
}

}  // namespace
}  // namespace chart
