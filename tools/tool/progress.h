#pragma once
// Progress of a long run over a large file, on standard error when it is a terminal: a line
// rewritten in place, first shown once the run has taken a second, at most five times a
// second, and finished with a newline. Nothing is written when standard error is a file or a
// pipe, so scripts see only what they asked for.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvisk {

class ToolProgress {
  public:
    // label: what is running, e.g. "ksd xyz run1.ksd".
    explicit ToolProgress(std::string_view label, bool enabled = StandardErrorIsTerminal());
    ~ToolProgress() { Finish(); }
    ToolProgress(const ToolProgress&) = delete;
    ToolProgress& operator=(const ToolProgress&) = delete;

    void Update(int64_t done, int64_t total);
    void Finish();

    static bool StandardErrorIsTerminal();
    // "ksd xyz run1.ksd: 45% (12.3 of 27.0 MB)"
    static std::string Line(std::string_view label, int64_t done, int64_t total);

  private:
    std::string label_;
    bool enabled_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point last_;
};

}  // namespace tarvisk
