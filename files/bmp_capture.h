#pragma once
// Screen captures as 24-bit BMP files: the whole main window, bottom row first, no colour
// table. Shared by "&Save Screen..." and the automatic captures.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/named_file.h"
#include "platform/window_services.h"

namespace tarvisk {

inline constexpr int32_t BmpHeaderSize = 54;

// A picture of the window: 0x00RRGGBB per pixel, rows top-down.
struct WindowPicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
};

// Whatever can take a picture of the whole main window (the window host, or a test).
class WindowGrabber {
  public:
    virtual ~WindowGrabber() = default;
    // Brings the window up to date (pending paints, the magnifier) and takes the picture.
    virtual WindowPicture GrabWholeWindow() = 0;
};

// Row length in bytes: three per pixel, rounded up to a multiple of four.
constexpr int32_t BmpRowLength(int32_t width) {
    return (width * 3 + 3) / 4 * 4;
}

// The 14-byte file header followed by the 40-byte information header.
std::array<uint8_t, BmpHeaderSize> BuildBmpHeaders(int32_t width, int32_t height);

// Lower-cases the name and accepts it when its extension begins with "bmp".
bool HasBmpExtension(std::string_view path);

enum class BmpWriteResult { Written, CannotCreate, WriteFailed };

// Creates (or replaces) the file and writes the picture. A file that could not be written
// whole is removed.
BmpWriteResult WriteBmpFile(const std::string& path, const WindowPicture& picture,
                            FileCreation how = FileCreation::Replace);

// Takes the picture with the busy cursor showing and writes it. A file that cannot be created
// ends the capture silently; a file that could not be written whole is removed and reported,
// in a message box, or in *failure when the caller tells the operator itself (a scripted run,
// where nobody may be there to close a box). *failure also says why a file was not created.
BmpWriteResult CaptureWindowToBmp(const std::string& path, WindowGrabber& grabber,
                                  WindowServices& services,
                                  FileCreation how = FileCreation::Replace,
                                  std::string* failure = nullptr);

// "&Save Screen...": asks for the name, checks the extension, captures.
// Returns the path written, or empty.
std::string SaveScreenCommand(WindowGrabber& grabber, WindowServices& services);

}  // namespace tarvisk
