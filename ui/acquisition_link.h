#pragma once
// Live operation with the real acquisition thread: the head port opened from the port map,
// the loop's status line, clock and warnings shown in the main window.

#include <atomic>

#include "files/auto_scan_link.h"
#include "head/acquisition_thread.h"
#include "ui/link_window.h"
#include "ui/live_link.h"
#include "ui/sonar_system.h"

namespace tarvisk {

// The azimuth drive, orientation, GPS and head scan side of live operation: its share of the
// loop's seams, and the GPS input, which starts and stops with the head link.
class LinkPeripherals : public AcquisitionSeams {
  public:
    virtual void StartGps() = 0;
    virtual void StopGps() = 0;
};

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

    // The peripherals and the automated scans plug in here once they are built; nullptr
    // withdraws them. Until then the loop runs without them.
    void SetPeripherals(LinkPeripherals* peripherals) { peripherals_ = peripherals; }
    void SetScans(AutoScanSeams* scans) { scans_ = scans; }

    // LinkStatusView
    void ShowLinkStatus(PaletteColour text, PaletteColour background, PaletteColour frame,
                        int32_t selector) override;
    void ClearReplyActivityMark() override;
    void ShowWarning(const std::string& text, const std::string& title) override;

    // AcquisitionSeams: the peripherals' share, then the scans'.
    void OnClockSecond() override;
    void HeadScanStep() override {
        if (LinkPeripherals* p = peripherals_.load())
            p->HeadScanStep();
    }
    void SimulateAzimuthReply() override {
        if (LinkPeripherals* p = peripherals_.load())
            p->SimulateAzimuthReply();
    }
    void OnAzimuthDriveNotFound() override {
        if (LinkPeripherals* p = peripherals_.load())
            p->OnAzimuthDriveNotFound();
    }
    bool AutomatedScanRunning() override {
        AutoScanSeams* scans = scans_.load();
        return scans && scans->AutomatedScanRunning();
    }
    void AutoAzimuthScanStep() override {
        if (AutoScanSeams* scans = scans_.load())
            scans->AutoAzimuthScanStep();
    }
    void RunAutoProfileScan(int32_t kind) override {
        if (AutoScanSeams* scans = scans_.load())
            scans->RunAutoProfileScan(kind);
    }
    void RunAutoAzimuthDialog() override {
        if (AutoScanSeams* scans = scans_.load())
            scans->RunAutoAzimuthDialog();
    }

  private:
    // A port this user may not open says why, on the terminal and in the window.
    void ReportPortAccess(int32_t port, const std::string& path);

    SonarSystem& system_;
    LinkWindow* window_ = nullptr;
    // Read by the acquisition thread while the window thread plugs them in and out.
    std::atomic<LinkPeripherals*> peripherals_{nullptr};
    std::atomic<AutoScanSeams*> scans_{nullptr};
    AcquisitionThread thread_;
};

}  // namespace tarvisk
