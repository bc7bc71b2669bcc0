#include "platform/qt/repaint_scheduler.h"

namespace tarvisk {

namespace {
// Set on the window thread while its flush runs: what the flush itself draws is shown by that
// same flush, so it must not ask for another frame.
thread_local bool flushing = false;
}  // namespace

RepaintScheduler::RepaintScheduler(QObject* parent) : QObject(parent) {
    frameTimer_.setSingleShot(true);
    frameTimer_.setTimerType(Qt::PreciseTimer);
    connect(&frameTimer_, &QTimer::timeout, this, [this] { Flush(); });
    if (wake_.Fd() >= 0) {
        notifier_ = new QSocketNotifier(wake_.Fd(), QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] { WokenUp(); });
    }
    sinceFlush_.start();
}

RepaintScheduler::~RepaintScheduler() {
    delete notifier_;
}

void RepaintScheduler::Notify() {
    if (flushing)
        return;
    // Only the first change after a flush wakes the window thread.
    if (armed_.exchange(true, std::memory_order_acq_rel))
        return;
    if (wake_.Fd() < 0) {
        QMetaObject::invokeMethod(
            this, [this] { WokenUp(); }, Qt::QueuedConnection);
        return;
    }
    wake_.Signal();
}

void RepaintScheduler::WokenUp() {
    wake_.Clear();
    if (frameTimer_.isActive())
        return;
    // A shot asks for its frame once all of it is drawn, so a due frame is flushed at once.
    const qint64 elapsed = sinceFlush_.elapsed();
    if (elapsed >= FrameMilliseconds)
        Flush();
    else
        frameTimer_.start(static_cast<int>(FrameMilliseconds - elapsed));
}

void RepaintScheduler::FlushNow() {
    frameTimer_.stop();
    Flush();
}

void RepaintScheduler::Flush() {
    // Disarmed first: a change made while the flush runs asks for the next frame.
    armed_.exchange(false, std::memory_order_acq_rel);
    sinceFlush_.restart();
    ++flushes_;
    if (!onFlush)
        return;
    flushing = true;
    onFlush();
    flushing = false;
}

}  // namespace tarvisk
