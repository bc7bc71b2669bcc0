#pragma once
// The azimuth drive, the orientation module, the GPS input, the head scan and the four child
// windows, joined to the window, the acquisition thread and the files layer.

#include <QPointer>
#include <atomic>
#include <memory>
#include <mutex>

#include "app/main_window.h"
#include "display/diagnostics_window.h"
#include "files/ksd_record.h"
#include "head/gps_input.h"
#include "ui/acquisition_link.h"
#include "ui/sonar_system.h"

namespace tarvisk {

class FileSession;
class ChildCanvas;
class AzimuthWindowView;
class HeadScanWindowView;

class Peripherals final : public LinkHooks,
                          public LinkPeripherals,
                          public GpsView,
                          public GpsFixSource,
                          public WindowPart {
  public:
    Peripherals(SonarSystem& system, MainWindow& window, AcquisitionLiveLink& link,
                FileSession& files);
    ~Peripherals() override;

    GpsInput& Gps() { return gps_; }

    // LinkHooks (acquisition thread, or the window thread in playback)
    void OnAzimuthReply() override;
    void OnOrientationReply() override;
    void OnOrientationUnanswered() override;
    void OnHeadIdChanged() override;
    // LinkPeripherals (acquisition thread)
    void OnClockSecond() override;
    void HeadScanStep() override;
    void SimulateAzimuthReply() override;
    void OnAzimuthDriveNotFound() override;
    // GpsView (GPS thread, or the window thread)
    void ShowGpsPosition(bool fresh) override;
    // GpsFixSource (the recorder, acquisition thread)
    void CopyFix(GpsFix& out) override;

    // Window thread.
    void ChangeAzimuth();
    void ChangeHeadId();
    void ProgramHead();
    void StartGps() override;
    void StopGps() override;
    // WindowPart
    void OnRunModeApplied() override;
    void RefreshDiagnostics() override { RedrawDiagnostics(); }
    void RefreshOrientationWindow() override { RedrawOrientation(); }

    // Profile records (and so the XYZ files) take the GPS position and the attitude from here.
    void FillProfileContexts(ShotHooks& hooks);

    // Any thread: queue a repaint of a child window when it is shown.
    void RedrawAzimuth();
    void RedrawOrientation();
    void RedrawDiagnostics();
    void RedrawHeadScan();

  private:
    void BuildWindows();
    void UpdateAzimuthButton();
    HeadScanFacts ScanFacts();
    tarvisk::DiagnosticsReplies DiagnosticsReplies();

    SonarSystem& system_;
    MainWindow& window_;
    AcquisitionLiveLink& live_;
    FileSession& files_;
    GpsInput gps_;
    // Set on the window thread (playback, a mode switch), read by the GPS reader's thread too.
    std::atomic<bool> playedGps_{false};
    std::mutex scanMutex_;
    // Taken on the thread that decodes replies, painted on the window thread.
    std::mutex diagnosticsMutex_;
    tarvisk::DiagnosticsReplies diagnosticsReplies_;
    HeadScanFacts scanFacts_;
    QPointer<AzimuthWindowView> azimuthView_;
    QPointer<ChildCanvas> orientationView_;
    QPointer<ChildCanvas> diagnosticsView_;
    QPointer<HeadScanWindowView> scanView_;
    class StampProfileContext* profileContext_ = nullptr;
};

// Builds the peripherals and plugs them into the window, the acquisition and the files layer.
std::unique_ptr<Peripherals> InstallPeripherals(SonarSystem& system, MainWindow& window,
                                                AcquisitionLiveLink& link, FileSession& files);

}  // namespace tarvisk
