#include "platform/thread_priority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarvisk {

namespace {
// Low among real-time priorities: above every ordinary process, below the kernel's own
// interrupt threads, which deliver the serial bytes.
constexpr int SendRealTimePriority = 10;
constexpr int SendNice = -10;
}  // namespace

RaisedPriority SendPriority::Raise() {
    raised_ = RaisedPriority::None;
    if (!realTimeRefused_) {
        sched_param saved{};
        if (pthread_getschedparam(pthread_self(), &savedPolicy_, &saved) == 0) {
            savedPriority_ = saved.sched_priority;
            sched_param raised{};
            raised.sched_priority = SendRealTimePriority;
            const int error = pthread_setschedparam(pthread_self(), SCHED_RR, &raised);
            if (error == 0) {
                raised_ = RaisedPriority::RealTime;
                return raised_;
            }
            realTimeRefused_ = true;
            refusal_ = std::string("real-time scheduling: ") + std::strerror(error);
        }
    }
    if (!niceRefused_) {
        const pid_t thread = gettid();
        errno = 0;
        const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
        if (errno == 0 && nice <= SendNice)
            return RaisedPriority::Nice;  // already as high: nothing to put back
        if (errno == 0 && setpriority(PRIO_PROCESS, static_cast<id_t>(thread), SendNice) == 0) {
            savedNice_ = nice;
            raised_ = RaisedPriority::Nice;
            return raised_;
        }
        niceRefused_ = true;
        refusal_ += std::string(refusal_.empty() ? "" : "; ") + "nice " + std::to_string(SendNice) +
                    ": " + std::strerror(errno);
    }
    return raised_;
}

void SendPriority::Restore() {
    if (raised_ == RaisedPriority::RealTime) {
        sched_param saved{};
        saved.sched_priority = savedPriority_;
        pthread_setschedparam(pthread_self(), savedPolicy_, &saved);
    } else if (raised_ == RaisedPriority::Nice) {
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), savedNice_);
    }
    raised_ = RaisedPriority::None;
}

}  // namespace tarvisk
