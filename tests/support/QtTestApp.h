#pragma once
// The one application object of a Qt test binary, made on first use and named after the
// binary: a QGuiApplication, or a QApplication where there are widgets (one kind a
// binary).
#include <QInputDevice>
#include <QPointingDevice>
#include <cerrno>
#include <cstdlib>

namespace platform_test {

template <class TApplication>
TApplication& QtTestApp() {
    static int argc = 1;
    static char* argv[] = {program_invocation_short_name, nullptr};
    static TApplication* app = [] {
        auto* created = new TApplication(argc, argv);
        // The key and mouse events of the tests use the primary devices, which the
        // application owns but Qt lists in a static of its own: made now, the
        // application is deleted before that list goes at exit.
        QInputDevice::primaryKeyboard();
        QPointingDevice::primaryPointingDevice();
        std::atexit([] { delete app; });
        return created;
    }();
    return *app;
}

}  // namespace platform_test
