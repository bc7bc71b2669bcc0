#include "files/file_commands.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "files/record_writer.h"

namespace tarvisk {

namespace {
constexpr std::string_view SameFileText = "The copy cannot be written over the file being played.";
constexpr std::string_view NothingToPlayText = "No whole record in this file: playback is on hold.";
}  // namespace

FileCommands::FileCommands(SonarSettings& settings, ExpectedReply& expected, ReplyBuffer& reply,
                           FileUi& ui, PlaybackHooks& hooks)
    : settings_(settings),
      ui_(ui),
      hooks_(hooks),
      copier_(ui),
      recorder_(settings, ui),
      player_(settings, expected, reply, ui, hooks, copier_) {}

void FileCommands::RecordStartStop() {
    if (recorder_.IsRecording()) {
        StopRecording();
    } else {
        FileDialogRequest request{RecordDialogTitle, true, {}};
        const std::string path = ui_.AskFileName(request);
        if (!path.empty())
            StartRecording(path);
    }
    settings_.ParametersChanged = 1;
}

bool FileCommands::StartRecording(const std::string& path) {
    if (!HasSonarFileExtension(path)) {
        ui_.ShowWarning(BadExtensionText, RecordDialogTitle);
        return false;
    }
    if (const std::string text = NonRegularFileText(path); !text.empty()) {
        ui_.ShowWarning(text, RecordDialogTitle);
        return false;
    }
    if (!recorder_.Start(path))
        return false;
    FormatFileTitle(title_, "Recording to", path, -1);
    ui_.SetWindowTitle(title_.data());
    ui_.SetMenuItemText(MenuRecord, RecordStopText);
    ui_.WatchWriters();
    return true;
}

void FileCommands::StopRecording() {
    if (!recorder_.IsRecording())
        return;
    const std::string path = recorder_.Path();
    const WriterReport report = recorder_.Stop();
    if (const std::string lost = WriterReportText(report); !lost.empty())
        ui_.ReportLoss(path + lost, CloseRecordCaption);
    else
        ui_.ShowInformation(path, CloseRecordCaption);
    ui_.SetWindowTitle(WindowTitle);
    ui_.SetMenuItemText(MenuRecord, RecordStartText);
}

void FileCommands::OpenPlayback() {
    FileDialogRequest request{PlaybackDialogTitle, false, player_.Path()};
    const std::string path = ui_.AskFileName(request);
    if (!path.empty() && !HasSonarFileExtension(path)) {
        ui_.ShowWarning(BadExtensionText, PlaybackDialogTitle);
        return;
    }
    if (!path.empty()) {
        OpenPlaybackFile(path);
        return;
    }
    ui_.ClearSonarImage();
    ui_.RefreshMenus();
}

bool FileCommands::OpenPlaybackFile(const std::string& path) {
    if (!HasSonarFileExtension(path)) {
        ui_.ShowWarning(BadExtensionText, PlaybackDialogTitle);
        return false;
    }
    std::string refusal = NonRegularFileText(path);
    // A file that is not there, or may not be read, is not one of the wrong type: say which.
    if (refusal.empty() && ::access(path.c_str(), R_OK) != 0)
        refusal = "Cannot open " + path + ": " + std::strerror(errno);
    const bool opened = refusal.empty() && player_.Open(path);
    if (!opened) {
        ui_.ShowWarning(refusal.empty() ? std::string(BadMagicText) : refusal, PlaybackDialogTitle);
        std::snprintf(title_.data(), title_.size(), "%s - [%s]", WindowTitle.data(), "No File");
        ui_.SetWindowTitle(title_.data());
    } else {
        ui_.SetWindowTitle(player_.PlaybackTitle());
        ui_.MarkPanelForRedraw();
        hooks_.PlaybackOpened();
        hooks_.ResetOrientation();
        ui_.RedrawGpsReadout();
    }
    ui_.ClearSonarImage();
    ui_.RefreshMenus();
    return opened;
}

void FileCommands::CopyStartStop() {
    if (copier_.IsCopying()) {
        StopCopy();
        return;
    }
    FileDialogRequest request{CopyDialogTitle, true, {}};
    const std::string path = ui_.AskFileName(request);
    if (!path.empty())
        StartCopy(path);
}

bool FileCommands::StartCopy(const std::string& path) {
    if (!HasSonarFileExtension(path)) {
        ui_.ShowWarning(BadExtensionText, CopyMessageCaption);
        return false;
    }
    // Creating the copy would empty the file being played.
    if (player_.Reader().IsFile(path)) {
        ui_.ShowWarning(SameFileText, CopyMessageCaption);
        return false;
    }
    if (const std::string text = NonRegularFileText(path); !text.empty()) {
        ui_.ShowWarning(text, CopyMessageCaption);
        return false;
    }
    if (!copier_.Start(path))
        return false;
    FormatFileTitle(title_, "Copying to", path, -1);
    ui_.SetWindowTitle(title_.data());
    ui_.SetMenuItemText(MenuCopy, CopyStopText);
    ui_.WatchWriters();
    return true;
}

void FileCommands::StopCopy() {
    if (!copier_.IsCopying())
        return;
    const std::string path = copier_.Path();
    const WriterReport report = copier_.Stop();
    if (const std::string lost = WriterReportText(report); !lost.empty())
        ui_.ReportLoss(path + lost, CloseCopyCaption);
    else
        ui_.ShowInformation(path, CloseCopyCaption);
    ui_.SetWindowTitle(player_.PlaybackTitle());
    ui_.SetMenuItemText(MenuCopy, CopyStartText);
}

void FileCommands::CloseAll() {
    StopRecording();
    StopCopy();
    player_.Close();
    player_.ClearReverse();
}

void FileCommands::CheckWriters() {
    recorder_.CheckWriter();
    if (copier_.IsCopying() && copier_.Writer().Failed())
        copier_.CheckWriter(player_.PlaybackTitle());
}

bool FileCommands::WritersOpen() const {
    return recorder_.IsRecording() || copier_.IsCopying();
}

void FileCommands::SliderMoved(int32_t value) {
    if (settings_.RunMode == 1 && player_.IsOpen())
        player_.Seek(value);
}

bool FileCommands::PlaybackRunning() const {
    return settings_.RunMode == 1 && settings_.Hold == 0 && player_.IsOpen();
}

int32_t FileCommands::PlayStep() {
    if (!PlaybackRunning())
        return 0;
    const StepResult result = player_.Step();
    if (result == StepResult::EndOfFile && player_.NothingToPlay()) {
        // Hold, as the operator would: the window idles instead of searching the file again
        // and again, and clearing Hold tries once more.
        settings_.Hold = 1;
        ui_.RedrawHoldControl();
        ui_.ShowFileStatus(NothingToPlayText);
        ui_.ShowWarning(NothingToPlayText, PlaybackDialogTitle);
        return 0;
    }
    return result == StepResult::Shown ? PlotSpeedDelayMs(settings_.PlotSpeed) : 0;
}

void FileCommands::ToggleReverse() {
    if (settings_.RunMode != 1 || !player_.ReverseAvailable())
        return;
    player_.SetReverse(!player_.Reverse());
    ui_.RedrawReverseControl();
}

bool FileCommands::PlotSpeedRight() {
    return PlaybackSpeedStrip::StepRight(settings_.PlotSpeed);
}

bool FileCommands::PlotSpeedLeft() {
    return PlaybackSpeedStrip::StepLeft(settings_.PlotSpeed);
}

}  // namespace tarvisk
