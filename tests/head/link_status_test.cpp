// The status line under the image: which message wins and the colours it is drawn in, one row
// per case the loop and the automated scans can bring about.
#include "head/link_status.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvisk {
namespace {

constexpr LinkStatusColours Shown{WhiteColour, PanelBrightRed, PanelLightGrey};
constexpr LinkStatusColours Erased{PanelDarkGrey, PanelDarkGrey, PanelDarkGrey};
constexpr LinkStatusColours ScanColours{WhiteColour, PanelStatusFill, PanelLightGrey};

struct Row {
    const char* name;
    LinkStatusFacts facts;
    LinkStatusColours asked;
    const char* text;
    LinkStatusColours drawn;
};

LinkStatusFacts Facts(int32_t port, int32_t selector) {
    LinkStatusFacts f;
    f.comPort = port;
    f.selector = selector;
    return f;
}
LinkStatusFacts HeadScan() {
    LinkStatusFacts f = Facts(0, NoDataAtComPortSelector);
    f.headScanActive = true;
    return f;
}
LinkStatusFacts Transducer() {
    LinkStatusFacts f = Facts(0, NoDataAtComPortSelector);
    f.scanAdjustingTransducer = true;
    return f;
}
LinkStatusFacts Azimuth(bool detected, bool inPosition) {
    LinkStatusFacts f = Facts(0, NoDataAtComPortSelector);
    f.azimuthWaiting = true;
    f.azimuthDetected = detected;
    f.azimuthInPosition = inPosition;
    return f;
}

TEST(LinkStatus, MessageAndColoursForEachCase) {
    const Row rows[] = {
        {"no data, first port", Facts(0, NoDataAtComPortSelector), Shown, "No Data at COM1", Shown},
        {"no data, last port", Facts(7, NoDataAtComPortSelector), Shown, "No Data at COM8", Shown},
        {"no data, generic", Facts(3, NoDataGenericSelector), Shown, "No Data at ComPort", Shown},
        {"erased message keeps its colours", Facts(1, NoDataAtComPortSelector), Erased,
         "No Data at COM2", Erased},
        {"head scan shown", HeadScan(), Shown, "Scanning Head ID's . . .", ScanColours},
        {"head scan erased", HeadScan(), Erased, "Scanning Head ID's . . .", Erased},
        {"transducer moving",
         Transducer(),
         Shown,
         "Wait - Adjusting Transducer",
         {WhiteColour, PanelStatusFill, PanelLightGrey}},
        {"transducer, erased", Transducer(), Erased, "Wait - Adjusting Transducer", Erased},
        {"drive not yet detected",
         Azimuth(false, false),
         Shown,
         "Detecting Azimuth Drive...",
         {WhiteColour, PanelStatusFill, PanelLightGrey}},
        {"drive moving",
         Azimuth(true, false),
         Shown,
         "Wait - Adjusting Azimuth",
         {WhiteColour, PanelStatusFill, PanelLightGrey}},
        {"drive in position: text drawn as its fill",
         Azimuth(true, true),
         Shown,
         "Wait - Adjusting Azimuth",
         {PanelStatusFill, PanelStatusFill, PanelLightGrey}},
        {"a port that cannot be used outranks the head scan",
         [] {
             LinkStatusFacts f = HeadScan();
             f.portProblem = "COM1 (/dev/ttyUSB0) not found";
             return f;
         }(),
         Shown, "COM1 (/dev/ttyUSB0) not found", Shown},
        {"drive wait outranks the head scan",
         [] {
             LinkStatusFacts f = Azimuth(false, false);
             f.headScanActive = true;
             return f;
         }(),
         Shown, "Detecting Azimuth Drive...", ScanColours},
        {"drive wait outranks the transducer",
         [] {
             LinkStatusFacts f = Azimuth(true, false);
             f.scanAdjustingTransducer = true;
             return f;
         }(),
         Shown,
         "Wait - Adjusting Azimuth",
         {WhiteColour, PanelStatusFill, PanelLightGrey}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const LinkStatusBox box = ChooseLinkStatus(row.facts, row.asked);
        EXPECT_EQ(box.text, row.text);
        EXPECT_EQ(box.colours.text, row.drawn.text);
        EXPECT_EQ(box.colours.fill, row.drawn.fill);
        EXPECT_EQ(box.colours.frame, row.drawn.frame);
    }
}

}  // namespace
}  // namespace tarvisk
