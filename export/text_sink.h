#pragma once
// Text out in big writes, with numbers formatted by std::to_chars: "." decimals whatever the
// locale, no allocation per value. Writes to a file it creates or to an open descriptor.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvisk {

class TextSink {
  public:
    TextSink();
    ~TextSink();
    TextSink(const TextSink&) = delete;
    TextSink& operator=(const TextSink&) = delete;

    // Creates (replaces) the file; false with errno's text in *error.
    bool Create(const std::string& path, std::string* error);
    // Writes to a descriptor the caller owns (standard output).
    void UseDescriptor(int fd);

    void Append(std::string_view text);
    void Append(char c) {
        if (used_ == buffer_.size())
            Flush();
        buffer_[used_++] = c;
    }
    void AppendInteger(int64_t value);
    // Fixed with this many decimals; a value that rounds to zero is written without a sign.
    void AppendFixed(double value, int decimals);
    // An RFC 4180 field: quoted when it holds a comma, a quote or a line break; bytes that are
    // not printable ASCII are left out, so damaged text cannot break the row.
    void AppendTextField(std::string_view text);

    // Pushes what is buffered; false once any write has failed.
    bool Flush();
    // Flushes and closes a created file; false when anything was lost.
    bool Close();
    bool Failed() const { return failed_; }

  private:
    void Room(size_t n) {
        if (buffer_.size() - used_ < n)
            Flush();
    }
    std::vector<char> buffer_;
    size_t used_ = 0;
    int fd_ = -1;
    bool owned_ = false;
    bool failed_ = false;
};

}  // namespace tarvisk
