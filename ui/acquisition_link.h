#pragma once
// Live operation with the real acquisition thread: the head port opened from the port map,
// the loop's status line, clock and warnings shown in the main window.

#include <functional>
#include <memory>

#include "head/acquisition_thread.h"
#include "ui/link_window.h"
#include "ui/live_link.h"
#include "ui/sonar_system.h"

namespace tarvisk {

class AcquisitionLiveLink final : public LiveLink, public LinkStatusView, public AcquisitionSeams {
  public:
    explicit AcquisitionLiveLink(SonarSystem& system);
    ~AcquisitionLiveLink() override;

    // The window the loop draws into; set once the window exists.
    void SetWindow(LinkWindow* window) { window_ = window; }
    AcquisitionThread& Thread() { return thread_; }

    // LiveLink
    void Start() override;
    void Stop() override;
    void ResetNoDataCounters() override { thread_.ResetNoDataCounters(); }
    bool Running() const override { return thread_.Running(); }
    void RequestAzimuthDetection() override { thread_.Requests().AzimuthDetectionRequest = 1; }

    // The azimuth drive, orientation, GPS and head scan side (app/periph_wiring.cpp).
    AcquisitionSeams* peripherals = nullptr;
    std::function<void()> startGps, stopGps;

    // LinkStatusView
    void ShowLinkStatus(PaletteColour text, PaletteColour background, PaletteColour frame,
                        int32_t selector) override;
    void ClearReplyActivityMark() override;
    void ShowWarning(const std::string& text, const std::string& title) override;

    // AcquisitionSeams
    void OnClockSecond() override;
    void HeadScanStep() override {
        if (peripherals)
            peripherals->HeadScanStep();
    }
    void SimulateAzimuthReply() override {
        if (peripherals)
            peripherals->SimulateAzimuthReply();
    }
    void OnAzimuthDriveNotFound() override {
        if (peripherals)
            peripherals->OnAzimuthDriveNotFound();
    }

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
    LinkWindow* window_ = nullptr;
    AcquisitionThread thread_;
};

}  // namespace tarvisk
