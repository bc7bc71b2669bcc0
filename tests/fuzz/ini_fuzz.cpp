// Any bytes as TARVISK.INI: the reader and the settings loader must neither crash nor read out
// of bounds, and what the writer produces must load back to the same settings.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "config/ini_settings.h"

using namespace tarvisk;

namespace {

std::string Store(const SonarSettings& s, const PortMap& ports) {
    IniFile ini;
    StoreSettingsToIni(s, nullptr, ports, ini);
    return ini.ToText();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    IniFile ini;
    ini.LoadFromText(text);
    SonarSettings settings;
    PortMap ports;
    LoadSettingsFromIni(ini, settings, ports);
    const std::string stored = Store(settings, ports);

    // Written settings load back unchanged.
    IniFile written;
    written.LoadFromText(stored);
    SonarSettings reloaded;
    PortMap reloadedPorts;
    LoadSettingsFromIni(written, reloaded, reloadedPorts);
    if (Store(reloaded, reloadedPorts) != stored)
        __builtin_trap();

    // Rewriting the operator's own file keeps whatever else it holds, but our keys win.
    StoreSettingsToIni(settings, nullptr, ports, ini);
    IniFile rewritten;
    rewritten.LoadFromText(ini.ToText());
    SonarSettings fromRewrite;
    PortMap rewritePorts;
    LoadSettingsFromIni(rewritten, fromRewrite, rewritePorts);
    if (Store(fromRewrite, rewritePorts) != stored)
        __builtin_trap();

    // The same bytes as single command-line settings.
    std::string error;
    size_t eq = text.find('=');
    if (eq != std::string_view::npos)
        ApplyIniSetting(settings, text.substr(0, eq), text.substr(eq + 1), &error);
    (void)ParsePortOverride(text, ports, &error);
    (void)ParseIniFloat(text);
    return 0;
}
