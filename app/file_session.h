#pragma once
// The files layer inside the window program: the file commands bound to the main window's
// dialogs, title, menu and panel, the pipeline's recorder hand-off, and the playback loop on
// a timer so that the window answers at every plot speed.

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "files/file_commands.h"
#include "files/file_shot_hooks.h"
#include "ui/sonar_system.h"

namespace tarvisk {

class FileSession : public QObject,
                    public FileUi,
                    public PlaybackWindowHooks,
                    public FeatureProvider {
  public:
    // Wires itself into the window (menu commands, mode switch) and the pipeline's hooks.
    FileSession(SonarSystem& system, MainWindow& window);
    ~FileSession() override;

    FileCommands& Commands() { return commands_; }
    // The pipeline's recorder hook (give it to ShotPipeline::SetHooks with the others).
    ShotRecorderHook* RecorderHook() { return &hooks_; }
    // Records carry the acquisition's own date and time of each shot.
    void UseTimeStamps(const DateTimeStamp& stamp);
    // The next switch into playback opens this file instead of asking.
    void PlayOnEntry(const std::string& path) { playOnEntry_ = path; }
    // FeatureProvider: the switch entered playback; the file given on entry, else ask.
    void RunFeature(Feature feature) override;
    // Each played record whose GPS block or azimuth position is to be shown (the peripherals).
    std::function<void(const PlayedRecordState&, bool gps, bool azimuth)> onPlayedRecord;

    // FileUi
    std::string AskFileName(const FileDialogRequest& request) override;
    void ShowWarning(std::string_view text, std::string_view caption) override;
    void ShowInformation(std::string_view text, std::string_view caption) override;
    void ReportLoss(std::string_view text, std::string_view caption) override;
    void SetWindowTitle(std::string_view title) override;
    void SetMenuItemText(int32_t id, std::string_view text) override;
    void RefreshMenus() override {}
    void SetPlaybackSlider(int32_t percent) override;
    void RedrawReverseControl() override;
    void MarkPanelForRedraw() override;
    void RedrawGpsReadout() override {}
    void ClearSonarImage() override;
    void ShowFileStatus(std::string_view text) override;
    void RedrawHoldControl() override;
    void WatchWriters() override;

    // PlaybackWindowHooks
    void ApplyScreenChanges(const ScreenChanges& changes, const PlayedRecordState& record) override;
    void ExamineFrame() override {
        if (frameCapture)
            frameCapture->ExamineFrame();
    }
    void StopFrameCaptureAtEnd() override {
        if (frameCapture)
            frameCapture->StopFrameCaptureAtEnd();
    }
    // Auto frame capture (app/survey_wiring.cpp).
    PlaybackWindowHooks* frameCapture = nullptr;

  private:
    void PlayTick();
    // Runs f on the window thread; from another thread it is queued, never waited for, so the
    // acquisition thread cannot block on a window that is stopping it.
    template <typename F>
    void OnWindowThread(F&& f);

    SonarSystem& system_;
    MainWindow& window_;
    FileShotHooks hooks_;
    FileCommands commands_;
    LinkAzimuthSource azimuth_;
    std::unique_ptr<StampTimeSource> stamps_;
    QTimer timer_;
    std::string playOnEntry_;
    bool stepping_ = false;
};

}  // namespace tarvisk
