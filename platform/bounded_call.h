#pragma once
// Work on storage that may stop answering (a network share, a frozen file system): run it on a
// thread of its own and wait a bounded time, so that closing the program never waits for good.

#include <chrono>
#include <functional>
#include <string>

namespace tarvisk {

enum class BoundedResult { Done, Failed, TimedOut };

// Runs work(&error) on a new thread and waits at most `wait` for it. On TimedOut the thread is
// left to finish on its own (or to end with the process): work must own everything it uses.
// Failed carries the work's own error text.
BoundedResult RunWithin(std::chrono::milliseconds wait, std::function<bool(std::string*)> work,
                        std::string* error);

}  // namespace tarvisk
