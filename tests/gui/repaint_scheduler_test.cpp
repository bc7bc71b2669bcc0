// The coalesced frame: what a flush draws itself is shown by that flush, while a change from
// another thread during a flush still gets its own frame.
#include "platform/qt/repaint_scheduler.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <thread>

#include "gui_support.h"

namespace tarvisk {
namespace {

// Runs the event loop for a while, so any frame asked for has had its chance.
void Settle(int milliseconds) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

TEST(RepaintScheduler, AFlushThatDrawsAsksForNoFurtherFrameAnotherThreadsChangeDoes) {
    testing::App();
    RepaintScheduler scheduler;
    int flushes = 0;
    bool fromWorker = false;
    scheduler.onFlush = [&] {
        ++flushes;
        scheduler.Notify();  // the window's own drawing in the flush marks its area
        if (fromWorker) {
            fromWorker = false;
            std::thread worker([&] { scheduler.Notify(); });
            worker.join();
        }
    };

    scheduler.Notify();
    Settle(4 * RepaintScheduler::FrameMilliseconds);
    EXPECT_EQ(flushes, 1);

    fromWorker = true;
    scheduler.Notify();
    Settle(4 * RepaintScheduler::FrameMilliseconds);
    EXPECT_EQ(flushes, 3) << "the worker's change during the second flush gets a third";

    Settle(4 * RepaintScheduler::FrameMilliseconds);
    EXPECT_EQ(flushes, 3) << "nothing changed, nothing flushed";
}

}  // namespace
}  // namespace tarvisk
