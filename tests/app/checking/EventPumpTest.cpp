#include "platform/desktop/EventPump.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <ctime>
#include <gtest/gtest.h>

namespace
{
double ProcessCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}
} // namespace

TEST(EventPump, DoEventsDispatchesWhatIsPendingAndReturns)
{
    QObject context;
    int calls = 0;
    QTimer::singleShot(0, &context, [&] { ++calls; });
    QElapsedTimer clock;
    clock.start();
    desktop::DoEvents();
    EXPECT_EQ(calls, 1);
    desktop::DoEvents();
    EXPECT_EQ(calls, 1);
    EXPECT_LT(clock.elapsed(), 100);
}

TEST(EventPump, WaitForEventsSleepsUntilTheNextEvent)
{
    QObject context;
    bool fired = false;
    QTimer::singleShot(300, Qt::PreciseTimer, &context, [&] { fired = true; });
    QElapsedTimer clock;
    clock.start();
    const double before = ProcessCpuMs();
    int rounds = 0;
    while (!fired) {
        desktop::WaitForEvents();
        ++rounds;
    }
    EXPECT_GE(clock.elapsed(), 295);
    EXPECT_LT(ProcessCpuMs() - before, 60.0);
    EXPECT_LT(rounds, 50) << "each round should sleep until an event comes";
}
