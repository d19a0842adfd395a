#pragma once
// The one application object of a Qt test binary, made on first use.
#include <QApplication>

namespace chart::test {

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "chart_qt_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

}  // namespace chart::test
