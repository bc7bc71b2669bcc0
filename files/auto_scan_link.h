#pragma once
// The automated scans on the real acquisition thread: the scan-step command and the azimuth
// move go out through it, and its loop runs the scans' dialogs and end-of-sweep test.

#include <string>

#include "files/auto_scan.h"
#include "head/acquisition_thread.h"

namespace tarvisk {

class AcquisitionScanLink : public ScanLink {
  public:
    AcquisitionScanLink(AcquisitionThread& thread, const HeadLink& link)
        : thread_(thread), link_(link) {}
    void SendScanStep(uint8_t trainCode) override { thread_.SendScanStep(trainCode); }
    void RequestAzimuthMove() override { thread_.Requests().AzimuthDetectionRequest = 1; }
    int32_t DrivePosition() override {
        if (!link_.Settings.AzimuthDriveEnable || !link_.AzimuthDetected)
            return -1;
        return link_.ReportedAzimuthPosition;
    }
    std::string DateText() override { return thread_.Stamp().DateText.Get(); }

  private:
    AcquisitionThread& thread_;
    const HeadLink& link_;
};

// The loop's scan calls, handed to the scans.
class AutoScanSeams : public AcquisitionSeams {
  public:
    explicit AutoScanSeams(AutoScan& scan) : scan_(scan) {}
    bool AutomatedScanRunning() override { return scan_.Running(); }
    void AutoAzimuthScanStep() override { scan_.AfterValidShot(); }
    void RunAutoProfileScan(int32_t kind) override { scan_.RunAutoProfileDialog(kind == 1); }
    void RunAutoAzimuthDialog() override { scan_.RunAutoAzimuthDialog(); }

  private:
    AutoScan& scan_;
};

}  // namespace tarvisk
