// The main window under a window manager: openbox on an Xvfb screen of the case's own,
// which puts its title bar and borders round the frame only after the frame is shown.
// Where the designed size does not fit with them, the frame with them lies inside the
// screen's work area, its status bar and documents inside it; where it fits, it stays.
// Each case makes the one application object of its process for its screen: ctest runs
// each case in a process of its own.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QMdiSubWindow>
#include <QPixmap>
#include <QScreen>
#include <QStatusBar>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/app/forms/MainFixture.h"
#include "tests/support/PeerProcess.h"
#include "tests/support/QtTestApp.h"

namespace app::test {
namespace {

// A rectangle in the X server's own pixels.
struct TXRect {
    int X = 0, Y = 0, Width = 0, Height = 0;
    bool Contains(const TXRect& r) const {
        return r.X >= X && r.Y >= Y && r.X + r.Width <= X + Width && r.Y + r.Height <= Y + Height;
    }
};

std::ostream& operator<<(std::ostream& out, const TXRect& r) {
    return out << r.Width << "x" << r.Height << "+" << r.X << "+" << r.Y;
}

// One screen of an X server with openbox managing it, and a connection of the test's own
// that sees what the server sees: the work area, and the frame round a window.
class TManagedScreen {
public:
    TManagedScreen(int width, int height)
        : FServer({"Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-screen", "0",
                   std::to_string(width) + "x" + std::to_string(height) + "x24"}) {
        const std::string number = FServer.FirstLine();
        if (number.empty()) {
            FError = "Xvfb gave no display number";
            return;
        }
        FDisplay = ":" + number;
        FConnection = xcb_connect(FDisplay.c_str(), nullptr);
        if (xcb_connection_has_error(FConnection)) {
            FError = "no connection to the X server on " + FDisplay;
            return;
        }
        FRoot = xcb_setup_roots_iterator(xcb_get_setup(FConnection)).data->root;
        ::setenv("DISPLAY", FDisplay.c_str(), 1);
        // The packaged configuration, not one of the user's.
        FManager = std::make_unique<peers::TPeerProcess>(
            std::vector<std::string>{"openbox", "--sm-disable", "--config-file", "/etc/xdg/openbox/rc.xml"});
        // Qt reads what the manager supports once, when the application object is made.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!Property(FRoot, "_NET_SUPPORTING_WM_CHECK")) {
            if (std::chrono::steady_clock::now() > deadline || !FManager->Running()) {
                FError = "openbox did not take over the screen " + FDisplay;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~TManagedScreen() {
        FManager.reset();
        if (FConnection) xcb_disconnect(FConnection);
    }
    TManagedScreen(const TManagedScreen&) = delete;
    TManagedScreen& operator=(const TManagedScreen&) = delete;

    // Empty when the screen is up and managed.
    const std::string& Error() const { return FError; }

    // The manager's work area (_NET_WORKAREA), else the whole screen.
    TXRect WorkArea() {
        if (const auto area = Property(FRoot, "_NET_WORKAREA"); area && area->size() >= 4)
            return {int((*area)[0]), int((*area)[1]), int((*area)[2]), int((*area)[3])};
        return Geometry(FRoot);
    }

    // The manager's frame round the window, decorations and all; nothing while the window
    // is not framed yet.
    std::optional<TXRect> Frame(xcb_window_t window) {
        xcb_window_t top = window;
        for (;;) {
            xcb_query_tree_reply_t* tree =
                xcb_query_tree_reply(FConnection, xcb_query_tree(FConnection, top), nullptr);
            if (!tree) return std::nullopt;
            const xcb_window_t parent = tree->parent;
            std::free(tree);
            if (parent == FRoot || parent == XCB_WINDOW_NONE) break;
            top = parent;
        }
        if (top == window) return std::nullopt;
        return Geometry(top);
    }

    // The window's own size, as the server has it.
    TXRect Client(xcb_window_t window) { return Geometry(window); }

private:
    TXRect Geometry(xcb_window_t window) {
        xcb_get_geometry_reply_t* g =
            xcb_get_geometry_reply(FConnection, xcb_get_geometry(FConnection, window), nullptr);
        if (!g) return {};
        const int border = 2 * g->border_width;
        const TXRect r{g->x, g->y, g->width + border, g->height + border};
        std::free(g);
        return r;
    }

    // A 32-bit property's values; nothing when the window does not have it.
    std::optional<std::vector<uint32_t>> Property(xcb_window_t window, const char* name) {
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            FConnection, xcb_intern_atom(FConnection, 1, uint16_t(std::strlen(name)), name), nullptr);
        if (!atom) return std::nullopt;
        const xcb_atom_t id = atom->atom;
        std::free(atom);
        if (id == XCB_ATOM_NONE) return std::nullopt;
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            FConnection, xcb_get_property(FConnection, 0, window, id, XCB_ATOM_ANY, 0, 64), nullptr);
        if (!reply) return std::nullopt;
        std::optional<std::vector<uint32_t>> values;
        if (reply->format == 32 && reply->value_len > 0) {
            const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
            values.emplace(data, data + reply->value_len);
        }
        std::free(reply);
        return values;
    }

    peers::TPeerProcess FServer;
    std::unique_ptr<peers::TPeerProcess> FManager;
    std::string FDisplay;
    xcb_connection_t* FConnection = nullptr;
    xcb_window_t FRoot = 0;
    std::string FError;
};

struct TScreenCase {
    int Width, Height;
    const char* Scale;
};

class ManagedFrameTest : public MainFormTest {
protected:
    // Before the fixture's members make the application object.
    static void OpenScreen(const TScreenCase& screen) {
        static std::optional<TScreenCase> opened;
        if (opened) {
            if (opened->Width != screen.Width || opened->Height != screen.Height ||
                opened->Scale != screen.Scale)
                SkipWhy() = "this process has its screen already: run one case a process, as ctest does";
            return;
        }
        opened = screen;
        // Made before the application object, so that it goes after it.
        static TManagedScreen managed(screen.Width, screen.Height);
        Screen() = &managed;
        if (!managed.Error().empty()) return;
        // No session bus to look for, which libdbus would try to start on this display.
        ::setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        ::setenv("QT_SCALE_FACTOR", screen.Scale, 1);
        platform_test::QtTestApp<QApplication>();
    }
    void SetUp() override {
        if (!SkipWhy().empty()) GTEST_SKIP() << SkipWhy();
        ASSERT_TRUE(Screen()->Error().empty()) << Screen()->Error();
        MainFormTest::SetUp();
    }

    // The frame, shown with the sample document from the command line, once the manager
    // has framed it and the server's size of it has reached Qt; ready decides further
    // what to wait for. False when that did not come within the time.
    bool ShowAndSettle(const std::function<bool(const TXRect& frame)>& ready) {
        TMainForm& form = ShowForm({Sample("sample.halvo")});
        const auto window = static_cast<xcb_window_t>(form.winId());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (std::chrono::steady_clock::now() < deadline) {
            QApplication::processEvents();
            const std::optional<TXRect> frame = Screen()->Frame(window);
            const TXRect client = Screen()->Client(window);
            const QSize qt = form.size() * form.devicePixelRatio();
            if (frame && form.frameGeometry() != form.geometry() &&
                std::abs(client.Width - qt.width()) <= 1 && std::abs(client.Height - qt.height()) <= 1 &&
                ready(*frame)) {
                QApplication::processEvents();
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    std::string FrameText() {
        const std::optional<TXRect> frame = Screen()->Frame(static_cast<xcb_window_t>(Form->winId()));
        std::ostringstream out;
        out << "frame ";
        if (frame)
            out << *frame;
        else
            out << "not framed";
        out << ", work area " << Screen()->WorkArea();
        return out.str();
    }

    // The whole screen in $HALVO_SCREENSHOT_DIR, when set, to look at.
    static void KeepForLooking() {
        const char* keep = std::getenv("HALVO_SCREENSHOT_DIR");
        if (!keep) return;
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name();
        QGuiApplication::primaryScreen()->grabWindow(0).save(
            QString::fromStdString((std::filesystem::path(keep) / (name + ".png")).string()));
    }

    void ExpectFrameAndDocumentsInside() {
        const TXRect area = Screen()->WorkArea();
        ASSERT_TRUE(ShowAndSettle([&](const TXRect& frame) { return area.Contains(frame); }))
            << "the frame did not come inside the work area: " << FrameText();
        KeepForLooking();
        EXPECT_TRUE(Form->isMaximized());
        QStatusBar* status = Form->statusBar();
        EXPECT_TRUE(status->isVisible());
        EXPECT_TRUE(Form->rect().contains(status->geometry()))
            << status->geometry().bottom() << " below " << Form->height();
        const QList<QMdiSubWindow*> documents = Form->Client().subWindowList();
        ASSERT_EQ(documents.size(), 1);
        const QRect room = Form->Client().viewport()->rect();
        for (QMdiSubWindow* sub : documents)
            EXPECT_TRUE(room.contains(sub->geometry()))
                << sub->geometry().bottom() << " in " << room.height() << ", " << sub->geometry().right()
                << " in " << room.width();
    }

    static TManagedScreen*& Screen() {
        static TManagedScreen* screen = nullptr;
        return screen;
    }
    static std::string& SkipWhy() {
        static std::string why;
        return why;
    }
};

template <int Width, int Height, const char* Scale>
class OnScreen : public ManagedFrameTest {
protected:
    static void SetUpTestSuite() { OpenScreen({Width, Height, Scale}); }
};

constexpr char kOneAndAHalf[] = "1.5";
constexpr char kTwo[] = "2";
constexpr char kOne[] = "1";
// A common field laptop, at one and a half times the scale: 910 by 512 for the windows.
using Laptop1366At150 = OnScreen<1366, 768, kOneAndAHalf>;
using Screen1920At200 = OnScreen<1920, 1080, kTwo>;
// The designed size fits only without the decorations: known after the show, they do not.
using Screen1024x680 = OnScreen<1024, 680, kOne>;
using Screen1280x1024 = OnScreen<1280, 1024, kOne>;

TEST_F(Laptop1366At150, TheFrameWithItsDecorationsAndItsDocumentLieInsideTheWorkArea) {
    ExpectFrameAndDocumentsInside();
}

TEST_F(Screen1920At200, TheFrameWithItsDecorationsAndItsDocumentLieInsideTheWorkArea) {
    ExpectFrameAndDocumentsInside();
}

TEST_F(Screen1024x680, TheFrameWithItsDecorationsAndItsDocumentLieInsideTheWorkArea) {
    ExpectFrameAndDocumentsInside();
}

TEST_F(Screen1280x1024, TheFrameKeepsItsDesignedSize) {
    const TXRect area = Screen()->WorkArea();
    ASSERT_TRUE(ShowAndSettle([](const TXRect&) { return true; }))
        << "the frame was not framed: " << FrameText();
    KeepForLooking();
    EXPECT_EQ(Form->size(), QSize(1000, 660));
    EXPECT_FALSE(Form->isMaximized());
    const std::optional<TXRect> frame = Screen()->Frame(static_cast<xcb_window_t>(Form->winId()));
    ASSERT_TRUE(frame);
    EXPECT_TRUE(area.Contains(*frame)) << FrameText();
    EXPECT_GT(frame->Height, 660) << "no title bar";
}

}  // namespace
}  // namespace app::test
