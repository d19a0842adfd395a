#pragma once
// The one application object of a Qt test binary, made on first use and named after the
// binary: a QGuiApplication, or a QApplication where there are widgets (one kind a
// binary).
#include <unistd.h>

#include <QInputDevice>
#include <QPointingDevice>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

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

// The one application object of a binary that shows its windows on one offscreen screen
// of width by height device pixels at a scale factor, as on a high-resolution screen. Made
// before anything else of Qt, so the binary's first Qt use calls it.
template <class TApplication>
TApplication& ScaledQtTestApp(int width, int height, const char* scale) {
    static TApplication& app = [&]() -> TApplication& {
        const std::filesystem::path config =
            std::filesystem::temp_directory_path() / ("halvo-screen-" + std::to_string(::getpid()) + ".json");
        std::ofstream(config) << R"({"screens": [{"name": "scaled", "x": 0, "y": 0, "width": )" << width
                              << R"(, "height": )" << height
                              << R"(, "logicalDpi": 96, "logicalBaseDpi": 96}]})";
        ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config.string()).c_str(), 1);
        ::setenv("QT_SCALE_FACTOR", scale, 1);
        TApplication& made = QtTestApp<TApplication>();
        std::filesystem::remove(config);
        return made;
    }();
    return app;
}

}  // namespace platform_test
