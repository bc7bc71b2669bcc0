#include "ui/acquisition_link.h"

#include <cstdio>

#include "platform/port_access.h"

namespace tarvisk {

AcquisitionLiveLink::AcquisitionLiveLink(SonarSystem& system)
    : system_(system), thread_(system.link, system.pipeline, *this, *this) {}

AcquisitionLiveLink::~AcquisitionLiveLink() {
    thread_.StopAcquisition();
}

void AcquisitionLiveLink::Start() {
    const int32_t port = system_.settings.ComPort;
    const std::string path = system_.ports.PathFor(port);
    const bool opened = thread_.OpenHeadPort(port, path);
    // A missing or busy port is tried again once a second; the status line says why.
    thread_.StartAcquisition(system_.settings.BaudIndex);
    if (!opened)
        ReportPortAccess(port, path);
    if (LinkPeripherals* p = peripherals_.load())
        p->StartGps();
}

void AcquisitionLiveLink::ReportPortAccess(int32_t port, const std::string& path) {
    const PortAccessProblem problem = CheckPortAccess(path);
    if (!problem.denied)
        return;
    std::fprintf(stderr, "tarvisk: COM%d: %s\n", port + 1, problem.message.c_str());
    if (!window_)
        return;
    char text[32];
    std::snprintf(text, sizeof text, "No Access to COM%d", port + 1);
    window_->Panel().DrawStatusBox(text, WhiteColour, PanelBrightRed, PanelLightGrey);
    if (!window_->Scripted())
        window_->Services().ShowMessage("Serial Port", problem.message, MessageKind::Warning);
}

void AcquisitionLiveLink::Stop() {
    thread_.StopAcquisition();
    if (LinkPeripherals* p = peripherals_.load())
        p->StopGps();
}

void AcquisitionLiveLink::ShowLinkStatus(PaletteColour text, PaletteColour background,
                                         PaletteColour frame, int32_t selector) {
    if (window_)
        window_->ShowLinkStatus(text, background, frame, selector);
}

void AcquisitionLiveLink::ClearReplyActivityMark() {
    if (window_)
        window_->ClearActivityMark();
}

void AcquisitionLiveLink::ShowWarning(const std::string& text, const std::string& title) {
    if (window_)
        window_->Services().ShowMessage(title, text, MessageKind::Warning);
}

void AcquisitionLiveLink::OnClockSecond() {
    if (LinkPeripherals* p = peripherals_.load())
        p->OnClockSecond();
    if (!window_)
        return;
    char text[40];
    thread_.Stamp().DateAndTimeText.CopyTo(text, sizeof text);
    window_->ShowDateTime(text);
}

}  // namespace tarvisk
