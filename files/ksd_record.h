#pragma once
// One shot as stored in a .KSD sonar data file: a 100-byte header with the time stamp and the
// settings of the shot, the head's reply as received, a few floats the reply does not carry,
// an optional 128-byte GPS block and a two-byte link to the previous record for stepping
// backwards. Integers are big-endian, floats little-endian; there is no file header.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "settings/sonar_settings.h"
#include "head/shot_record.h"

namespace tarvisk {

inline constexpr size_t RecordHeaderSize = 100;
inline constexpr size_t GpsBlockSize = 128;
inline constexpr int32_t RecordSizeCodeCount = 11;
inline constexpr std::array<int32_t, RecordSizeCodeCount> RecordSizes{
    128, 256, 384, 640, 896, 1152, 1664, 2176, 3200, 4224, 8192};
// The largest record (size code 10 with a GPS block); every record buffer holds one.
inline constexpr size_t MaxRecordSize = 8192 + GpsBlockSize;
inline constexpr size_t RecordFloatsSize = 12;
inline constexpr std::string_view RecordMagic = "KSD";

using RecordBytes = std::array<uint8_t, MaxRecordSize>;

// The GPS values a record carries. The position text is the GPS input's 24-character form
// (a leading blank, latitude in 1..11, longitude in 12..23).
struct GpsFix {
    std::array<char, 25> PositionText{};
    std::array<char, 12> UtcTimeText{};
    int32_t FixQuality = 0;
    int32_t Satellites = 0;
    float Hdop = 0.0f;
    float Altitude = 0.0f;
    float ThirdValue = 0.0f;
};

// Where the recorder takes the GPS values from. The GPS input implements it and holds its busy
// flag while it copies, so a record never sees a half-updated fix.
class GpsFixSource {
  public:
    virtual ~GpsFixSource() = default;
    virtual void CopyFix(GpsFix& out) = 0;
};

// The texts the acquisition side refreshes before each shot.
struct RecordTimeStamp {
    std::array<char, 12> Date{};  // "DD-MMM-YYYY"
    std::array<char, 9> Time{};   // "HH:MM:SS"
    int32_t Hundredths = 0;
};

// Local time now, in the record's forms.
RecordTimeStamp CurrentTimeStamp();
RecordTimeStamp MakeTimeStamp(int year, int month, int day, int hour, int minute, int second,
                              int milliseconds);

// Everything a record is built from besides the settings.
struct RecordSource {
    std::span<const uint8_t> Reply;  // the N reply bytes as decoded
    int32_t SizeCode = 0;
    RecordTimeStamp Stamp;
    const GpsFix* Gps = nullptr;     // non-null when UseGPS is on
    int32_t AzimuthPosition = -1;    // drive position when enabled and responding, else -1
    int32_t PreviousRecordSize = 0;  // 0 for the first record after a file is opened
};

// Builds the record into out (zero-filled first). Returns its size S, or 0 when the inputs do
// not fit a record of that size code (nothing usable was built).
size_t EncodeRecord(const RecordSource& source, const SonarSettings& settings, RecordBytes& out);

// The size a record of this code takes, with or without the GPS block; 0 for a bad code.
constexpr int32_t RecordSizeFor(int32_t sizeCode, bool withGps) {
    if (sizeCode < 0 || sizeCode >= RecordSizeCodeCount)
        return 0;
    return RecordSizes[sizeCode] + (withGps ? static_cast<int32_t>(GpsBlockSize) : 0);
}

// The fields of a record header, decoded but not yet applied.
struct RecordHeader {
    int32_t SizeCode = 0;
    int32_t RecordSize = 0;
    int32_t ReplyLength = 0;
    std::array<char, 12> DateText{};  // always NUL-terminated, old dates repaired
    std::array<char, 9> TimeText{};
    std::array<char, 4> HundredthsText{};  // ".hh"
    int32_t Seconds = 0;
    int32_t Hundredths = 0;
    bool HasGps = false;
    int32_t StepDirection = 0;
    int32_t Xdcr = 0;
    int32_t GridMode = 0;
    int32_t Speed = 0;
    int32_t Gain = 0;
    int32_t SectorSize = 0;
    int32_t Train = 0;
    int32_t RangeOffset = 0;
    int32_t Absorption = 0;
    int32_t DataBits = 0;  // 4, 8 or 16; 0 when the code is unknown (leave the setting)
    int32_t LogF = 0;
    int32_t PulseLength = 0;
    int32_t ProfileGrid = 0;
    int32_t Profile = 0;
    bool SoundVelocityPresent = false;
    float SoundVelocity = 0.0f;
    std::array<char, UserTextSize + 1> UserText{};  // empty when byte 48 is 0
    int32_t FileFrequency = 675;
    bool AzimuthPresent = false;
    int32_t AzimuthPosition = 600;
    float VerticalAngleOffset = 0.0f;
};

// Why a header cannot start a record that this reader can play.
enum class HeaderCheck { Ok, BadMagic, BadSizeCode, BadRecordSize, BadReplyLength };

// A header is playable when it carries the magic, a known size code, the record size that code
// gives (with or without the GPS block its flag announces), and a reply that fits the body.
HeaderCheck CheckRecordHeader(std::span<const uint8_t> header);
std::string_view HeaderCheckText(HeaderCheck check);

// Decodes a header already accepted by CheckRecordHeader.
RecordHeader DecodeRecordHeader(std::span<const uint8_t> header);

// The record body after decoding: the floats after the reply, the GPS block and the back-link.
struct RecordBody {
    std::array<float, 3> Floats{};
    bool FloatsPresent = false;  // reply types G, M, P and O
    bool HasGps = false;
    bool LatitudePresent = false;  // an empty latitude: the writer had no fix yet
    GpsFix Gps;
    int32_t BackLink = 0;
};

// record holds the whole record (S bytes); copies the reply into the reply buffer.
RecordBody DecodeRecordBody(const RecordHeader& header, std::span<const uint8_t> record,
                            ReplyBuffer& reply);

// Big-endian 16-bit field helpers, shared with the readers of the file.
constexpr int32_t ReadBigEndian16(const uint8_t* p) {
    return (p[0] << 8) | p[1];
}
inline void WriteBigEndian16(uint8_t* p, int32_t v) {
    p[0] = static_cast<uint8_t>((v >> 8) & 0xFF);
    p[1] = static_cast<uint8_t>(v & 0xFF);
}

// Playback values restored from records that have no SonarSettings field of their own.
struct PlayedRecordState {
    float SoundVelocity = 1500.0f;
    std::array<char, UserTextSize + 1> UserText{};
    int32_t FileFrequency = 675;
    int32_t AzimuthPosition = 600;
    bool AzimuthReplyPresent = false;
    std::array<uint8_t, 13> AzimuthReply{};  // synthetic reply shown by the azimuth window
    int32_t PreviousSectorSize = 0;
    int32_t StepDirection = 0;
    std::array<char, 24> DateTimeText{};  // "DD-MMM-YYYY  HH:MM:SS"
    std::array<char, 4> HundredthsText{};
    int32_t Seconds = 0;
    int32_t Hundredths = 0;
    bool HasGps = false;
    GpsFix Gps;
    int32_t GpsAge = 5;
};

// Restores the settings a played header carries into the working settings and the playback
// state, by the rules of a played record (sound velocity, angle offset and frequency checked,
// everything else taken as stored).
void ApplyRecordHeader(const RecordHeader& header, SonarSettings& settings,
                       PlayedRecordState& state);

// Restores the floats and the GPS values of a played body.
void ApplyRecordBody(const RecordBody& body, uint8_t replyType, SonarSettings& settings,
                     PlayedRecordState& state);

}  // namespace tarvisk
