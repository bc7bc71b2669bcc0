#include "files/bmp_capture.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>

namespace tarvisk {

namespace {

void Put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

std::array<uint8_t, BmpHeaderSize> BuildBmpHeaders(int32_t width, int32_t height) {
    std::array<uint8_t, BmpHeaderSize> h{};
    const uint32_t imageSize =
        static_cast<uint32_t>(BmpRowLength(width)) * static_cast<uint32_t>(height);
    h[0] = 'B';
    h[1] = 'M';
    Put32(&h[2], BmpHeaderSize + imageSize);
    Put32(&h[10], BmpHeaderSize);
    Put32(&h[14], 40);
    Put32(&h[18], static_cast<uint32_t>(width));
    Put32(&h[22], static_cast<uint32_t>(height));
    Put16(&h[26], 1);
    Put16(&h[28], 24);
    Put32(&h[34], imageSize);
    return h;
}

bool HasBmpExtension(std::string_view path) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.find_last_of("/\\");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return false;
    std::string ext(path.substr(dot + 1));
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext.rfind("bmp", 0) == 0;
}

namespace {

// The whole file in memory (under a megabyte for the window), so it goes out in one write.
std::vector<uint8_t> BmpFileBytes(const WindowPicture& picture) {
    const int32_t w = picture.width, h = picture.height;
    const auto headers = BuildBmpHeaders(w, h);
    const size_t rowLength = static_cast<size_t>(BmpRowLength(w));
    std::vector<uint8_t> bytes(headers.size() + rowLength * static_cast<size_t>(h), 0);
    std::copy(headers.begin(), headers.end(), bytes.begin());
    uint8_t* row = bytes.data() + headers.size();
    for (int32_t y = h - 1; y >= 0; --y, row += rowLength) {
        const uint32_t* src =
            picture.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(w);
        for (int32_t x = 0; x < w; ++x) {
            row[3 * x + 0] = static_cast<uint8_t>(src[x]);
            row[3 * x + 1] = static_cast<uint8_t>(src[x] >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(src[x] >> 16);
        }
    }
    return bytes;
}

bool IsWholePicture(const WindowPicture& p) {
    return p.width > 0 && p.height > 0 &&
           p.pixels.size() >= static_cast<size_t>(p.width) * static_cast<size_t>(p.height);
}

// Writes into the open file; a file that did not get every byte is removed, so a cut capture
// never passes for a good one.
BmpWriteResult WriteOpenBmp(int fd, const std::string& path, const WindowPicture& picture) {
    bool ok = IsWholePicture(picture);
    if (ok) {
        const std::vector<uint8_t> bytes = BmpFileBytes(picture);
        ok = WriteAllAndClose(fd, bytes.data(), bytes.size());
    } else {
        ::close(fd);
    }
    if (!ok)
        ::unlink(path.c_str());
    return ok ? BmpWriteResult::Written : BmpWriteResult::WriteFailed;
}

}  // namespace

BmpWriteResult WriteBmpFile(const std::string& path, const WindowPicture& picture,
                            FileCreation how) {
    const int fd = OpenFileForWriting(path, how, nullptr);
    if (fd < 0)
        return BmpWriteResult::CannotCreate;
    return WriteOpenBmp(fd, path, picture);
}

BmpWriteResult CaptureWindowToBmp(const std::string& path, WindowGrabber& grabber,
                                  WindowServices& services, FileCreation how,
                                  std::string* failure) {
    // Opened first: a name that cannot be created ends the capture before anything is taken.
    std::string why;
    const int fd = OpenFileForWriting(path, how, &why);
    if (fd < 0) {
        if (failure)
            *failure = why;
        return BmpWriteResult::CannotCreate;
    }
    services.SetBusyCursor(true);
    const WindowPicture picture = grabber.GrabWholeWindow();
    const BmpWriteResult result = WriteOpenBmp(fd, path, picture);
    services.SetBusyCursor(false);
    if (result == BmpWriteResult::WriteFailed) {
        const std::string text = "Could not write the whole picture to\n" + path;
        if (failure)
            *failure = text;
        else
            services.ShowMessage("Save Screen As", text, MessageKind::Warning);
    }
    return result;
}

std::string SaveScreenCommand(WindowGrabber& grabber, WindowServices& services) {
    FileDialogParams request;
    request.title = "Save Screen As";
    request.filterName = "BITMAP File    (*.BMP)";
    request.pattern = "*.BMP";
    request.defaultExtension = "BMP";
    std::string path = services.AskSaveFileName(request);
    if (path.empty())
        return {};
    // The name is checked in lower case; the file keeps the name as typed, because Linux
    // file names are case-sensitive and the operator expects to find what they typed.
    if (!HasBmpExtension(path)) {
        services.ShowMessage("Save Screen As", "File extension must be .BMP", MessageKind::Warning);
        return {};
    }
    if (CaptureWindowToBmp(path, grabber, services) != BmpWriteResult::Written)
        return {};
    return path;
}

}  // namespace tarvisk
