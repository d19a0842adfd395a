#pragma once
// The one application object of the chart's widget tests.
#include <QApplication>

#include "tests/support/QtTestApp.h"

namespace chart::test {

inline QApplication& TestApp() {
    return platform_test::QtTestApp<QApplication>();
}

}  // namespace chart::test
