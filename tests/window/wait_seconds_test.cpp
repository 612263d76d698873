#include "window/wait_seconds.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>

using Clock = std::chrono::steady_clock;

namespace {

std::int64_t wholeSeconds()
{
    return std::chrono::duration_cast<std::chrono::seconds>(Clock::now().time_since_epoch()).count();
}

} // namespace

TEST(WaitSeconds, ZeroReturnsAtOnceWithoutRunningEvents)
{
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    const auto start = Clock::now();
    window::WaitSeconds(0);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_FALSE(ran);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ran);
}

TEST(WaitSeconds, ReturnsAtTheNextWholeSecondAndRunsEventsMeanwhile)
{
    int fired = 0;
    QTimer::singleShot(0, [&] { ++fired; });
    QTimer::singleShot(20, [&] { ++fired; });
    const std::int64_t before = wholeSeconds();
    const auto start = Clock::now();
    window::WaitSeconds(0.05);
    EXPECT_GE(wholeSeconds(), before + 1);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_EQ(fired, 2);
}
