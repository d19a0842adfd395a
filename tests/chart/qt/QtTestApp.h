#pragma once
// What the chart's widget tests share: the one application object, a panel that
// counts its redraws, and the traces they probe.
#include <QApplication>

#include "chart/qt/GraphWidget.h"
#include "tests/chart/HeadlessHost.h"
#include "tests/support/QtTestApp.h"

namespace chart::test {

inline QApplication& TestApp() {
    return platform_test::QtTestApp<QApplication>();
}

// Counts what the chart draws anew.
class TCountingWidget : public TGraphWidget {
public:
    platform::ICanvas* BeginOffscreen() override {
        ++Draws;
        return TGraphWidget::BeginOffscreen();
    }
    int Draws = 0;
};

// The panels' two traces at 96 dpi: a band is 7 mm (26 pixels), a second at 100 % is
// 10 mm (38 pixels). Trace 1 "A": ON (red, 1.5 mm) 0..2 s, OFF 2..4 s. Trace 2: UNKNOWN
// (dotted) 0..2 s, then ON to 4 s.
inline constexpr int kBand = 26;
inline constexpr int kSecond = 38;
inline void AddTwoTraces(TGraph& graph) {
    graph.SetAutoscale(false);
    graph.BeginUpdate();
    graph.AddSample(Styled(0, platform::clRed, 0, 15), 1);
    graph.AddSample(Styled(2, platform::clBlack, 0, 3), 1);
    graph.AddSample(Styled(4, platform::clBlack, 0, 3), 1);
    graph.SetTraceName(1, "A");
    graph.AddSample(Styled(0, platform::clBlack, 2, 3), 2);
    graph.AddSample(Styled(2, platform::clRed, 0, 15), 2);
    graph.AddSample(Styled(4, platform::clRed, 0, 15), 2);
    graph.EndUpdate();
}

}  // namespace chart::test
