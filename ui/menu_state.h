#pragma once
// Which menu items are checked, greyed and how they read, as the settings and the run mode
// have them. The start-up, the mode switch and the toggling commands share these rules.

#include "platform/menu_model.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

// Every item that follows a setting, as the INI file left them (window creation).
void ApplyMenuStateFromSettings(MenuModel& menu, const SonarSettings& s);
// The profile grid's item and the transducer items, whose texts name the grid's directions.
void ShowProfileGridMenuState(MenuModel& menu, const SonarSettings& s);
// The drive's item and the items that need the drive (usable live only).
void ShowAzimuthDriveMenuState(MenuModel& menu, bool driveEnabled, bool live);
// The items of the source just switched to.
void SetPlaybackMenuState(MenuModel& menu);
void SetLiveMenuState(MenuModel& menu, const SonarSettings& s);

}  // namespace tarvisk
