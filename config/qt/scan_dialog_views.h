#pragma once
// Thin Qt views of the scan dialogs: "SNAPSHOT", "SNAPSHOT2", "AUTOAZIMUTH" and "SAVEPROFILE".
// Every control carries its identifier as object name ("id500"), so tests find them. All logic
// is in the models; these only show it and pass clicks and edits on.

#include <functional>

#include "config/scan_azimuth_dialog.h"
#include "config/scan_profile_dialog.h"

class QWidget;

namespace tarvisk {

// Modal; returns when Ok or Cancel closed it (Ok has applied the model).
void RunAutoProfileDialogView(QWidget* owner, AutoProfileDialogModel& model,
                              SonarSettings& settings, AutoProfileRunState& run);
void RunAutoAzimuthDialogView(QWidget* owner, AutoAzimuthDialogModel& model,
                              SonarSettings& settings, AutoAzimuthRunFlags& run,
                              const std::function<void()>& closeXyz);
// "Save This Profile?": true for "Yes".
bool RunSaveProfileDialogView(QWidget* owner);

}  // namespace tarvisk
