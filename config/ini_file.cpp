#include "config/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/named_file.h"

namespace tarvisk {
namespace {

// Anything bigger is not a settings file; refusing it keeps a stray path from eating memory.
constexpr size_t MaxIniFileSize = 4 * 1024 * 1024;

constexpr char ToLowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (ToLowerAscii(a[i]) != ToLowerAscii(b[i]))
            return false;
    return true;
}

// A stray carriage return counts as a blank: the writer turns it into one anyway.
constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool IsPlainNumber(std::string_view s) {
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return !s.empty() && ec == std::errc{} && end == s.data() + s.size();
}

std::string_view StripQuotes(std::string_view s) {
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

std::string OneLine(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\n' || c == '\r')
            c = ' ';
    return out;
}

std::string ErrnoText(int err) {
    return std::strerror(err);
}

bool WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool IniFile::Load(const std::string& path, std::string* error) {
    sections_.clear();
    crlf_ = bom_ = false;
    // Non-blocking, so that a FIFO given by mistake is refused instead of hanging the start.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT)
            return true;
        if (error)
            *error = "Cannot read " + path + ": " + ErrnoText(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && !S_ISREG(st.st_mode)) {
        ::close(fd);
        if (error)
            *error = "Cannot read " + path + ": not a regular file";
        return false;
    }
    std::string text;
    std::array<char, 65536> chunk;
    for (;;) {
        ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int err = errno;
            ::close(fd);
            if (error)
                *error = "Cannot read " + path + ": " + ErrnoText(err);
            return false;
        }
        if (n == 0)
            break;
        text.append(chunk.data(), static_cast<size_t>(n));
        if (text.size() > MaxIniFileSize) {
            ::close(fd);
            if (error)
                *error = "Cannot read " + path + ": the file is too large for a settings file";
            return false;
        }
    }
    ::close(fd);
    LoadFromText(text);
    return true;
}

void IniFile::LoadFromText(std::string_view text) {
    sections_.clear();
    crlf_ = bom_ = false;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        bom_ = true;
        text.remove_prefix(3);
    }
    sections_.emplace_back();  // lines before the first header
    bool firstLine = true;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!raw.empty() && raw.back() == '\r') {
            raw.remove_suffix(1);
            if (firstLine)
                crlf_ = true;
        }
        firstLine = false;

        std::string_view t = Trim(raw);
        if (!t.empty() && t.front() == '[') {
            size_t close = t.find(']');
            Section s;
            s.name = std::string(
                Trim(t.substr(1, close == std::string_view::npos ? t.npos : close - 1)));
            s.hasHeader = true;
            s.header = std::string(raw);
            sections_.push_back(std::move(s));
            continue;
        }
        Line line;
        line.text = std::string(raw);
        size_t eq = t.find('=');
        if (!t.empty() && t.front() != ';' && t.front() != '#' && eq != std::string_view::npos) {
            std::string_view key = Trim(t.substr(0, eq));
            if (!key.empty()) {
                line.key = std::string(key);
                line.value = std::string(StripQuotes(Trim(t.substr(eq + 1))));
            }
        }
        sections_.back().lines.push_back(std::move(line));
    }
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
    for (const Section& s : sections_)
        if (s.hasHeader && EqualNoCase(s.name, name))
            return &s;
    return nullptr;
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
    return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

const IniFile::Line* IniFile::FindKey(const Section& section, std::string_view key) {
    for (const Line& l : section.lines)
        if (!l.key.empty() && EqualNoCase(l.key, key))
            return &l;
    return nullptr;
}

IniFile::Line* IniFile::FindKey(Section& section, std::string_view key) {
    return const_cast<Line*>(FindKey(std::as_const(section), key));
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view defaultText) const {
    if (const Section* s = FindSection(section))
        if (const Line* l = FindKey(*s, key))
            return l->value;
    return std::string(defaultText);
}

bool IniFile::HasSection(std::string_view section) const {
    return FindSection(section) != nullptr;
}

bool IniFile::HasKey(std::string_view section, std::string_view key) const {
    const Section* s = FindSection(section);
    return s && FindKey(*s, key);
}

void IniFile::SetString(std::string_view section, std::string_view key, std::string_view value) {
    std::string k = OneLine(Trim(key));
    std::string v = OneLine(value);
    if (k.empty())
        return;
    // Quote a value that reading would cut (blanks at either end, its own outer quotes), so
    // that it reads back as set. A number's leading blanks are left bare: printf-style numbers
    // (" 0.0") have them, read back the same, and the file should show them as written.
    const bool leadingBlank = !v.empty() && IsBlank(v.front()) && !IsPlainNumber(Trim(v));
    bool quote =
        !v.empty() && (leadingBlank || IsBlank(v.back()) || StripQuotes(v).size() != v.size());
    std::string written = quote ? "\"" + v + "\"" : v;
    Section* s = FindSection(section);
    if (!s) {
        if (!sections_.empty()) {
            // Keep a blank line between sections, as an operator editing by hand would.
            const Section& last = sections_.back();
            bool hasContent = last.hasHeader || !last.lines.empty();
            if (hasContent && (last.lines.empty() || !Trim(last.lines.back().text).empty()))
                sections_.back().lines.push_back(Line{});
        }
        Section fresh;
        fresh.name = OneLine(Trim(section));
        fresh.hasHeader = true;
        fresh.header = "[" + fresh.name + "]";
        sections_.push_back(std::move(fresh));
        s = &sections_.back();
    }
    Line* found = FindKey(*s, k);
    if (found) {
        if (found->value == v)
            return;  // keep the line exactly as the operator wrote it
        found->value = v;
        found->text = found->key + "=" + written;
        return;
    }
    // New keys go after the last key of the section, so trailing comments and blank lines
    // keep introducing whatever follows them.
    size_t at = 0;
    for (size_t i = 0; i < s->lines.size(); ++i)
        if (!s->lines[i].key.empty())
            at = i + 1;
    Line line;
    line.key = k;
    line.value = v;
    line.text = k + "=" + written;
    s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

std::string IniFile::ToText() const {
    const char* eol = crlf_ ? "\r\n" : "\n";
    std::string out;
    if (bom_)
        out = "\xEF\xBB\xBF";
    for (const Section& s : sections_) {
        if (s.hasHeader)
            out.append(s.header).append(eol);
        for (const Line& l : s.lines)
            out.append(l.text).append(eol);
    }
    return out;
}

namespace {

// Writes text over the file's own bytes and cuts it to length. Not as safe as a rename (a
// crash in the middle leaves a mixed file), so only used when no file can be created beside it.
bool RewriteInPlace(const std::string& target, const std::string& text, std::string* error) {
    int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;  // no file to write either: the caller reports its own reason
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && WriteAll(fd, text) &&
              ::ftruncate(fd, static_cast<off_t>(text.size())) == 0 && ::fsync(fd) == 0;
    const int err = errno;
    if (::close(fd) != 0)
        ok = false;
    if (!ok && error)
        *error = "Cannot write " + target + ": " + ErrnoText(err);
    return ok;
}

}  // namespace

bool IniFile::Save(const std::string& path, std::string* error) const {
    auto fail = [&](int err) {
        if (error)
            *error = "Cannot write " + path + ": " + ErrnoText(err);
        return false;
    };
    // Write through a symbolic link rather than replacing the link with a plain file.
    std::string target = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    // A file that is there keeps its mode; a new one gets what the umask leaves of 0666.
    bool keepMode = false;
    mode_t mode = 0;
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return fail(EISDIR);
        keepMode = true;
        mode = st.st_mode & 07777;
    }

    std::string tempPath;
    int fd = CreateTemporaryBeside(target, &tempPath);
    std::string text = ToText();
    if (fd < 0) {
        const int tempError = errno;
        // A folder we may not create files in can still hold a file we may write.
        if (tempError == EACCES || tempError == EPERM || tempError == EROFS) {
            std::string why;
            if (RewriteInPlace(target, text, &why))
                return true;
            if (!why.empty()) {
                if (error)
                    *error = why;
                return false;
            }
        }
        return fail(tempError);
    }
    bool ok = WriteAll(fd, text);
    int err = errno;
    // A mode we cannot set is not worth losing the settings for.
    if (ok && keepMode)
        (void)::fchmod(fd, mode);
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        err = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(tempPath.c_str(), target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(tempPath.c_str());
        return fail(err);
    }
    // Make the rename itself survive a power cut.
    size_t slash = target.rfind('/');
    std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

std::string_view IniValueText(std::string_view raw) {
    return StripQuotes(Trim(raw));
}

// Skips the white space and the sign that the C library's number readers accept first.
static size_t SkipBlanksAndSign(std::string_view text, bool* negative) {
    size_t i = 0;
    while (i < text.size() && (IsBlank(text[i]) || text[i] == '\n'))
        ++i;
    *negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        *negative = text[i++] == '-';
    return i;
}

int32_t ParseIniInt(std::string_view text) {
    bool negative;
    size_t i = SkipBlanksAndSign(text, &negative);
    int64_t value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > int64_t{INT32_MAX} + 1)
            value = int64_t{INT32_MAX} + 1;  // saturate
    }
    if (negative)
        return static_cast<int32_t>(-value);
    return static_cast<int32_t>(value > INT32_MAX ? INT32_MAX : value);
}

double ParseIniFloat(std::string_view text) {
    bool negative;
    size_t i = SkipBlanksAndSign(text, &negative);
    const size_t start = i;
    size_t digits = 0;
    // Decimal exponent of the leading significant digit, to tell overflow from underflow.
    long magnitude = 0;
    bool seenSignificant = false;
    bool afterPoint = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (IsDigit(c)) {
            ++digits;
            if (!seenSignificant && c != '0')
                seenSignificant = true;
            if (seenSignificant && !afterPoint)
                ++magnitude;
            if (!seenSignificant && afterPoint)
                --magnitude;
        } else if (c == '.' && !afterPoint) {
            afterPoint = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return 0.0;
    size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j]))
                ++j;
            end = j;
        }
    }
    double value = 0.0;
    auto [ptr, ec] =
        std::from_chars(text.data() + start, text.data() + end, value, std::chars_format::general);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        long exponent = 0;
        bool negativeExponent = false;
        for (size_t j = i + 1; j < end; ++j) {
            if (text[j] == '-')
                negativeExponent = true;
            if (IsDigit(text[j]) && exponent < 100000000)
                exponent = exponent * 10 + (text[j] - '0');
        }
        if (negativeExponent)
            exponent = -exponent;
        value = seenSignificant && magnitude + exponent > 0 ? HUGE_VAL : 0.0;
    } else if (ec != std::errc{}) {
        value = 0.0;
    }
    return negative ? -value : value;
}

std::string FormatIniFloat(double value, int width, int precision, bool zeroPad) {
    std::array<char, 512> buf;
    auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                   std::chars_format::fixed, precision);
    std::string text = ec == std::errc{} ? std::string(buf.data(), end) : std::string("0");
    if (static_cast<int>(text.size()) >= width)
        return text;
    size_t pad = static_cast<size_t>(width) - text.size();
    if (zeroPad && std::isfinite(value)) {
        size_t at = (text[0] == '-') ? 1 : 0;
        text.insert(at, pad, '0');
    } else {
        text.insert(0, pad, ' ');
    }
    return text;
}

}  // namespace tarvisk
