#pragma once
// One of everything the program needs for the whole run, created at start-up. A test builds
// a fresh one in a line; the window and the threads receive references into it.

#include <string>

#include "config/port_map.h"
#include "config/user_config.h"
#include "head/gps_fix.h"
#include "head/head_link.h"
#include "head/head_scan.h"
#include "head/orientation_module.h"
#include "imaging/echo_history.h"
#include "imaging/imaging_state.h"
#include "imaging/palette.h"
#include "imaging/profile_points.h"
#include "imaging/profile_record_table.h"
#include "imaging/shot_pipeline.h"
#include "imaging/sonar_drawing.h"
#include "imaging/sonar_image.h"
#include "platform/port_probe.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

struct SonarSystem {
    SonarSettings settings;
    LiveCopy liveCopy;
    PortMap ports;
    UserConfig userConfig;
    PortAvailability portAvailability;
    HeadLink link{settings};
    SonarImage image;
    Palette palette;
    ImagingState imaging;
    ProfilePoints points;
    EchoHistory history;
    SonarDrawing drawing{settings, image, points};
    ProfileRecordTable profileRecords;
    ShotPipeline pipeline{settings, link, drawing, history, profileRecords, imaging};
    OrientationModule orientation;
    GpsState gps;
    HeadScanState headScan;
    std::string iniPath;
    std::string iniReadError;  // TARVISK.INI could not be read at start: it is never written
};

}  // namespace tarvisk
