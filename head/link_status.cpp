#include "head/link_status.h"

#include "head/head_link.h"

namespace tarvisk {

LinkStatusBox ChooseLinkStatus(const LinkStatusFacts& f, LinkStatusColours asked) {
    LinkStatusBox out{{}, asked};
    bool azimuthOrScanRule = false;
    if (!f.portProblem.empty()) {
        out.text = f.portProblem;
    } else if (f.headScanActive) {
        out.text = "Scanning Head ID's . . .";
        if (asked.text != asked.fill)
            out.colours = {WhiteColour, PanelStatusFill, PanelLightGrey};
    } else if (f.selector == NoDataAtComPortSelector) {
        out.text = "No Data at COM" + std::to_string(f.comPort + 1);
    } else {
        out.text = "No Data at ComPort";
    }
    if (f.scanAdjustingTransducer) {
        out.text = "Wait - Adjusting Transducer";
        azimuthOrScanRule = true;
    }
    bool erase = false;
    if (f.azimuthWaiting) {
        azimuthOrScanRule = true;
        if (f.azimuthDetected) {
            out.text = "Wait - Adjusting Azimuth";
            erase = f.azimuthInPosition;
        } else {
            out.text = "Detecting Azimuth Drive...";
        }
    }
    if (azimuthOrScanRule && out.colours.fill == PanelBrightRed)
        out.colours.fill = PanelStatusFill;
    if (erase)
        out.colours.text = out.colours.fill;
    return out;
}

LinkStatusFacts GatherLinkStatusFacts(const HeadLink& link, const SonarSettings& settings,
                                      int32_t selector) {
    LinkStatusFacts facts;
    facts.headScanActive = link.HeadScanActive != 0;
    facts.comPort = settings.ComPort;
    facts.selector = selector;
    facts.portProblem = link.PortProblemText.Get();
    facts.azimuthWaiting = settings.AzimuthDriveEnable == 1 && settings.RunMode == 0 &&
                           link.AzimuthExchangePending != 0 &&
                           link.Reply.bytes[1] != ReplyTypeAzimuth;
    facts.azimuthDetected = link.AzimuthDetected != 0;
    facts.azimuthInPosition = link.ReportedAzimuthPosition == settings.AzimuthAngle;
    return facts;
}

}  // namespace tarvisk
