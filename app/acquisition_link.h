#pragma once
// Live operation with the real acquisition thread: the head port opened from the port map,
// the loop's status line, clock and warnings shown in the main window.

#include <memory>

#include "app/live_link.h"
#include "app/sonar_system.h"
#include "head/acquisition_thread.h"

namespace tarvisk {

class MainWindow;

class AcquisitionLiveLink final : public LiveLink, public LinkStatusView, public AcquisitionSeams {
  public:
    explicit AcquisitionLiveLink(SonarSystem& system);
    ~AcquisitionLiveLink() override;

    // The window the loop draws into; set once the window exists.
    void SetWindow(MainWindow* window) { window_ = window; }
    AcquisitionThread& Thread() { return thread_; }

    // LiveLink
    void Start() override;
    void Stop() override;
    void ResetNoDataCounters() override { thread_.ResetNoDataCounters(); }
    bool Running() const override { return thread_.Running(); }

    // LinkStatusView
    void ShowLinkStatus(PaletteColour text, PaletteColour background, PaletteColour frame,
                        int32_t selector) override;
    void ClearReplyActivityMark() override;
    void ShowWarning(const std::string& text, const std::string& title) override;

    // AcquisitionSeams
    void OnClockSecond() override;

    // The automated scans (app/survey_wiring.cpp).
    AcquisitionSeams* scans = nullptr;
    bool AutomatedScanRunning() override { return scans && scans->AutomatedScanRunning(); }
    void AutoAzimuthScanStep() override {
        if (scans)
            scans->AutoAzimuthScanStep();
    }
    void RunAutoProfileScan(int32_t kind) override {
        if (scans)
            scans->RunAutoProfileScan(kind);
    }
    void RunAutoAzimuthDialog() override {
        if (scans)
            scans->RunAutoAzimuthDialog();
    }

  private:
    // A port this user may not open says why, on the terminal and in the window.
    void ReportPortAccess(int32_t port, const std::string& path);

    SonarSystem& system_;
    MainWindow* window_ = nullptr;
    AcquisitionThread thread_;
};

}  // namespace tarvisk
