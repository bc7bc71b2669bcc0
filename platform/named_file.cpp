#include "platform/named_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace tarvisk {

namespace {

int Fail(std::string* error, const std::string& text) {
    if (error)
        *error = text;
    return -1;
}

int OpenNoInterrupt(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Keeps fd when it is a regular file, made blocking again for the caller's plain reads and
// writes; else closes it and says what it is.
int KeepRegular(int fd, const std::string& path, std::string* error) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return Fail(error, "Cannot open " + path + ": " + std::strerror(err));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return Fail(error, path + " is " + NonRegularFileKind(st.st_mode) + ", not a file");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace

const char* NonRegularFileKind(unsigned mode) {
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISSOCK(mode))
        return "a socket";
    return "a special file";
}

int OpenFileForWriting(const std::string& path, FileCreation how, std::string* error) {
    constexpr mode_t Mode = 0666;  // narrowed by the umask
    if (how == FileCreation::New) {
        const int fd = OpenNoInterrupt(path.c_str(),
                                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, Mode);
        if (fd < 0) {
            const int err = errno;
            return Fail(error, err == EEXIST ? path + " exists already"
                                             : "Cannot create " + path + ": " + std::strerror(err));
        }
        return fd;
    }
    // Without O_TRUNC first: a FIFO or a device must be refused before anything is done to it.
    const int fd = OpenNoInterrupt(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, Mode);
    if (fd < 0) {
        const int err = errno;
        // A FIFO without a reader answers ENXIO to a non-blocking open.
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            return Fail(error, path + " is " + NonRegularFileKind(st.st_mode) + ", not a file");
        return Fail(error, "Cannot create " + path + ": " + std::strerror(err));
    }
    if (KeepRegular(fd, path, error) < 0)
        return -1;
    if (::ftruncate(fd, 0) != 0) {
        const int err = errno;
        ::close(fd);
        return Fail(error, "Cannot write " + path + ": " + std::strerror(err));
    }
    return fd;
}

int CreateTemporaryBeside(const std::string& path, std::string* temporaryPath) {
    // Not mkstemp: its 0600 would need a chmod, and a chmod cannot know the umask.
    static std::atomic<unsigned> counter{0};
    const auto clock = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, ".%d-%llx-%u~", static_cast<int>(::getpid()),
                      clock & 0xFFFFFFu, counter.fetch_add(1));
        *temporaryPath = path + suffix;
        const int fd = OpenNoInterrupt(temporaryPath->c_str(),
                                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool WriteAllAndClose(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    size_t done = 0;
    bool ok = true;
    while (ok && done < size) {
        const ssize_t n = ::write(fd, p + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<size_t>(n);
    }
    return ::close(fd) == 0 && ok;
}

long ReadUpTo(int fd, void* data, size_t size) {
    char* p = static_cast<char*>(data);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, p + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return static_cast<long>(done);
}

int OpenRegularFileForReading(const std::string& path, std::string* error) {
    const int fd = OpenNoInterrupt(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        return Fail(error, "Cannot read " + path + ": " + std::strerror(err));
    }
    return KeepRegular(fd, path, error);
}

bool ReadRegularFile(const std::string& path, size_t maxBytes, std::string* text,
                     std::string* error) {
    const int fd = OpenRegularFileForReading(path, error);
    if (fd < 0)
        return false;
    text->clear();
    char chunk[65536];
    for (;;) {
        const long n = ReadUpTo(fd, chunk, sizeof chunk);
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            Fail(error, "Cannot read " + path + ": " + std::strerror(err));
            return false;
        }
        text->append(chunk, static_cast<size_t>(n));
        if (text->size() > maxBytes) {
            ::close(fd);
            Fail(error, "Cannot read " + path + ": larger than expected");
            return false;
        }
        if (n < static_cast<long>(sizeof chunk))
            break;
    }
    ::close(fd);
    return true;
}

}  // namespace tarvisk
