#pragma once
// What recording, playback and copy need from the window, and what playback needs from the
// shot pipeline. The window and the pipeline implement these; tests implement them with
// plain recorders of the calls.

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvisk {

inline constexpr int32_t MenuPlayback = 10;
inline constexpr int32_t MenuRecord = 15;
inline constexpr int32_t MenuCopy = 16;

inline constexpr std::string_view RecordStartText = "&Record Start...";
inline constexpr std::string_view RecordStopText = "&Record Stop...";
inline constexpr std::string_view CopyStartText = "&Copy Start...";
inline constexpr std::string_view CopyStopText = "&Copy Stop...";

inline constexpr std::string_view SonarFileFilter = "K260 Sonar Files (*.KSD)";
inline constexpr std::string_view SonarFilePattern = "*.KSD";
inline constexpr std::string_view SonarFileDefaultExtension = "KSD";
inline constexpr std::string_view PlaybackDialogTitle = "Open a Sonar File For Playback";
inline constexpr std::string_view RecordDialogTitle = "Open a Sonar File For Recording";
inline constexpr std::string_view CopyDialogTitle = "Open a Sonar File For Copying";
inline constexpr std::string_view CopyMessageCaption = "Copy a Sonar File";
inline constexpr std::string_view BadExtensionText = "File extension must be .KSD";
inline constexpr std::string_view BadMagicText = "Data type is incorrect --> check file format";
inline constexpr std::string_view CloseRecordCaption = "Close Record File";
inline constexpr std::string_view CloseCopyCaption = "Close Copy File";

// One file dialog as the command asks for it.
struct FileDialogRequest {
    std::string_view Title;
    bool Save = false;         // save dialog with overwrite prompt; else open an existing file
    std::string ProposedPath;  // the last playback path, or empty
    std::string_view Filter = SonarFileFilter;
    std::string_view Pattern = SonarFilePattern;
    std::string_view DefaultExtension = SonarFileDefaultExtension;
};

// The window side. Calls come from the user-interface thread, except those marked: the
// recorder runs on the acquisition thread, so its title updates and its write-failure warning
// must be queued to the window by the implementation.
class FileUi {
  public:
    virtual ~FileUi() = default;
    // Empty when the operator cancelled.
    virtual std::string AskFileName(const FileDialogRequest& request) = 0;
    virtual void ShowWarning(std::string_view text, std::string_view caption) = 0;  // any thread
    virtual void ShowInformation(std::string_view text, std::string_view caption) = 0;
    virtual void SetWindowTitle(std::string_view title) = 0;              // any thread
    virtual void SetMenuItemText(int32_t id, std::string_view text) = 0;  // any thread
    virtual void RefreshMenus() = 0;
    virtual void SetPlaybackSlider(int32_t percent) = 0;  // also gives the focus back
    virtual void RedrawReverseControl() = 0;
    virtual void MarkPanelForRedraw() = 0;  // every status-panel readout
    virtual void RedrawGpsReadout() = 0;
    virtual void ClearSonarImage() = 0;
    // A closed recording or copy that did not keep everything: said on stderr too, since
    // a close asked for by a signal or a script has nobody to read a box.
    virtual void ReportLoss(std::string_view text, std::string_view caption) {
        ShowWarning(text, caption);
    }
    // The status line under the image (records the disk could not take); any thread.
    virtual void ShowFileStatus(std::string_view /*text*/) {}
    // The "Hold" readout, after playback put itself on hold.
    virtual void RedrawHoldControl() {}
    // A recording or copy began: its writer is to be looked at until it closes.
    virtual void WatchWriters() {}
};

// What a playback step asks of the rest of the program around the shot it plays.
class PlaybackHooks {
  public:
    virtual ~PlaybackHooks() = default;
    // Runs the shot pipeline on the reply now in the reply buffer; true when it was accepted.
    virtual bool ProcessPlayedShot() = 0;
    // A file was opened for playback.
    virtual void PlaybackOpened() {}
    // End of file: the next history shift seeds all lines from the incoming shot.
    virtual void SeedLineHistory() {}
    virtual void ResetOrientation() {}
    // After a slider seek: clear the image and the echo history and redraw the grid.
    virtual void ClearImageAndHistory() {}
    // Auto frame capture: examine the shot just played / stop it at the end of the file.
    virtual void ExamineFrame() {}
    virtual void StopFrameCaptureAtEnd() {}
};

}  // namespace tarvisk
