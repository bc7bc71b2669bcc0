#include "config/ini_settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/bounded_call.h"

namespace tarvisk {
namespace {

// A private-profile read fills a 256-byte buffer: longer values are cut to 255 characters.
constexpr size_t ValueBufferSize = 256;
constexpr double Unbounded = std::numeric_limits<double>::infinity();

enum class Rule {
    Int,                  // integer in [min, max], else the default
    Float,                // real in [min, max], else the default
    WriteOnly,            // MasterHeadID: written, never read back
    Range,                // also sets the values derived from the range index
    RunMode,              // also becomes the previous run mode
    SectorSizes,          // GridMode and the two sector widths settle SectorSize
    SSTrain,              // "Both" is not offered on the panel: it loads as Port
    DataBits,             // 4, 8 or 16, anything else 8
    Profile,              // also the request the acquisition thread copies into Profile
    Frequency,            // rounded to the 5 kHz grid
    ProfileMinimumRange,  // upper limit follows Units
    UserText,
    ConfigFile,
    ComPort,  // the head link always runs at 115200
};

struct KeyDef {
    std::string_view name;
    std::string_view section;
    Rule rule;
    std::string_view defaultText;
    double min;
    double max;
    SharedInt SonarSettings::*intField;
    SharedFloat SonarSettings::*floatField;
    int32_t LiveCopy::*liveInt;
    float LiveCopy::*liveFloat;
    // Float write format: "%<width>.<precision>f", zero-padded when asked.
    int width;
    int precision;
    bool zeroPad;
};

constexpr KeyDef IntKey(std::string_view name, std::string_view def, double min, double max,
                        SharedInt SonarSettings::*field, int32_t LiveCopy::*live = nullptr,
                        Rule rule = Rule::Int) {
    return {name, SettingsSection, rule, def, min, max, field, nullptr, live, nullptr, 0, 0, false};
}

constexpr KeyDef FloatKey(std::string_view name, std::string_view def, double min, double max,
                          SharedFloat SonarSettings::*field, const char* format,
                          float LiveCopy::*live = nullptr, Rule rule = Rule::Float) {
    // format is "%W.Pf" or "%0W.Pf"
    bool zeroPad = format[1] == '0';
    int width = format[zeroPad ? 2 : 1] - '0';
    int precision = format[zeroPad ? 4 : 3] - '0';
    return {name,  SettingsSection, rule, def,   min,       max,    nullptr,
            field, nullptr,         live, width, precision, zeroPad};
}

constexpr KeyDef TextKey(std::string_view name, std::string_view def, Rule rule) {
    return {name,    SettingsSection, rule,    def, 0, 0,    nullptr,
            nullptr, nullptr,         nullptr, 0,   0, false};
}

constexpr KeyDef Orientation(KeyDef def) {
    def.section = OrientationSection;
    return def;
}

using S = SonarSettings;
using L = LiveCopy;

// The order is the order of the file; loading follows it too, which matters where one key
// depends on another (Units before ProfileMinimumRange, GridMode before the sector widths).
constexpr std::array Keys{
    IntKey("MasterHeadID", "16", 0, 255, &S::MasterHeadID, nullptr, Rule::WriteOnly),
    TextKey("UserText", "Taldrium Technology Corp.", Rule::UserText),
    IntKey("ComPort", "0", 0, 7, &S::ComPort, nullptr, Rule::ComPort),
    IntKey("ComPortGPS", "1", 0, 7, &S::ComPortGPS),
    IntKey("GPSBaudRate", "0", 0, 5, &S::GPSBaudRate),
    IntKey("Grid", "1", 0, 1, &S::Grid),
    IntKey("Colors", "0", 0, 8, &S::Colors),
    IntKey("Xdcr", "0", 0, 1, &S::Xdcr, &L::Xdcr),
    IntKey("Range", "9", MinRangeIndex, MaxRangeIndex, &S::Range, &L::Range, Rule::Range),
    IntKey("RunMode", "0", 0, 1, &S::RunMode, nullptr, Rule::RunMode),
    IntKey("GridMode", "1", 0, 2, &S::GridMode, &L::GridMode, Rule::SectorSizes),
    IntKey("SSTrain", "0", 0, 2, &S::SSTrain, nullptr, Rule::SSTrain),
    IntKey("Gain", "6", 0, 40, &S::Gain, &L::Gain),
    IntKey("Speed", "2", 0, 4, &S::Speed, &L::Speed),
    IntKey("SectorSectorSize", "180", 0, 180, &S::SectorSectorSize, nullptr, Rule::SectorSizes),
    IntKey("PolarSectorSize", "360", 0, 360, &S::PolarSectorSize, nullptr, Rule::SectorSizes),
    IntKey("PulseLength", "100", 10, 1000, &S::PulseLength, &L::PulseLength),
    IntKey("Train", "0", 0, 359, &S::Train, &L::Train),
    IntKey("RangeOffset", "0", 0, 100, &S::RangeOffset, &L::RangeOffset),
    IntKey("LogF", "1", 0, 3, &S::LogF, &L::LogF),
    IntKey("Absorption", "20", 1, 255, &S::Absorption, &L::Absorption),
    IntKey("DataBits", "8", 4, 16, &S::DataBits, &L::DataBits, Rule::DataBits),
    IntKey("Profile", "0", 0, 4, &S::Profile, nullptr, Rule::Profile),
    IntKey("PixelZoom", "1", 0, 1, &S::PixelZoom),
    IntKey("Units", "0", 0, 1, &S::Units),
    FloatKey("SoundVelocityMeters", "1500.0", 750.0, 2250.0, &S::SoundVelocityMeters, "%06.1f",
             &L::SoundVelocityMeters),
    IntKey("IOCard", "1", 0, 1, &S::IOCard),
    IntKey("ProfileGrid", "0", 0, 1, &S::ProfileGrid),
    IntKey("ZeroDown", "1", 0, 1, &S::ZeroDown),
    IntKey("OnWhenMinimized", "1", 0, 1, &S::OnWhenMinimized),
    IntKey("UseGPS", "0", 0, 1, &S::UseGPS),
    IntKey("GPSType", "1", 0, 1, &S::GPSType),
    IntKey("SwitchDelay", "10", 0, 500, &S::SwitchDelay),
    IntKey("SendDelay", "0", 0, 500, &S::SendDelay),
    IntKey("TxDelay", "10", 0, 100, &S::TxDelay),
    IntKey("PlotSpeed", "80", 0, 100, &S::PlotSpeed),
    IntKey("Frequency", "675", 280, 1100, &S::Frequency, nullptr, Rule::Frequency),
    IntKey("ConfigType", "1", 0, 1, &S::ConfigType),
    TextKey("ConfigFile", DefaultConfigName, Rule::ConfigFile),
    FloatKey("ProfileChainage", "0.0", -Unbounded, Unbounded, &S::ProfileChainage, "%4.2f",
             &L::ProfileChainage),
    FloatKey("ProfileElevation", "0.0", -Unbounded, Unbounded, &S::ProfileElevation, "%4.2f",
             &L::ProfileElevation),
    FloatKey("ProfileXOffset", "0.0", -Unbounded, Unbounded, &S::ProfileXOffset, "%4.2f",
             &L::ProfileXOffset),
    FloatKey("ProfileDredgeDepth", "0.0", -Unbounded, Unbounded, &S::ProfileDredgeDepth, "%4.2f",
             &L::ProfileDredgeDepth),
    IntKey("ProfileDigitizationSource", "0", 0, 1, &S::ProfileDigitizationSource),
    IntKey("ProfileDetectionType", "0", 0, 1, &S::ProfileDetectionType),
    FloatKey("ProfileMinimumRange", "0.0", 0.0, 25.0, &S::ProfileMinimumRange, "%4.1f", nullptr,
             Rule::ProfileMinimumRange),
    IntKey("ProfileMinimumLevel", "70", 10, 90, &S::ProfileMinimumLevel),
    IntKey("AutoProfileXYZ", "1", 0, 1, &S::AutoProfileXYZ),
    IntKey("AutoProfileBMP", "1", 0, 1, &S::AutoProfileBMP),
    IntKey("AutoProfileSaveConfirmation", "1", 0, 1, &S::AutoProfileSaveConfirmation),
    IntKey("AutoProfilePromptForScan", "1", 0, 1, &S::AutoProfilePromptForScan),
    IntKey("AzimuthDriveEnable", "0", 0, 1, &S::AzimuthDriveEnable),
    IntKey("SimulateAzimuthDrive", "0", 0, 1, &S::SimulateAzimuthDrive),
    IntKey("AzimuthWindow", "0", 0, 1, &S::AzimuthWindow),
    IntKey("AzimuthAngle", "600", 0, 1199, &S::AzimuthAngle),
    IntKey("AutoAzimuthXYZ", "1", 0, 1, &S::AutoAzimuthXYZ),
    IntKey("AutoAzimuthStartAngle", "600", 0, 1199, &S::AutoAzimuthStartAngle),
    IntKey("AutoAzimuthStopAngle", "500", 0, 1199, &S::AutoAzimuthStopAngle),
    IntKey("AutoAzimuthIncAngle", "100", 0, 1199, &S::AutoAzimuthIncAngle),
    FloatKey("VerticalAngleOffset", "0.0", -180.0, 180.0, &S::VerticalAngleOffset, "%3.1f",
             &L::VerticalAngleOffset),
    IntKey("XYZTimestamp", "1", 0, 1, &S::XYZTimestamp),
    IntKey("XYZLatLongElevation", "1", 0, 1, &S::XYZLatLongElevation),
    IntKey("XYZRangeHorVer", "1", 0, 1, &S::XYZRangeHorVer),
    Orientation(IntKey("EnableOrientationModule", "1", 0, 1, &S::EnableOrientationModule)),
    Orientation(IntKey("XYZPitchRollHeading", "1", 0, 1, &S::XYZPitchRollHeading)),
    Orientation(
        FloatKey("PitchOffset", "0.0", -30.0, 30.0, &S::PitchOffset, "%3.1f", &L::PitchOffset)),
    Orientation(
        FloatKey("RollOffset", "0.0", -30.0, 30.0, &S::RollOffset, "%3.1f", &L::RollOffset)),
    Orientation(FloatKey("HeadingOffset", "0.0", -180.0, 180.0, &S::HeadingOffset, "%3.1f",
                         &L::HeadingOffset)),
};

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? char(a[i] - 'A' + 'a') : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? char(b[i] - 'A' + 'a') : b[i];
        if (x != y)
            return false;
    }
    return true;
}

// Cuts text to at most maxBytes without splitting a UTF-8 sequence (text that is not UTF-8
// is simply cut).
std::string_view CutToFit(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes)
        return text;
    auto continuation = [&](size_t i) {
        return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
    };
    size_t n = maxBytes;
    for (int back = 0; back < 3 && n > 1 && continuation(n); ++back)
        --n;
    return text.substr(0, continuation(n) ? maxBytes : n);
}

int32_t IntInRange(const KeyDef& def, std::string_view text, double max) {
    int32_t v = ParseIniInt(text);
    return v >= def.min && v <= max ? v : ParseIniInt(def.defaultText);
}

float FloatInRange(const KeyDef& def, std::string_view text, double max) {
    double d = ParseIniFloat(text);
    float fallback = static_cast<float>(ParseIniFloat(def.defaultText));
    if (!(std::fabs(d) <= FLT_MAX))
        return fallback;  // no float holds it
    float f = static_cast<float>(d);
    return f >= def.min && f <= max ? f : fallback;
}

void ApplyValue(const KeyDef& def, SonarSettings& s, std::string_view text,
                UserConfigLoader* userConfig) {
    // The value is a C string in a fixed buffer: it ends at a NUL byte or at the buffer's end.
    text = CutToFit(text.substr(0, text.find('\0')), ValueBufferSize - 1);
    switch (def.rule) {
        case Rule::Int:
        case Rule::WriteOnly:
            s.*def.intField = IntInRange(def, text, def.max);
            break;
        case Rule::Float:
            s.*def.floatField = FloatInRange(def, text, def.max);
            break;
        case Rule::Range:
            ApplyRangeIndex(s, IntInRange(def, text, def.max));
            break;
        case Rule::RunMode:
            s.RunMode = IntInRange(def, text, def.max);
            s.PreviousRunMode = s.RunMode.Get();
            break;
        case Rule::SectorSizes:
            s.*def.intField = IntInRange(def, text, def.max);
            ApplyDisplayMode(s, s.GridMode);
            break;
        case Rule::SSTrain: {
            int32_t v = IntInRange(def, text, def.max);
            s.SSTrain = v == BothChannels ? PortChannel : v;
            break;
        }
        case Rule::DataBits: {
            int32_t v = ParseIniInt(text);
            s.DataBits = v == 4 || v == 8 || v == 16 ? v : 8;
            break;
        }
        case Rule::Profile:
            s.Profile = IntInRange(def, text, def.max);
            s.ProfileRequest = s.Profile.Get();
            break;
        case Rule::Frequency:
            s.Frequency = RoundFrequency(IntInRange(def, text, def.max));
            break;
        case Rule::ProfileMinimumRange:
            s.ProfileMinimumRange = FloatInRange(def, text, s.Units == Feet ? 82.0 : 25.0);
            break;
        case Rule::UserText:
            s.UserText.Set(CutToFit(text.empty() ? def.defaultText : text, s.UserText.Capacity()));
            break;
        case Rule::ConfigFile: {
            std::string name(
                CutToFit(text.empty() ? def.defaultText : text, s.ConfigFile.Capacity()));
            s.ConfigFile.Set(name);
            // "Default" is the built-in table, which is in use already.
            if (userConfig && name != DefaultConfigName && !userConfig->LoadUserConfig(name, s))
                s.ConfigFile.Set(DefaultConfigName);
            break;
        }
        case Rule::ComPort:
            s.ComPort = IntInRange(def, text, def.max);
            s.BaudIndex = 5;
            break;
    }
}

std::string StoredText(const KeyDef& def, const SonarSettings& s, const LiveCopy* live) {
    switch (def.rule) {
        case Rule::UserText:
            if (live)
                return std::string(live->UserText.data(),
                                   strnlen(live->UserText.data(), live->UserText.size()));
            return s.UserText.Get();
        case Rule::ConfigFile:
            return s.ConfigFile.Get();
        default:
            break;
    }
    if (def.floatField) {
        float v = live && def.liveFloat ? live->*def.liveFloat : (s.*def.floatField).Get();
        return FormatIniFloat(v, def.width, def.precision, def.zeroPad);
    }
    int32_t v = live && def.liveInt ? live->*def.liveInt : (s.*def.intField).Get();
    return std::to_string(v);
}

}  // namespace

void LoadSettingsFromIni(const IniFile& ini, SonarSettings& settings, PortMap& ports,
                         UserConfigLoader* userConfig) {
    for (const KeyDef& def : Keys) {
        if (def.rule == Rule::WriteOnly)
            continue;
        ApplyValue(def, settings, ini.GetString(def.section, def.name, def.defaultText),
                   userConfig);
    }
    LoadPortMap(ini, ports);
}

void StoreSettingsToIni(const SonarSettings& settings, const LiveCopy* liveCopyOrNull,
                        const PortMap& ports, IniFile& ini) {
    for (const KeyDef& def : Keys)
        ini.SetString(def.section, def.name, StoredText(def, settings, liveCopyOrNull));
    StorePortMap(ports, ini);
}

bool ApplyIniSetting(SonarSettings& settings, std::string_view key, std::string_view value,
                     std::string* error) {
    for (const KeyDef& def : Keys) {
        if (!EqualNoCase(def.name, key))
            continue;
        ApplyValue(def, settings, IniValueText(value), nullptr);
        return true;
    }
    if (error)
        *error = "Unknown setting \"" + std::string(key) + "\"";
    return false;
}

std::vector<std::string_view> IniSettingNames() {
    std::vector<std::string_view> names;
    for (const KeyDef& def : Keys)
        names.push_back(def.name);
    return names;
}

bool ReadTarviskIni(const std::string& path, SonarSettings& settings, PortMap& ports,
                    std::string* error, UserConfigLoader* userConfig) {
    IniFile ini;
    bool ok = ini.Load(path, error);
    LoadSettingsFromIni(ini, settings, ports, userConfig);
    return ok;
}

namespace {

struct IniUpdate {
    std::string_view section, key;
    std::string value;
};

// The values to store, taken on the caller's thread, so the writing can go elsewhere.
std::vector<IniUpdate> SettingsUpdates(const SonarSettings& settings,
                                       const LiveCopy* liveCopyOrNull) {
    std::vector<IniUpdate> updates;
    updates.reserve(std::size(Keys));
    for (const KeyDef& def : Keys)
        updates.push_back({def.section, def.name, StoredText(def, settings, liveCopyOrNull)});
    return updates;
}

bool IsSymbolicLink(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// A link is written through only to a settings file: one that has a section of ours. A link
// planted at the name must not get some other file of the operator's rewritten.
bool IsOurSettingsFile(const IniFile& ini) {
    return ini.HasSection(SettingsSection) || ini.HasSection(OrientationSection) ||
           ini.HasSection(PortSection);
}

bool WriteUpdates(const std::string& path, const std::vector<IniUpdate>& updates,
                  const PortMap& ports, std::string* error) {
    // Start from the file as it is, so the operator's comments and other sections survive.
    IniFile ini;
    std::string why;
    if (!ini.Load(path, &why)) {
        if (error)
            *error = why + "\nThe file was left as it was.";
        return false;
    }
    if (IsSymbolicLink(path) && ::access(path.c_str(), F_OK) == 0 && !IsOurSettingsFile(ini)) {
        if (error)
            *error = path + " is a link to a file that is not a settings file (it has no [" +
                     std::string(SettingsSection) + "] section), so it was left as it was.";
        return false;
    }
    for (const IniUpdate& u : updates)
        ini.SetString(u.section, u.key, u.value);
    StorePortMap(ports, ini);
    return ini.Save(path, error);
}

}  // namespace

bool WriteTarviskIni(const std::string& path, const SonarSettings& settings,
                     const LiveCopy* liveCopyOrNull, const PortMap& ports, std::string* error) {
    return WriteUpdates(path, SettingsUpdates(settings, liveCopyOrNull), ports, error);
}

bool WriteTarviskIniWithin(std::chrono::milliseconds wait, const std::string& path,
                           const SonarSettings& settings, const LiveCopy* liveCopyOrNull,
                           const PortMap& ports, std::string* error) {
    std::string why;
    const BoundedResult result = RunWithin(
        wait,
        [path, updates = SettingsUpdates(settings, liveCopyOrNull), ports](std::string* e) {
            return WriteUpdates(path, updates, ports, e);
        },
        &why);
    if (result == BoundedResult::Done)
        return true;
    if (error)
        *error = result == BoundedResult::Failed
                     ? why
                     : "The storage holding " + path + " did not answer within " +
                           std::to_string(wait.count() / 1000) +
                           " s; the settings of this session are not in it.";
    return false;
}

std::string IniUnreadableText(const std::string& path, const std::string& reason) {
    return "The settings file " + path + " could not be read:\n" + reason +
           "\nDefault settings are used, and the file will be left as it is when the program "
           "closes.";
}

std::string IniLeftAloneText(const std::string& path) {
    return "The settings were not saved: " + path +
           " could not be read when the program started, so it was left as it was.";
}

std::string DefaultTarviskIniPath() {
    std::array<char, 4096> cwd{};
    if (!::getcwd(cwd.data(), cwd.size()))
        return std::string(TarviskIniName);
    std::string path(cwd.data());
    if (path.empty() || path.back() != '/')
        path += '/';
    return path + std::string(TarviskIniName);
}

}  // namespace tarvisk
