#include "app/acquisition_link.h"

#include "app/main_window.h"

namespace tarvisk {

AcquisitionLiveLink::AcquisitionLiveLink(SonarSystem& system)
    : system_(system), thread_(system.link, system.pipeline, *this, *this) {}

AcquisitionLiveLink::~AcquisitionLiveLink() {
    thread_.StopAcquisition();
}

void AcquisitionLiveLink::Start() {
    const int32_t port = system_.settings.ComPort;
    if (thread_.OpenHeadPort(port, system_.ports.PathFor(port)))
        thread_.StartAcquisition(system_.settings.BaudIndex);
    if (startGps)
        startGps();
}

void AcquisitionLiveLink::Stop() {
    thread_.StopAcquisition();
    if (stopGps)
        stopGps();
}

void AcquisitionLiveLink::ShowLinkStatus(PaletteColour text, PaletteColour background,
                                         PaletteColour frame, int32_t selector) {
    if (window_)
        window_->ShowLinkStatus(text, background, frame, selector);
}

void AcquisitionLiveLink::ClearReplyActivityMark() {
    if (window_)
        window_->Panel().ClearActivityMark();
}

void AcquisitionLiveLink::ShowWarning(const std::string& text, const std::string& title) {
    if (window_)
        window_->Host().ShowMessage(title, text, MessageKind::Warning);
}

void AcquisitionLiveLink::OnClockSecond() {
    if (peripherals)
        peripherals->OnClockSecond();
    if (!window_)
        return;
    char text[40];
    thread_.Stamp().DateAndTimeText.CopyTo(text, sizeof text);
    window_->Panel().DrawDateTime(text);
}

}  // namespace tarvisk
