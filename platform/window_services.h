#pragma once
// What worker code and the command layer ask of the window host: message boxes, file dialogs,
// the child windows, the title. The Qt host implements it; calls from a worker thread are run
// on the user-interface thread and wait for the answer.

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvisk {

enum class MessageKind { Plain, Information, Warning };

struct FileDialogParams {
    std::string title;
    std::string filterName;        // e.g. "BITMAP File    (*.BMP)"
    std::string pattern;           // e.g. "*.BMP"
    std::string defaultExtension;  // without the dot
    std::string proposedName;
};

enum class ChildWindowId : int32_t { Diagnostics, HeadScan, Azimuth, Orientation };
inline constexpr int32_t ChildWindowCount = 4;

class WindowServices {
  public:
    virtual ~WindowServices() = default;
    virtual void ShowMessage(std::string_view title, std::string_view text, MessageKind kind) = 0;
    // Empty when the operator cancels. The save dialog asks before replacing a file.
    virtual std::string AskSaveFileName(const FileDialogParams& request) = 0;
    virtual std::string AskOpenFileName(const FileDialogParams& request) = 0;
    virtual void ShowChild(ChildWindowId id) = 0;
    virtual void HideChild(ChildWindowId id) = 0;
    virtual bool IsChildShown(ChildWindowId id) const = 0;
    virtual void SetTitle(std::string_view title) = 0;
    virtual void SetBusyCursor(bool busy) = 0;
};

}  // namespace tarvisk
