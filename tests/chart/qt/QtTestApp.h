#pragma once
// The one application object of a Qt test binary, made on first use.
#include <QApplication>
#include <QPointingDevice>
#include <cstdlib>

namespace chart::test {

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "chart_qt_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        auto* created = new QApplication(argc, argv);
        // The mouse events of the tests use the primary pointing device, which the
        // application owns but Qt lists in a static of its own: made now, the
        // application is deleted before that list goes at exit.
        QPointingDevice::primaryPointingDevice();
        std::atexit([] { delete app; });
        return created;
    }();
    return *app;
}

}  // namespace chart::test
