#include "head/head_link.h"

#include <chrono>

namespace tarvisk {

LinkHooks HeadLink::DefaultHooks;

int64_t LinkHooks::MonotonicMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace tarvisk
