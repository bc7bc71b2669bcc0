#pragma once
// The Qt faces of the "Change Azimuth", "Set New Head ID" and "Program Sonar Head" dialogs.
// Each runs modally on the window thread and returns true when "Ok" closed it.

#include <QWidget>
#include <cstdint>

#include "config/head_id_models.h"

namespace tarvisk {

// On true, `azimuthAngle` holds the new drive position.
bool RunAzimuthSetupDialog(QWidget* parent, int32_t& azimuthAngle);
bool RunSetNewHeadIdDialog(QWidget* parent, int32_t masterHeadId, HeadIdChoice& out);
bool RunProgramHeadDialog(QWidget* parent, int32_t masterHeadId, int32_t serialNumber,
                          int32_t depthRating, ProgramHeadChoice& out);

}  // namespace tarvisk
