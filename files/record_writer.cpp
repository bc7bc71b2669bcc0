#include "files/record_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tarvisk {

RecordWriter::~RecordWriter() {
    Close();
}

bool RecordWriter::Open(const std::string& path) {
    Close();
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    fd_ = fd;
    path_ = path;
    bytes_ = 0;
    records_ = 0;
    previousSize_ = 0;
    failure_[0] = '\0';
    return true;
}

void RecordWriter::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool RecordWriter::Write(std::span<const uint8_t> record) {
    if (fd_ < 0)
        return false;
    size_t done = 0;
    int error = 0;
    while (done < record.size()) {
        ssize_t n = ::write(fd_, record.data() + done, record.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        error = n < 0 ? errno : ENOSPC;
        break;
    }
    if (done == record.size()) {
        bytes_ += static_cast<int64_t>(record.size());
        ++records_;
        previousSize_ = static_cast<int32_t>(record.size());
        return true;
    }
    // Keep only whole records: a reader must never meet a torn one in the middle of a file.
    bool cut = done == 0 || ::ftruncate(fd_, static_cast<off_t>(bytes_)) == 0;
    std::snprintf(failure_.data(), failure_.size(),
                  "Writing to %s failed: %s.\n%s%lld records (%lld kB) were kept.", path_.c_str(),
                  std::strerror(error), cut ? "" : "The last record may be incomplete. ",
                  static_cast<long long>(records_), static_cast<long long>(bytes_ / 1024));
    Close();
    return false;
}

std::string LowerCasePath(std::string_view path) {
    std::string lower(path);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

bool HasSonarFileExtension(std::string_view path) {
    size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || path.size() - dot - 1 < 3)
        return false;
    std::string ext = LowerCasePath(path.substr(dot + 1, 3));
    return ext == "ksd";
}

}  // namespace tarvisk
