#include "tools/tool/progress.h"

#include <unistd.h>

#include <cstdio>

namespace tarvisk {

namespace {
constexpr auto FirstShowAfter = std::chrono::seconds(1);
constexpr auto RefreshEvery = std::chrono::milliseconds(200);
}  // namespace

ToolProgress::ToolProgress(std::string_view label, bool enabled)
    : label_(label), enabled_(enabled), start_(std::chrono::steady_clock::now()), last_(start_) {}

bool ToolProgress::StandardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

std::string ToolProgress::Line(std::string_view label, int64_t done, int64_t total) {
    if (total <= 0)
        total = 1;
    if (done > total)
        done = total;
    if (done < 0)
        done = 0;
    char text[96];
    std::snprintf(text, sizeof text, ": %3d%% (%.1f of %.1f MB)", int(done * 100 / total),
                  double(done) / 1e6, double(total) / 1e6);
    return std::string(label) + text;
}

void ToolProgress::Update(int64_t done, int64_t total) {
    if (!enabled_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - start_ < FirstShowAfter || (shown_ && now - last_ < RefreshEvery))
        return;
    last_ = now;
    shown_ = true;
    std::fprintf(stderr, "\r%s\033[K", Line(label_, done, total).c_str());
    std::fflush(stderr);
}

void ToolProgress::Finish() {
    if (!shown_)
        return;
    shown_ = false;
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace tarvisk
