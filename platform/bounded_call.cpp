#include "platform/bounded_call.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace tarvisk {

namespace {

// Shared by the caller and the thread; whoever leaves last frees it.
struct Outcome {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool ok = false;
    std::string error;
};

}  // namespace

BoundedResult RunWithin(std::chrono::milliseconds wait, std::function<bool(std::string*)> work,
                        std::string* error) {
    auto outcome = std::make_shared<Outcome>();
    try {
        std::thread([outcome, work = std::move(work)] {
            std::string why;
            const bool ok = work(&why);
            std::lock_guard lock(outcome->mutex);
            outcome->ok = ok;
            outcome->error = std::move(why);
            outcome->done = true;
            outcome->finished.notify_all();
        }).detach();
    } catch (const std::system_error& e) {
        if (error)
            *error = e.what();
        return BoundedResult::Failed;
    }
    std::unique_lock lock(outcome->mutex);
    if (!outcome->finished.wait_for(lock, wait, [&] { return outcome->done; }))
        return BoundedResult::TimedOut;
    if (outcome->ok)
        return BoundedResult::Done;
    if (error)
        *error = outcome->error;
    return BoundedResult::Failed;
}

}  // namespace tarvisk
