#pragma once
// The "User Text" dialog: the caption shown beside the image and stored in every record.

#include <string>
#include <string_view>

#include "settings/sonar_settings.h"

namespace tarvisk {

inline constexpr size_t UserTextDialogLength = 29;  // characters the dialog keeps

// The typed text as stored: at most 29 characters, never cut inside a UTF-8 character, and
// never longer than the settings buffer holds.
std::string UserTextToStore(std::string_view typed);

// "Ok": stores the text.
void StoreUserText(SonarSettings& settings, std::string_view typed);

}  // namespace tarvisk
