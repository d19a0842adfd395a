#include "platform/qt/QtWaiter.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <limits>
#include <thread>

namespace platform {

void TQtWaiter::WaitMs(uint32_t ms) {
    // Without an application object there is no loop to run.
    if (!QCoreApplication::instance()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return;
    }
    QEventLoop loop;
    if (ms == 0) {
        loop.processEvents(QEventLoop::AllEvents);
        return;
    }
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    // A QTimer interval is an int.
    timer.start(static_cast<int>(std::min<uint32_t>(ms, std::numeric_limits<int>::max())));
    loop.exec();
}

}  // namespace platform
