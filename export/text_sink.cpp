#include "export/text_sink.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

namespace tarvisk {

namespace {
constexpr size_t SinkSize = 1u << 20;
}  // namespace

TextSink::TextSink() : buffer_(SinkSize) {}

TextSink::~TextSink() {
    Close();
}

bool TextSink::Create(const std::string& path, std::string* error) {
    Close();
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        if (error)
            *error = std::strerror(errno);
        return false;
    }
    owned_ = true;
    failed_ = false;
    return true;
}

void TextSink::UseDescriptor(int fd) {
    Close();
    fd_ = fd;
    owned_ = false;
    failed_ = false;
}

void TextSink::Append(std::string_view text) {
    while (!text.empty()) {
        if (used_ == buffer_.size())
            Flush();
        const size_t n = std::min(text.size(), buffer_.size() - used_);
        std::memcpy(buffer_.data() + used_, text.data(), n);
        used_ += n;
        text.remove_prefix(n);
    }
}

void TextSink::AppendInteger(int64_t value) {
    Room(24);
    const auto r = std::to_chars(buffer_.data() + used_, buffer_.data() + buffer_.size(), value);
    used_ = static_cast<size_t>(r.ptr - buffer_.data());
}

void TextSink::AppendFixed(double value, int decimals) {
    if (!std::isfinite(value))
        return;  // an empty field rather than "nan" or "inf"
    // Half of the last decimal: below it the value is written as a plain zero, not "-0.0".
    static constexpr double Half[] = {0.5, 0.05, 0.005, 5e-4, 5e-5, 5e-6, 5e-7, 5e-8, 5e-9, 5e-10};
    if (decimals < 0 || decimals > 9)
        return;
    if (std::fabs(value) < Half[decimals])
        value = 0.0;
    Room(48);
    const auto r = std::to_chars(buffer_.data() + used_, buffer_.data() + buffer_.size(), value,
                                 std::chars_format::fixed, decimals);
    if (r.ec == std::errc())
        used_ = static_cast<size_t>(r.ptr - buffer_.data());
}

void TextSink::AppendTextField(std::string_view text) {
    bool quote = false;
    for (char c : text)
        if (c == ',' || c == '"')
            quote = true;
    if (quote)
        Append('"');
    for (char c : text) {
        if (c < 0x20 || c > 0x7E)
            continue;
        if (c == '"')
            Append('"');
        Append(c);
    }
    if (quote)
        Append('"');
}

bool TextSink::Flush() {
    size_t done = 0;
    while (done < used_ && fd_ >= 0 && !failed_) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, used_ - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            failed_ = true;
            break;
        }
        done += static_cast<size_t>(n);
    }
    used_ = 0;
    return !failed_;
}

bool TextSink::Close() {
    Flush();
    bool ok = !failed_;
    if (owned_ && fd_ >= 0) {
        if (::close(fd_) != 0)
            ok = false;
    }
    fd_ = -1;
    owned_ = false;
    return ok;
}

}  // namespace tarvisk
