#include "platform/qt/window_thread.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include "platform/wake_event.h"

namespace tarvisk {

namespace {

// A waiting caller's flag, set once its task ran or was dropped.
struct Completion {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
    void Set() {
        std::lock_guard lock(mutex);
        done = true;
        changed.notify_all();
    }
    void Wait() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return done; });
    }
};

struct Entry {
    QPointer<QObject> context;
    std::function<void()> task;
    std::shared_ptr<Completion> completion;
};

class WindowThreadQueue final : public QObject {
  public:
    explicit WindowThreadQueue(QObject* parent) : QObject(parent) {
        if (wake_.Fd() >= 0) {
            notifier_ = new QSocketNotifier(wake_.Fd(), QSocketNotifier::Read, this);
            connect(notifier_, &QSocketNotifier::activated, this, [this] { Drain(); });
        }
    }
    ~WindowThreadQueue() override {
        std::deque<Entry> left;
        {
            std::lock_guard lock(mutex_);
            closed_ = true;
            left.swap(entries_);
        }
        for (Entry& e : left)
            if (e.completion)
                e.completion->Set();
        delete notifier_;
    }

    // False (and `entry` left as it was) when the queue no longer takes work.
    bool Add(Entry& entry) {
        {
            std::lock_guard lock(mutex_);
            if (closed_ || wake_.Fd() < 0)
                return false;
            entries_.push_back(std::move(entry));
        }
        wake_.Signal();
        return true;
    }

  private:
    void Drain() {
        wake_.Clear();
        std::deque<Entry> ready;
        {
            std::lock_guard lock(mutex_);
            ready.swap(entries_);
        }
        for (Entry& e : ready) {
            if (e.context)
                e.task();
            if (e.completion)
                e.completion->Set();
        }
    }

    std::mutex mutex_;
    std::deque<Entry> entries_;
    bool closed_ = false;
    WakeEvent wake_;
    QSocketNotifier* notifier_ = nullptr;
};

std::atomic<WindowThreadQueue*> queue{nullptr};

bool OnWindowThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

}  // namespace

void InstallWindowThreadQueue() {
    if (queue.load() || !QCoreApplication::instance())
        return;
    auto* q = new WindowThreadQueue(QCoreApplication::instance());
    QObject::connect(q, &QObject::destroyed, [] { queue.store(nullptr); });
    queue.store(q);
}

void PostToWindowThread(QObject* context, std::function<void()> task) {
    if (OnWindowThread()) {
        task();
        return;
    }
    Entry entry{QPointer<QObject>(context), std::move(task), nullptr};
    WindowThreadQueue* q = queue.load();
    if (q && q->Add(entry))
        return;
    // No queue (a program without its window): Qt's own queued call.
    QMetaObject::invokeMethod(context, std::move(entry.task), Qt::QueuedConnection);
}

void RunOnWindowThread(QObject* context, std::function<void()> task) {
    if (OnWindowThread()) {
        task();
        return;
    }
    auto completion = std::make_shared<Completion>();
    Entry entry{QPointer<QObject>(context), std::move(task), completion};
    WindowThreadQueue* q = queue.load();
    if (q && q->Add(entry)) {
        completion->Wait();
        return;
    }
    QMetaObject::invokeMethod(context, std::move(entry.task), Qt::BlockingQueuedConnection);
}

}  // namespace tarvisk
