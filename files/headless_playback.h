#pragma once
// A whole program's worth of playback without a window: settings, link state, image, shot
// pipeline and the file commands, wired as the program wires them. The render tool, the
// benchmark, the fuzz target and the tests build one in a line.

#include <string>
#include <string_view>

#include "settings/sonar_settings.h"
#include "files/file_commands.h"
#include "files/file_shot_hooks.h"
#include "head/head_link.h"
#include "imaging/echo_history.h"
#include "imaging/imaging_state.h"
#include "imaging/profile_points.h"
#include "imaging/profile_record_table.h"
#include "imaging/shot_pipeline.h"
#include "imaging/sonar_drawing.h"
#include "imaging/sonar_image.h"

namespace tarvisk {

// Window calls without a window: messages are kept for the caller, dialogs are cancelled.
class HeadlessFileUi : public FileUi {
  public:
    std::string AskFileName(const FileDialogRequest&) override { return {}; }
    void ShowWarning(std::string_view text, std::string_view) override { lastMessage = text; }
    void ShowInformation(std::string_view, std::string_view) override {}
    void SetWindowTitle(std::string_view) override {}
    void SetMenuItemText(int32_t, std::string_view) override {}
    void RefreshMenus() override {}
    void SetPlaybackSlider(int32_t) override {}
    void RedrawReverseControl() override {}
    void MarkPanelForRedraw() override {}
    void RedrawGpsReadout() override {}
    void ClearSonarImage() override {}
    std::string lastMessage;
};

// Waits cost nothing headless.
class NoDelay : public DelayHook {
  public:
    void WaitMilliseconds(int32_t) override {}
};

struct HeadlessPlayback {
    HeadlessPlayback();
    HeadlessPlayback(const HeadlessPlayback&) = delete;
    HeadlessPlayback& operator=(const HeadlessPlayback&) = delete;

    // File mode with this file open; false (message in ui.lastMessage) when refused.
    bool Open(const std::string& path);

    SonarSettings settings;
    HeadLink link{settings};
    SonarImage image;
    ProfilePoints points;
    EchoHistory history;
    ImagingState imaging;
    ProfileRecordTable profileRecords;
    SonarDrawing drawing{settings, image, points};
    HeadlessFileUi ui;
    NoDelay delay;
    FileShotHooks hooks{link, drawing, history};
    ShotPipeline pipeline;
    FileCommands commands;
};

}  // namespace tarvisk
