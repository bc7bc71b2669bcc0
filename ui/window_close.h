#pragma once
// What closing the window does before the window goes: the head stops, the files close and
// the settings are written back, in playback with the live values kept aside. A settings file
// that could not be read at start is left alone, and the operator is told so.

#include <chrono>
#include <string>

#include "platform/window_services.h"
#include "ui/live_link.h"
#include "ui/sonar_system.h"
#include "ui/window_state.h"

namespace tarvisk {

// On top of the recorder's own few seconds: closing ends in well under ten whatever the disk.
inline constexpr std::chrono::milliseconds SettingsSaveWait{3000};

// A warning box; a line on stderr in a scripted run.
void WarnOperator(WindowServices& services, bool scripted, const std::string& title,
                  const std::string& text);

void StopAndSaveOnClose(SonarSystem& system, LiveLink& link, const WindowState& state,
                        WindowServices& services);

}  // namespace tarvisk
