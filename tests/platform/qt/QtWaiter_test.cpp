// The Qt waiter runs the event loop while it waits: timers and queued calls are served
// inside a wait, a wait may nest in another, and 0 ms is one pass.
#include "platform/qt/QtWaiter.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTimer>
#include <vector>

#include "platform/Ticks.h"
#include "tests/support/QtTestApp.h"

namespace platform {
namespace {

class QtWaiterTest : public testing::Test {
protected:
    QtWaiterTest() { platform_test::QtTestApp<QGuiApplication>(); }
    TQtWaiter Waiter;
};

TEST_F(QtWaiterTest, TimersFireInsideAWaitThatLastsItsTime) {
    uint64_t firedAt = 0;
    const uint64_t start = GetTickCount64();
    QTimer::singleShot(20, [&] { firedAt = GetTickCount64(); });
    Waiter.WaitMs(150);
    const uint64_t end = GetTickCount64();
    ASSERT_NE(firedAt, 0u) << "the timer did not fire during the wait";
    EXPECT_LT(firedAt, end);
    EXPECT_GE(end - start, 150u);
    EXPECT_LT(end - start, 10000u);
}

TEST_F(QtWaiterTest, ZeroMsServesWhatIsPendingOnceAndReturns) {
    int calls = 0;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { ++calls; }, Qt::QueuedConnection);
    Waiter.WaitMs(0);
    EXPECT_EQ(calls, 1);
    // Nothing pending: it returns all the same.
    Waiter.WaitMs(0);
    EXPECT_EQ(calls, 1);
}

TEST_F(QtWaiterTest, AWaitInsideAWaitEndsFirstAndTheOuterOneStillEnds) {
    std::vector<int> order;
    QTimer::singleShot(10, [&] {
        order.push_back(1);
        Waiter.WaitMs(40);
        order.push_back(2);
    });
    Waiter.WaitMs(100);
    order.push_back(3);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(QtWaiterWithoutApplication, SleepsWhenNoLoopCanRun) {
    if (QCoreApplication::instance()) GTEST_SKIP() << "an application object exists in this process";
    const uint64_t start = GetTickCount64();
    TQtWaiter().WaitMs(30);
    EXPECT_GE(GetTickCount64() - start, 30u);
}

}  // namespace
}  // namespace platform
