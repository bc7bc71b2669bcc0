#pragma once
// One coalesced frame for the whole window. Any thread may say that something changed; the
// window thread then runs one flush, at most once per display frame and never when nothing
// changed. The wake-up is an eventfd, so a worker thread asks for a frame with a single
// write and nothing queued or allocated.

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <atomic>
#include <functional>

#include "platform/wake_event.h"

namespace tarvisk {

class RepaintScheduler : public QObject {
    Q_OBJECT
  public:
    // About 60 frames a second.
    static constexpr int FrameMilliseconds = 16;

    explicit RepaintScheduler(QObject* parent = nullptr);
    ~RepaintScheduler() override;

    // Any thread: something changed since the last flush.
    void Notify();
    // Window thread: runs the flush now if one is due (a capture must see everything).
    void FlushNow();

    // The window thread's work for a frame.
    std::function<void()> onFlush;

    // Frames flushed so far (for the benchmarks and tests).
    int64_t Flushes() const { return flushes_; }

  private:
    void WokenUp();
    void Flush();

    WakeEvent wake_;
    QSocketNotifier* notifier_ = nullptr;
    QTimer frameTimer_;
    QElapsedTimer sinceFlush_;
    std::atomic<bool> armed_{false};
    int64_t flushes_ = 0;
};

}  // namespace tarvisk
