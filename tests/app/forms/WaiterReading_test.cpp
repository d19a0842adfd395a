// A reading under the Qt waiter: the silence wait runs the event loop, so a Cancel
// that a timer clicks during the reading stops it.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTimer>
#include <algorithm>

#include "app/device/Halvobase.h"
#include "platform/qt/QtWaiter.h"
#include "tests/app/device/ScriptedDevice.h"
#include "tests/support/QtTestApp.h"

namespace app::test {
namespace {

TEST(QtWaiterReading, ACancelClickedByATimerDuringTheReadingIsLogged) {
    platform_test::QtTestApp<QGuiApplication>();
    // No serial link: the request goes nowhere and the silence wait follows it.
    TLinkSettings s;
    s.TimeSilence = 300;
    TFixedLinkSettings settings(s);
    TLinkSettingsScope linkScope(settings);
    platform::TQtWaiter waiter;
    platform::TWaiterScope waiterScope(waiter);
    TLinesLog log;
    THalvo halvo;
    halvo.TraceMessages = false;
    halvo.SetMessageMemo(&log);
    bool readingWhenClicked = false;
    QTimer::singleShot(30, [&] {
        readingWhenClicked = halvo.IsReading();
        halvo.CancelReading();
    });

    halvo.ReadFromHALVO();

    EXPECT_TRUE(readingWhenClicked);
    EXPECT_FALSE(halvo.IsReading());
    EXPECT_TRUE(halvo.CancelFlag());
    ASSERT_FALSE(log.Lines.empty());
    EXPECT_EQ(log.Lines.back(), "Reading canceled");
}

}  // namespace
}  // namespace app::test
