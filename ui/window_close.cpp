#include "ui/window_close.h"

#include <cstdio>

#include "config/ini_settings.h"
#include "files/file_commands.h"

namespace tarvisk {

void WarnOperator(WindowServices& services, bool scripted, const std::string& title,
                  const std::string& text) {
    if (scripted)
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    else
        services.ShowMessage(title, text, MessageKind::Warning);
}

void StopAndSaveOnClose(SonarSystem& system, LiveLink& link, const WindowState& state,
                        WindowServices& services) {
    SonarSettings& settings = system.settings;
    if (settings.RunMode == 0)
        link.Stop();
    if (state.fileCommands)
        state.fileCommands->CloseAll();
    std::string error;
    const LiveCopy* live = settings.RunMode == 1 ? &system.liveCopy : nullptr;
    if (!system.iniReadError.empty())
        WarnOperator(services, state.scripted, "Tarvisk Digital Sonar",
                     IniLeftAloneText(system.iniPath));
    // Bounded: a share or a file system that stopped answering must not hold the close.
    else if (!WriteTarviskIniWithin(SettingsSaveWait, system.iniPath, settings, live, system.ports,
                                    &error))
        WarnOperator(services, state.scripted, "Tarvisk Digital Sonar",
                     "The settings could not be saved.\n" + error);
}

}  // namespace tarvisk
