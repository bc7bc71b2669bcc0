#include "head/link_status.h"

namespace tarvisk {

LinkStatusText ChooseLinkStatusText(const LinkStatusFacts& f) {
    LinkStatusText out;
    if (!f.portProblem.empty()) {
        out.text = f.portProblem;
    } else if (f.headScanActive) {
        out.text = "Scanning Head ID's . . .";
        out.headScanColours = true;
    } else if (f.selector == NoDataAtComPortSelector) {
        out.text = "No Data at COM" + std::to_string(f.comPort + 1);
    } else {
        out.text = "No Data at ComPort";
    }
    if (f.scanAdjustingTransducer) {
        out.text = "Wait - Adjusting Transducer";
        out.azimuthOrScanRule = true;
    }
    if (f.azimuthWaiting) {
        out.azimuthOrScanRule = true;
        if (f.azimuthDetected) {
            out.text = "Wait - Adjusting Azimuth";
            out.erase = f.azimuthInPosition;
        } else {
            out.text = "Detecting Azimuth Drive...";
        }
    }
    return out;
}

}  // namespace tarvisk
