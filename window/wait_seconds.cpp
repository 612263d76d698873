#include "window/wait_seconds.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <thread>

namespace window {

namespace {

using Clock = std::chrono::steady_clock;

std::int64_t wholeSeconds(Clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count();
}

// Time left until the clock's whole-second count next changes.
std::chrono::milliseconds untilNextSecond(Clock::time_point now)
{
    const auto intoSecond = now.time_since_epoch() % std::chrono::seconds(1);
    return std::chrono::ceil<std::chrono::milliseconds>(std::chrono::seconds(1) - intoSecond);
}

} // namespace

void WaitSeconds(double seconds)
{
    const std::int64_t start = wholeSeconds(Clock::now());
    for (Clock::time_point now = Clock::now(); double(wholeSeconds(now)) - seconds < double(start);
         now = Clock::now()) {
        const std::chrono::milliseconds left = untilNextSecond(now);
        if (!QCoreApplication::instance()) {
            std::this_thread::sleep_for(left);
            continue;
        }
        // Sleeps in the event loop instead of spinning, and wakes at the next
        // change of the second to test again.
        QEventLoop loop;
        QTimer::singleShot(left, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        // A loop started while the application is quitting returns at once.
        if (loop.exec() != 0)
            std::this_thread::sleep_for(left);
    }
}

} // namespace window
