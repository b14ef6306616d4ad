// The Qt host: waiting without spinning, and pumping at least once.
#include "tests/support/form_fixture.h"

#include <QTimer>

#include <sys/resource.h>

using namespace vellograph;

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class HostTest : public ::testing::Test {
protected:
    TScriptedDialogs dialogs;
    QtHost host{dialogs};
    ScopedHost installed{host};
};

} // namespace

TEST_F(HostTest, ATwoSecondDelayWaitsWithoutUsingTheProcessor) {
    const std::uint32_t start = host.TickCount();
    const double cpu = CpuSeconds();
    DelayMs(2000);
    const double used = CpuSeconds() - cpu;
    EXPECT_GE(host.TickCount() - start, 2000u);
    EXPECT_LT(host.TickCount() - start, 2500u);
    EXPECT_LT(used, 0.1) << "more than 5% of a core";
}

TEST_F(HostTest, EventsKeepFlowingDuringADelay) {
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    DelayMs(300);
    EXPECT_GE(ticks, 8);
}

TEST_F(HostTest, ZeroAndNegativeDelaysPumpOnceAndReturn) {
    for (const int ms : {0, -1}) {
        bool delivered = false;
        QMetaObject::invokeMethod(
            qApp, [&] { delivered = true; }, Qt::QueuedConnection);
        const std::uint32_t start = host.TickCount();
        DelayMs(ms);
        EXPECT_TRUE(delivered) << ms;
        EXPECT_LT(host.TickCount() - start, 100u) << ms;
    }
}
