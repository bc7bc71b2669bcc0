#pragma once
// Run-state flags that the panel, the commands and the automated scans set and the shot
// pipeline reads (or the other way round). One instance for the whole run.

#include "settings/shared_value.h"

namespace tarvisk {

struct ImagingState {
    // The working sector width before the last change (panel, mode step, played records);
    // a sector narrower than this clears the image on the next format check.
    SharedInt PreviousSectorSize{360};
    // The range last shown on the panel; the panel sets 1000 to force a refresh.
    SharedInt LastShownRange{1000};

    // Automated scans: set by the scan dialogs and the end-of-sweep logic.
    SharedInt AutoProfileRunning{0};
    // 1 from the scan start until the head reaches the start edge of the sector.
    SharedInt WaitingForStart{0};
    // The step-direction bit when the wait ended; shots of the other direction are not drawn.
    SharedInt StartDirection{0};

    // Sector limits in head positions (0..1199) and the sector start index, as the dial
    // routine last computed them.
    SharedInt FirstSectorLimit{0};
    SharedInt SecondSectorLimit{1199};
    SharedInt SectorStartIndex{0};

    // Set by the window when the picture starts afresh while the acquisition thread runs:
    // the echo line and history are that thread's, so the pipeline clears them itself
    // before its next shot.
    SharedInt HistoryClearRequest{0};
};

}  // namespace tarvisk
