#include "app/periph_wiring.h"

#include <algorithm>
#include <cstring>

#include "app/file_session.h"
#include "config/qt/peripheral_dialogs.h"
#include "display/gps_readout.h"
#include "display/peripheral_windows.h"
#include "display/qt/child_canvas.h"
#include "display/qt/peripheral_views.h"
#include "files/auto_scan_context.h"
#include "head/azimuth_drive.h"
#include "head/head_scan.h"

namespace tarvisk {

Peripherals::Peripherals(SonarSystem& system, MainWindow& window, AcquisitionLiveLink& link,
                         FileSession& files)
    : system_(system),
      window_(window),
      live_(link),
      files_(files),
      gps_(system.settings, system.gps, *this) {
    BuildWindows();
    system_.link.Hooks = this;
    live_.SetPeripherals(this);
    window_.parts.Attach(this);
    window_.Panel().onPaintGps = [this] { ShowGpsPosition(false); };
    files_.Commands().Recorder().SetGpsSource(this);
    files_.onPlayedRecord = [this](const PlayedRecordState& record, bool gpsChanged,
                                   bool azimuthChanged) {
        if (azimuthChanged) {
            system_.link.ReportedAzimuthPosition = record.AzimuthPosition;
            RedrawAzimuth();
        }
        if (!gpsChanged)
            return;
        {
            std::lock_guard lock(system_.gps.Busy);
            GpsFields& f = system_.gps.Fields;
            std::memcpy(f.PositionText.data(), record.Gps.PositionText.data(), GpsPositionTextSize);
            f.UtcTimeText = record.Gps.UtcTimeText;
            f.FixQuality = record.Gps.FixQuality;
            f.Satellites = record.Gps.Satellites;
            f.Hdop = record.Gps.Hdop;
            f.Altitude = record.Gps.Altitude;
            f.ThirdValue = record.Gps.ThirdValue;
        }
        system_.gps.Age = record.GpsAge;
        playedGps_ = record.HasGps;
        tarvisk::ShowGpsPosition(window_.Surface(), system_.gps, system_.settings, false,
                                 playedGps_);
    };
}

Peripherals::~Peripherals() {
    gps_.StopGps();
    if (system_.link.Hooks == this)
        system_.link.Hooks = nullptr;
    live_.SetPeripherals(nullptr);
    files_.Commands().Recorder().SetGpsSource(nullptr);
    files_.onPlayedRecord = nullptr;
    if (profileContext_)
        profileContext_->positionAndAttitude = nullptr;
    window_.parts.Detach(this);
    window_.Panel().onPaintGps = nullptr;
    for (ChildCanvas* canvas :
         {azimuthView_ ? azimuthView_->Canvas() : nullptr, orientationView_.data(),
          diagnosticsView_.data(), scanView_ ? scanView_->Canvas() : nullptr})
        if (canvas)
            canvas->draw = nullptr;
    if (azimuthView_)
        azimuthView_->onButton = nullptr;
    if (scanView_) {
        scanView_->onChangeId = nullptr;
        scanView_->onProgram = nullptr;
    }
}

void Peripherals::BuildWindows() {
    HostWindow& host = window_.Host();
    const DrawSurface& palette = window_.Surface();
    SonarSettings& s = system_.settings;
    HeadLink& link = system_.link;

    auto* azimuth = new AzimuthWindowView(palette, host.ChildWidget(ChildWindowId::Azimuth));
    azimuth->Canvas()->draw = [this](DrawSurface& surface) {
        DrawAzimuthWindow(surface, AzimuthFacts(system_.settings, system_.link));
        UpdateAzimuthButton();
    };
    azimuth->onButton = [this] { ChangeAzimuth(); };
    FillChildWindow(host.ChildWidget(ChildWindowId::Azimuth), azimuth);
    OnChildClosed(host.ChildWidget(ChildWindowId::Azimuth), [&s] { s.AzimuthWindow = 0; });
    azimuthView_ = azimuth;

    auto* orientation = new ChildCanvas(OrientationCanvasSize, palette,
                                        host.ChildWidget(ChildWindowId::Orientation));
    orientation->draw = [this](DrawSurface& surface) {
        DrawOrientationWindow(surface, OrientationFacts(system_.link, system_.orientation));
    };
    FillChildWindow(host.ChildWidget(ChildWindowId::Orientation), orientation);
    OnChildClosed(host.ChildWidget(ChildWindowId::Orientation), [this, &s] {
        s.EnableOrientationModule = 0;
        window_.Menu().SetText(IdOrientationModule, "Enable &Orientation Module");
    });
    orientationView_ = orientation;

    auto* diagnostics = new ChildCanvas(DiagnosticsCanvasSize, palette,
                                        host.ChildWidget(ChildWindowId::Diagnostics));
    diagnostics->draw = [this](DrawSurface& surface) {
        const LinkCounters& c = live_.Thread().Counters();
        LineFacts line{c.LastErrors, c.QueuedBytes, c.ErrorWord};
        bool driveColumn = false;
        const auto rows = DiagnosticsRows(system_.settings, DiagnosticsReplies(),
                                          system_.orientation, line, &driveColumn);
        DrawDiagnosticsWindow(surface, rows, driveColumn);
    };
    FillChildWindow(host.ChildWidget(ChildWindowId::Diagnostics), diagnostics);
    OnChildClosed(host.ChildWidget(ChildWindowId::Diagnostics), [&s] { s.DiagnosticsShown = 0; });
    diagnosticsView_ = diagnostics;

    auto* scan = new HeadScanWindowView(palette, host.ChildWidget(ChildWindowId::HeadScan));
    scan->Canvas()->draw = [this](DrawSurface& surface) {
        DrawHeadScanWindow(surface, ScanFacts());
    };
    scan->onChangeId = [this] { ChangeHeadId(); };
    scan->onProgram = [this] { ProgramHead(); };
    FillChildWindow(host.ChildWidget(ChildWindowId::HeadScan), scan);
    OnChildClosed(host.ChildWidget(ChildWindowId::HeadScan), [this, &s, &link] {
        StopHeadScan(link, s);
        window_.Menu().Check(IdHeadScan, false);
    });
    scanView_ = scan;
}

void Peripherals::UpdateAzimuthButton() {
    if (!azimuthView_)
        return;
    const bool scan = system_.link.AutoScanActive != 0;
    azimuthView_->SetButton(AzimuthButtonText(scan), system_.settings.RunMode == 0 && !scan);
}

HeadScanFacts Peripherals::ScanFacts() {
    std::lock_guard lock(scanMutex_);
    HeadScanFacts f = scanFacts_;
    f.scanId = system_.link.ScanId;
    f.errorWord = live_.Thread().Counters().ErrorWord;
    return f;
}

void Peripherals::RedrawAzimuth() {
    if (azimuthView_ && system_.settings.AzimuthWindow)
        azimuthView_->Canvas()->Redraw();
}

void Peripherals::RedrawOrientation() {
    if (orientationView_)
        orientationView_->Redraw();
}

void Peripherals::RedrawDiagnostics() {
    // Kept while the window is hidden too, so it opens on the last replies.
    {
        std::lock_guard lock(diagnosticsMutex_);
        diagnosticsReplies_ = TakeDiagnosticsReplies(system_.link);
    }
    if (diagnosticsView_ && system_.settings.DiagnosticsShown)
        diagnosticsView_->Redraw();
}

DiagnosticsReplies Peripherals::DiagnosticsReplies() {
    std::lock_guard lock(diagnosticsMutex_);
    return diagnosticsReplies_;
}

void Peripherals::RedrawHeadScan() {
    if (scanView_ && system_.settings.HeadScanShown)
        scanView_->Canvas()->Redraw();
}

void Peripherals::OnAzimuthReply() {
    if (system_.link.Azimuth.FirstReply)
        window_.Panel().ShowAzimuthNotFound(false);
    if (system_.settings.RunMode == 0)
        live_.ShowLinkStatus(LinkStatusErased, LinkStatusErased, LinkStatusErased,
                             NoDataAtComPortSelector);
    RedrawAzimuth();
}

void Peripherals::OnOrientationReply() {
    ApplyOrientationReply(system_.orientation, system_.link.Orientation, system_.settings);
    RedrawOrientation();
}

void Peripherals::OnOrientationUnanswered() {
    RedrawOrientation();
}

void Peripherals::OnHeadIdChanged() {
    RedrawHeadScan();
}

void Peripherals::OnClockSecond() {
    if (AdvanceGpsAge(system_.gps, system_.settings))
        ShowGpsPosition(false);
}

void Peripherals::HeadScanStep() {
    HeadLink& link = system_.link;
    if (!tarvisk::HeadScanStep(link, system_.headScan))
        return;
    {
        std::lock_guard lock(scanMutex_);
        // Only a "T" reply in the buffer is shown; anything else leaves the area empty.
        scanFacts_.haveBlock = link.Reply.bytes[1] == ReplyTypeHeadScan;
        if (scanFacts_.haveBlock)
            scanFacts_.nv = NvRamFromReply(link.Reply.bytes.data());
    }
    RedrawHeadScan();
}

void Peripherals::SimulateAzimuthReply() {
    HeadLink& link = system_.link;
    if (link.AutoScanActive != 0) {
        // The operator turns the head by hand; the acquisition waits for the answer.
        window_.Host().ShowMessage(ManualAdjustmentTitle,
                                   ManualAdjustmentText(system_.settings.AzimuthAngle),
                                   MessageKind::Plain);
    }
    FillSimulatedAzimuthReply(link);
    system_.pipeline.ProcessShot();
}

void Peripherals::OnAzimuthDriveNotFound() {
    window_.Panel().ShowAzimuthNotFound(true);
    RedrawAzimuth();
}

void Peripherals::ShowGpsPosition(bool fresh) {
    tarvisk::ShowGpsPosition(window_.Surface(), system_.gps, system_.settings, fresh, playedGps_);
}

void Peripherals::CopyFix(GpsFix& out) {
    const GpsFields f = system_.gps.Copy();
    out.PositionText.fill('\0');
    if (f.HasPosition())
        std::memcpy(out.PositionText.data(), f.PositionText.data(),
                    std::min(out.PositionText.size() - 1, f.PositionText.size()));
    std::memcpy(out.UtcTimeText.data(), f.UtcTimeText.data(),
                std::min(out.UtcTimeText.size(), f.UtcTimeText.size()));
    out.FixQuality = f.FixQuality;
    out.Satellites = f.Satellites;
    out.Hdop = f.Hdop;
    out.Altitude = f.Altitude;
    out.ThirdValue = f.ThirdValue;
}

void Peripherals::ChangeAzimuth() {
    SonarSettings& s = system_.settings;
    if (s.RunMode != 0 || system_.link.AutoScanActive != 0)
        return;
    int32_t angle = s.AzimuthAngle;
    if (RunAzimuthSetupDialog(&window_.Host(), angle))
        s.AzimuthAngle = angle;
    RedrawAzimuth();
    if (s.AzimuthDriveEnable)
        live_.RequestAzimuthDetection();
}

void Peripherals::ChangeHeadId() {
    HeadIdChoice choice;
    if (!RunSetNewHeadIdDialog(&window_.Host(), system_.settings.MasterHeadID, choice))
        return;
    HeadLink& link = system_.link;
    link.NewHeadId = choice.newId;
    link.HeadIdChangeRequest = choice.request ? 1 : 0;
}

void Peripherals::ProgramHead() {
    HeadLink& link = system_.link;
    ProgramHeadChoice choice;
    if (!RunProgramHeadDialog(&window_.Host(), system_.settings.MasterHeadID,
                              link.NvRamSerialNumber, link.NvRamDepthRating, choice))
        return;
    link.NewHeadId = choice.id.newId;
    link.NvRamSerialNumber = choice.serialNumber;
    link.NvRamDepthRating = choice.depthRating;
    link.HeadIdChangeRequest = choice.id.request ? 1 : 0;
    link.NvRamWriteRequest = choice.programRequest ? 1 : 0;
}

void Peripherals::OnRunModeApplied() {
    SonarSettings& s = system_.settings;
    HeadLink& link = system_.link;
    const bool live = s.RunMode == 0;
    ResetOrientation(system_.orientation, link);
    RedrawOrientation();
    system_.gps.Clear();
    playedGps_ = false;
    if (!live || s.UseGPS == 0)
        system_.gps.Age = 5;
    ShowGpsPosition(false);
    if (s.AzimuthDriveEnable) {
        if (live) {
            ResetAzimuthDriveState(link);
            live_.RequestAzimuthDetection();
        } else {
            StopAzimuthPolling(link);
            link.ReportedAzimuthPosition = 600;
        }
        RedrawAzimuth();
    }
}

void Peripherals::StartGps() {
    SonarSettings& s = system_.settings;
    if (s.UseGPS != 1 || !system_.portAvailability.gpsPortUsable)
        return;
    const int32_t port = s.ComPortGPS;
    if (gps_.OpenGpsPort(port, system_.ports.PathFor(port)))
        gps_.StartGps();
}

void Peripherals::StopGps() {
    gps_.StopGps();
}

void Peripherals::FillProfileContexts(ShotHooks& hooks) {
    profileContext_ = dynamic_cast<StampProfileContext*>(hooks.profileContext);
    if (!profileContext_)
        return;
    profileContext_->positionAndAttitude = [this](ProfileContext& c) {
        if (system_.settings.UseGPS == 1) {
            const GpsFields f = system_.gps.Copy();
            if (f.HasPosition())
                std::memcpy(c.GpsPosition.data(), f.PositionText.data(),
                            std::min(c.GpsPosition.size() - 1, GpsPositionTextSize));
            c.GpsAltitude = static_cast<int32_t>(f.Altitude);
        }
        c.Pitch = system_.orientation.FilteredPitch;
        c.Roll = system_.orientation.FilteredRoll;
        c.Heading = system_.orientation.FilteredHeading;
    };
}

std::unique_ptr<Peripherals> InstallPeripherals(SonarSystem& system, MainWindow& window,
                                                AcquisitionLiveLink& link, FileSession& files) {
    return std::make_unique<Peripherals>(system, window, link, files);
}

}  // namespace tarvisk
