#pragma once
// XYZ files of profile points: the scan point log turned into TAB-separated lines with CR LF
// ends, one form per scan kind (vertical chainage profile, horizontal borehole profile, one
// block per azimuth step). The first and the last entry of a log are never written.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "imaging/profile_record_table.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

// The settings the writers read, taken once per file.
struct XyzOptions {
    float SoundVelocity = 1500.0f;
    bool Feet = false;
    bool ZeroDown = true;
    bool Timestamp = true;
    bool LatLongElevation = true;
    bool RangeHorVer = true;
    bool PitchRollHeading = true;  // the module is enabled and its columns are asked for
    float Chainage = 0.0f;
    float Elevation = 0.0f;
    float XOffset = 0.0f;
};
XyzOptions XyzOptionsFrom(const SonarSettings& settings);

// The counted entries of a table, oldest first.
std::span<const ProfileRecordBytes> LoggedRecords(const ProfileRecordTable& table);

// The whole text of one write, built in a string sized for it.
std::string FormatVerticalProfile(std::span<const ProfileRecordBytes> log, const XyzOptions& o);
std::string FormatHorizontalProfile(std::span<const ProfileRecordBytes> log, const XyzOptions& o);
// azimuthPosition: the drive position in 0.3-degree steps, 600 = 0 degrees.
std::string FormatAzimuthBlock(std::span<const ProfileRecordBytes> log, const XyzOptions& o,
                               int32_t azimuthPosition);

// An XYZ output file. Each Write is one write of the whole text.
class XyzFile {
  public:
    XyzFile() = default;
    ~XyzFile() { Close(); }
    XyzFile(const XyzFile&) = delete;
    XyzFile& operator=(const XyzFile&) = delete;

    // Creates a new file: false when the name is taken (also by a link) or cannot be created.
    bool Open(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }
    // False when the text did not reach the file whole (a full disk, for example).
    bool Write(std::string_view text);
    void Close();
    const std::string& Path() const { return path_; }

  private:
    int fd_ = -1;
    std::string path_;
};

}  // namespace tarvisk
