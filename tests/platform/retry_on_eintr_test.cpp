#include "platform/retry_on_eintr.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

using platform::retryOnEintr;

namespace {

void onSignal(int) { }

} // namespace

TEST(RetryOnEintr, CallsAgainOnlyWhileInterrupted)
{
    int calls = 0;
    // Interrupted twice, then done: the third result is the one given.
    EXPECT_EQ(retryOnEintr([&]() -> long {
                  errno = ++calls < 3 ? EINTR : 0;
                  return calls < 3 ? -1 : 42;
              }),
              42);
    EXPECT_EQ(calls, 3);

    // Any other failure comes back at once, with its errno.
    calls = 0;
    EXPECT_EQ(retryOnEintr([&] {
                  ++calls;
                  errno = EAGAIN;
                  return -1;
              }),
              -1);
    EXPECT_EQ(errno, EAGAIN);
    EXPECT_EQ(calls, 1);
}

TEST(RetryOnEintr, AReadBrokenOffByASignalGoesOnToTheData)
{
    // A handler without SA_RESTART: the kernel ends the blocked read with
    // EINTR instead of resuming it.
    struct sigaction action {
    }, previous{};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(::sigaction(SIGUSR1, &action, &previous), 0);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);

    const pthread_t reader = ::pthread_self();
    int interruptedReads = 0;
    std::thread other([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ::pthread_kill(reader, SIGUSR1);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const char byte = 'x';
        EXPECT_EQ(::write(pipeEnds[1], &byte, 1), 1);
    });
    char got = 0;
    const ssize_t n = retryOnEintr([&] {
        const ssize_t result = ::read(pipeEnds[0], &got, 1);
        interruptedReads += result < 0 && errno == EINTR;
        return result;
    });
    other.join();
    EXPECT_EQ(n, 1);
    EXPECT_EQ(got, 'x');
    EXPECT_EQ(interruptedReads, 1);

    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    ::sigaction(SIGUSR1, &previous, nullptr);
}
