#pragma once
// What the chart's widget tests share: the one application object, and a panel that
// counts its redraws.
#include <QApplication>

#include "chart/qt/GraphWidget.h"
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

}  // namespace chart::test
