// The setup dialog, shown modally and driven from a zero-delay timer, so no test waits
// on a window.
#include "chart/qt/Graphdlg.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "chart/qt/GraphWidget.h"
#include "platform/Prompts.h"
#include "tests/chart/HeadlessHost.h"
#include "tests/chart/qt/QtTestApp.h"

namespace chart {
namespace {

using test::Styled;
using test::TCountingWidget;

template <typename T = QWidget>
T* Child(QWidget* parent, const char* name) {
    T* w = parent->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

class GraphdlgTest : public testing::Test {
protected:
    GraphdlgTest() {
        Widget.resize(400, 200);
        Graph.SetAutoscale(false);
        Graph.BeginUpdate();
        Graph.AddSample(Styled(0, platform::clRed, 0, 15), 1);
        Graph.AddSample(Styled(20, platform::clRed, 0, 15), 1);
        Graph.EndUpdate();
        Widget.show();
        QApplication::processEvents();
    }

    // Runs the chart's setup with the dialog handled by `drive` once it is shown.
    bool RunSetup(const std::function<void(TGraphSetup&)>& drive) {
        bool driven = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = dynamic_cast<TGraphSetup*>(QApplication::activeModalWidget());
            if (!dialog) return;
            driven = true;
            drive(*dialog);
        });
        const bool ok = Widget.Setup();
        EXPECT_TRUE(driven);
        return ok;
    }

    static void Click(TGraphSetup& d, const char* name) { Child<QAbstractButton>(&d, name)->click(); }
    static void Spin(TGraphSetup& d, const char* spin, bool up) {
        Child<QToolButton>(Child(&d, spin), up ? "UpButton" : "DownButton")->click();
    }

    QApplication& Application = test::TestApp();
    TCountingWidget Widget;
    TGraph& Graph = Widget.Graph();
    platform::TRecordingPrompts Prompts;
    platform::TPromptsScope PromptsScope{Prompts};
};

TEST_F(GraphdlgTest, TheFormAsCreated) {
    TGraphSetup d;
    EXPECT_EQ(d.objectName(), "GraphSetup");
    EXPECT_EQ(d.windowTitle(), "Graph setup");
    EXPECT_EQ(d.size(), QSize(438, 273));
    EXPECT_TRUE(d.font().bold());
    EXPECT_EQ(d.font().pointSize(), 8);
    const std::pair<const char*, const char*> buttons[] = {
        {"OKBtn", "OK"},
        {"CancelBtn", "Cancel"},
        {"HelpBtn", "Help"},
        {"rbSelectAll", "All value from time axis"},
        {"rbSelectMark", "Appointed with cursors time"},
        {"btnColorSetup1", "---"},
        {"Button1", "---"},
        {"cbShowMajor", "Visible"},
        {"cbShowMinor", "Visible"},
    };
    for (const auto& [name, text] : buttons)
        EXPECT_EQ(Child<QAbstractButton>(&d, name)->text(), text) << name;
    QWidget* panel = Child(&d, "ButtonPanel");
    EXPECT_EQ(Child(&d, "OKBtn")->parentWidget(), panel);
    EXPECT_EQ(panel->geometry().right(), 437);
    EXPECT_EQ(Child<QGroupBox>(&d, "gbTime")->title(), "In copying process copy for");
    for (const char* name : {"Edit1", "Edit2", "edit_dXPerDiv", "editdXLen", "edit_MinorGridCnt"})
        Child<QLineEdit>(&d, name);
    for (const char* name : {"Shape1", "Shape2"}) Child<QFrame>(&d, name);
    for (const char* name : {"SpinButton1", "SpinButton2"})
        EXPECT_EQ(Child(&d, name)->findChildren<QToolButton*>().size(), 2) << name;
    EXPECT_NE(d.findChild<QColorDialog*>("ColorDialog1"), nullptr);
    QStringList labels;
    for (const QLabel* l : d.findChildren<QLabel*>()) labels << l->text();
    for (const char* text : {"Thickness [mm]", "Colour", "Kind of lines", "X axis", "Value/scale",
                             "Lenght of primary scale", "Il auxiliary scale"})
        EXPECT_TRUE(labels.contains(text)) << text;
    QStringList titles;
    for (const QGroupBox* g : d.findChildren<QGroupBox*>()) titles << g->title();
    EXPECT_TRUE(titles.contains("Mainlines grid"));
    EXPECT_TRUE(titles.contains("Auxiliary lines grid"));
    auto* tabs = Child<QTabBar>(&d, "TabSet");
    auto* book = Child<QStackedWidget>(&d, "Notebook");
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), "Copy");
    EXPECT_EQ(tabs->tabText(1), "Auxiliary line");
    EXPECT_EQ(tabs->tabText(2), "Scaling");
    EXPECT_EQ(tabs->shape(), QTabBar::RoundedSouth);
    EXPECT_EQ(book->currentIndex(), 1);  // opens on "Auxiliary line"
    tabs->setCurrentIndex(2);
    EXPECT_EQ(book->currentIndex(), 2);
}

TEST_F(GraphdlgTest, WidthsShowWithACommaCutToFourCharacters) {
    TGraphSetup d;
    struct Case {
        long double Width;
        const char* Text;
    };
    for (const Case c : {Case{0.2L, "0,2"}, Case{0.125L, "0,12"}, Case{3, "3"}, Case{12.5L, "12,5"}}) {
        d.SetMajorWidth(c.Width);
        EXPECT_EQ(Child<QLineEdit>(&d, "Edit1")->text(), c.Text);
        // Untouched, the edit gives back the width exactly.
        EXPECT_EQ(d.GetMajorWidth(), c.Width);
    }
}

TEST_F(GraphdlgTest, SpinsStepByATenthAndOkTakesTheAbsoluteValue) {
    Graph.MajorGridWidth = 0.1L;
    Graph.MinorGridWidth = 0.3L;
    const bool ok = RunSetup([](TGraphSetup& d) {
        auto* edit1 = Child<QLineEdit>(&d, "Edit1");
        auto* edit2 = Child<QLineEdit>(&d, "Edit2");
        Spin(d, "SpinButton1", false);
        EXPECT_EQ(edit1->text(), "0");
        Spin(d, "SpinButton1", false);
        EXPECT_EQ(edit1->text(), "-0,1");
        Spin(d, "SpinButton2", false);
        EXPECT_EQ(edit2->text(), "0,2");
        Spin(d, "SpinButton2", true);
        Spin(d, "SpinButton2", true);
        EXPECT_EQ(edit2->text(), "0,4");
        Click(d, "OKBtn");
    });
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(static_cast<double>(Graph.MajorGridWidth), 0.1);
    EXPECT_DOUBLE_EQ(static_cast<double>(Graph.MinorGridWidth), 0.4);
}

TEST_F(GraphdlgTest, CancelKeepsEverythingButRedraws) {
    Graph.ShowMajorGrid = false;
    const int draws = Widget.Draws;
    const bool ok = RunSetup([](TGraphSetup& d) {
        Click(d, "cbShowMajor");
        Click(d, "rbSelectMark");
        Child<QLineEdit>(&d, "edit_dXPerDiv")->setText("5");
        Child<QLineEdit>(&d, "Edit1")->setText("3");
        Click(d, "CancelBtn");
    });
    EXPECT_FALSE(ok);
    EXPECT_FALSE(Graph.ShowMajorGrid);
    EXPECT_TRUE(Graph.CopyWholeRange);
    EXPECT_EQ(Graph.ValuePerDivision, 1.0);
    EXPECT_EQ(Graph.MajorGridWidth, 0.2L);
    EXPECT_GT(Widget.Draws, draws);
}

TEST_F(GraphdlgTest, OkTakesEverythingBackAndTheScrollRangeFollows) {
    ASSERT_EQ(Widget.TimeScrollBar()->maximum(), 100);  // 20 divisions of 5 steps
    const bool ok = RunSetup([](TGraphSetup& d) {
        d.ChooseColor = [](platform::TColor) { return std::optional<platform::TColor>(platform::clRed); };
        Click(d, "btnColorSetup1");
        EXPECT_EQ(Child(&d, "Shape1")->palette().color(QPalette::Window), QColor(255, 0, 0));
        d.ChooseColor = [](platform::TColor) { return std::optional<platform::TColor>(); };
        Click(d, "Button1");  // cancelled: the colour stays
        Click(d, "cbShowMajor");
        Click(d, "cbShowMinor");
        Click(d, "rbSelectMark");
        EXPECT_EQ(Child<QLineEdit>(&d, "edit_dXPerDiv")->text(), "1");
        EXPECT_EQ(Child<QLineEdit>(&d, "editdXLen")->text(), "10");
        EXPECT_EQ(Child<QLineEdit>(&d, "edit_MinorGridCnt")->text(), "4");
        Child<QLineEdit>(&d, "edit_dXPerDiv")->setText("2,5");
        Child<QLineEdit>(&d, "editdXLen")->setText("12,5");  // rounds half to even
        Child<QLineEdit>(&d, "edit_MinorGridCnt")->setText("1");
        Click(d, "OKBtn");
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(Graph.MajorGridColor, platform::clRed);
    EXPECT_EQ(Graph.MinorGridColor, platform::clBlue);
    EXPECT_TRUE(Graph.ShowMajorGrid);
    EXPECT_TRUE(Graph.ShowMinorGrid);
    EXPECT_FALSE(Graph.CopyWholeRange);
    EXPECT_EQ(Graph.ValuePerDivision, 2.5);
    EXPECT_EQ(Graph.DivisionLengthMM, 12);
    EXPECT_EQ(Graph.SubdivisionsPerDivision, 1);
    EXPECT_EQ(Widget.TimeScrollBar()->maximum(), 8 * 2);  // 8 divisions of 2 steps
    EXPECT_TRUE(Prompts.Log.empty());
}

TEST_F(GraphdlgTest, CopyingBetweenTheCursorsAfterOk) {
    Graph.SetSelected(1, 1);
    RunSetup([](TGraphSetup& d) {
        Click(d, "rbSelectMark");
        Click(d, "OKBtn");
    });
    Graph.CursorOne.Position = 2;
    Graph.CursorTwo.Position = 4;
    QGuiApplication::clipboard()->clear();
    Graph.CopyToClipboard();
    EXPECT_EQ(QGuiApplication::clipboard()->image().width(), 10 + 76);  // 2 s of 10 mm
}

TEST_F(GraphdlgTest, UnreadableScalingTextShowsAMessageAtEachKeystroke) {
    RunSetup([](TGraphSetup& d) {
        auto* edit = Child<QLineEdit>(&d, "edit_dXPerDiv");
        edit->setText("2,5");
        QTest::keyClicks(edit, "ab");
        // Values the chart cannot draw with are kept back quietly.
        for (const char* text : {"0", "-1", "nan", "1e400"}) edit->setText(text);
        auto* length = Child<QLineEdit>(&d, "editdXLen");
        length->setText("20");
        for (const char* text : {"0", "65536", "-3", "0,4"}) length->setText(text);
        auto* steps = Child<QLineEdit>(&d, "edit_MinorGridCnt");
        steps->setText("0");
        for (const char* text : {"-1", "65536"}) steps->setText(text);
        Click(d, "OKBtn");
    });
    ASSERT_EQ(Prompts.Log.size(), 4u);
    EXPECT_EQ(Prompts.Log[0].Text, "'2,5a' is not a valid floating point value");
    EXPECT_EQ(Prompts.Log[1].Text, "'2,5ab' is not a valid floating point value");
    EXPECT_EQ(Prompts.Log[2].Text, "'nan' is not a valid floating point value");
    EXPECT_EQ(Prompts.Log[3].Text, "'1e400' is not a valid floating point value");
    EXPECT_EQ(Graph.ValuePerDivision, 2.5);
    EXPECT_EQ(Graph.DivisionLengthMM, 20);
    EXPECT_EQ(Graph.SubdivisionsPerDivision, 0);
}

TEST_F(GraphdlgTest, AnUnreadableThicknessStopsTheTakingBack) {
    RunSetup([](TGraphSetup& d) {
        Child<QLineEdit>(&d, "Edit1")->setText("x");
        Spin(d, "SpinButton1", true);  // refused, the edit unchanged
        EXPECT_EQ(Child<QLineEdit>(&d, "Edit1")->text(), "x");
        Click(d, "rbSelectMark");
        Click(d, "cbShowMajor");
        Click(d, "OKBtn");
    });
    ASSERT_EQ(Prompts.Log.size(), 2u);
    EXPECT_EQ(Prompts.Log[1].Text, "'x' is not a valid floating point value");
    EXPECT_FALSE(Graph.CopyWholeRange);  // taken before the widths
    EXPECT_FALSE(Graph.ShowMajorGrid);   // not taken
    EXPECT_EQ(Graph.MajorGridWidth, 0.2L);
}

}  // namespace
}  // namespace chart
