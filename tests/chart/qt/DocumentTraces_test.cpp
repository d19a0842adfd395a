// A Vesk-3 document saved and opened again, its first sequence drawn by the lister on
// the chart's panel. With HALVO_PNG_DIR set the panel is also written as a PNG there.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPixmap>
#include <cstdlib>
#include <string>
#include <vector>

#include "chart/qt/GraphWidget.h"
#include "tests/app/lister/ListerFixtures.h"
#include "tests/chart/qt/QtTestApp.h"

namespace app::test {
namespace {

QApplication& App() {
    return chart::test::TestApp();
}

// A transfer from CBA to CBR after both voltages of section A failed, newest first.
Bytes TransferSequence() {
    //                   b3    b4    b5    b6    b7    b8    b9 b10   b11   b12   b13   b14   b15
    const Bytes start{0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0, 0x00, 0x08, 0x08, 0x04, 0x00, 0x05};
    const Bytes end{0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x01, 0, 0x00, 0x08, 0x04, 0x08, 0x00, 0x05};
    return Join({
        Ev(0xFB, 40, end),
        Ev(0x8D, 80),                                         // relay V<t A st. 1 off
        Ev(0xF6, 200, {0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x01}),  // busbar A back
        Ev(0x37, 8),                                          // CBR opened fading
        Ev(0x34, 120),                                        // CBR closed
        Ev(0x25, 8),                                          // CBA closed fading
        Ev(0x26, 80),                                         // CBA opened
        Ev(0x8C, 40),                                         // relay V<t A st. 1 on
        Ev(0xF6, 200, {0x0F, 0x01, 0x0F, 0x01, 0x0F, 0x01}),  // VA and busbar A low
        Ev(0xFB, 0, start),
        Clock(22, 10, 14, 3, 6),
    });
}

class DocumentTraces : public TListerTest {
protected:
    DocumentTraces() { App(); }
};

TEST_F(DocumentTraces, ASavedDocumentsSequenceOnThePanel) {
    Load(2, TransferSequence());
    ASSERT_TRUE(Halvo.SaveToFile(Dir.File("transfer.halvo")));
    THalvo opened;
    opened.SetDataDirectory(Dir.Path());
    ASSERT_TRUE(opened.LoadFromFile(Dir.File("transfer.halvo")));

    chart::TGraphWidget widget;
    widget.resize(720, 330);
    widget.show();
    App().processEvents();
    Lister.SetHalvo(&opened);
    Lister.SetGraph(&widget.Graph());
    Lister.Refresh(nullptr);
    App().processEvents();

    chart::TGraph& graph = widget.Graph();
    std::vector<std::string> labels;
    for (int row = 1; row <= graph.TraceSamples.UsedRowCount(); ++row)
        labels.push_back(graph.GetTraceLabel(static_cast<uint16_t>(row)));
    EXPECT_EQ(labels,
              (std::vector<std::string>{"1. CA State", "2. CR State", "3. CB State", "4. VA", "5. VbusA",
                                        "6. VB", "7. VbusB", "8. Relay state V<t section A st. 1"}));
    // 1.84 s: the end snapshot takes the time of the event before it.
    EXPECT_EQ(graph.DataMinRange(), -0.2);
    EXPECT_NEAR(graph.DataMaxRange(), 2.04, 1e-9);

    const QImage& image = widget.OffscreenImage();
    const int left = graph.PlotArea.Left, top = graph.PlotArea.Top, band = 26;
    // CA is closed at the start (ON, red), CR open (OFF, black), CB open.
    EXPECT_EQ(image.pixel(left + 10, top + band - 3), 0xFFFF0000);
    EXPECT_EQ(image.pixel(left + 10, top + 2 * band - 1), 0xFF000000);
    EXPECT_EQ(image.pixel(left + 10, top + 2 * band - 3), 0xFFFFFFFF);
    // At the end CA is open and CR closed.
    const int right = graph.PlotArea.Right - 5;
    EXPECT_EQ(image.pixel(right, top + band - 3), 0xFFFFFFFF);
    EXPECT_EQ(image.pixel(right, top + 2 * band - 3), 0xFFFF0000);

    if (const char* dir = std::getenv("HALVO_PNG_DIR")) {
        EXPECT_TRUE(
            widget.grab().save(QString::fromStdString(std::string(dir) + "/fixture_traces.png"), "PNG"));
    }
}

}  // namespace
}  // namespace app::test
