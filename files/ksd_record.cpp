#include "files/ksd_record.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace tarvisk {

namespace {

void WriteFloat(uint8_t* p, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>((bits >> (8 * i)) & 0xFF);
}

float ReadFloat(const uint8_t* p) {
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<uint32_t>(p[i]) << (8 * i);
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}

bool HasFloats(uint8_t replyType, bool* orientation) {
    *orientation = replyType == ReplyTypeOrientation;
    return replyType == ReplyTypeSector || replyType == ReplyTypePolar ||
           replyType == ReplyTypeProfile || *orientation;
}

int32_t DataBitsCode(int32_t bits) {
    return bits == 4 ? 0 : bits == 16 ? 2 : 1;
}

// Digits of a text field as a number; non-digits count as 0 so a damaged field stays harmless.
int32_t DigitsValue(const uint8_t* p, int count) {
    int32_t v = 0;
    for (int i = 0; i < count; ++i)
        v = v * 10 + ((p[i] >= '0' && p[i] <= '9') ? p[i] - '0' : 0);
    return v;
}

template <size_t N>
void CopyText(std::array<char, N>& out, const uint8_t* p, size_t maxLen) {
    size_t n = 0;
    while (n < maxLen && n + 1 < N && p[n] != 0) {
        out[n] = static_cast<char>(p[n]);
        ++n;
    }
    out[n] = '\0';
}

}  // namespace

RecordTimeStamp MakeTimeStamp(int year, int month, int day, int hour, int minute, int second,
                              int milliseconds) {
    auto field = [](int v, int limit) { return static_cast<unsigned>(v < 0 ? 0 : v % limit); };
    RecordTimeStamp s;
    if (month < 1 || month > 12)
        month = 1;
    char text[40];
    std::snprintf(text, sizeof text, "%02u-%s-%04u", field(day, 100), MonthNames[month - 1].data(),
                  field(year, 10000));
    std::memcpy(s.Date.data(), text, s.Date.size() - 1);
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", field(hour, 100), field(minute, 100),
                  field(second, 100));
    std::memcpy(s.Time.data(), text, s.Time.size() - 1);
    s.Hundredths = static_cast<int32_t>(field(milliseconds / 10, 100));
    return s;
}

RecordTimeStamp CurrentTimeStamp() {
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    int ms = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000);
    return MakeTimeStamp(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                         tm.tm_sec, ms);
}

size_t EncodeRecord(const RecordSource& source, const SonarSettings& settings, RecordBytes& out) {
    const bool withGps = source.Gps != nullptr;
    const int32_t size = RecordSizeFor(source.SizeCode, withGps);
    const size_t n = source.Reply.size();
    const size_t room = static_cast<size_t>(size) - (withGps ? GpsBlockSize : 2);
    if (size == 0 || n < 13 || RecordHeaderSize + n + RecordFloatsSize > room)
        return 0;

    uint8_t* r = out.data();
    std::memset(r, 0, static_cast<size_t>(size));
    std::memcpy(r, RecordMagic.data(), 3);
    r[3] = static_cast<uint8_t>(source.SizeCode);
    WriteBigEndian16(r + 4, size);
    WriteBigEndian16(r + 6, static_cast<int32_t>(n));
    std::memcpy(r + 8, source.Stamp.Date.data(), 12);
    r[19] = 0;
    std::memcpy(r + 20, source.Stamp.Time.data(), 9);
    r[28] = 0;
    char hundredths[8];
    std::snprintf(hundredths, sizeof hundredths, ".%02d", source.Stamp.Hundredths % 100);
    std::memcpy(r + 29, hundredths, 3);
    r[34] = withGps ? 1 : 0;

    const int32_t gridMode = settings.GridMode;
    const int32_t stepDirection = (source.Reply[6] >> 6) & 1;
    r[37] = static_cast<uint8_t>((stepDirection << 7) | (settings.Xdcr << 6) | (gridMode << 3) |
                                 settings.Speed);
    r[38] = static_cast<uint8_t>(settings.Gain);
    r[39] = static_cast<uint8_t>(gridMode == SS ? 0 : settings.SectorSize / 3);
    r[40] = static_cast<uint8_t>(settings.Train / 3);
    r[41] = static_cast<uint8_t>(settings.RangeOffset);
    r[42] = static_cast<uint8_t>(settings.Absorption);
    const int32_t profileGrid = settings.ProfileGrid;
    r[43] = static_cast<uint8_t>((profileGrid << 7) |
                                 ((profileGrid == 1 && settings.ZeroDown == 0) ? 0x40 : 0) |
                                 (DataBitsCode(settings.DataBits) << 3) | settings.LogF);
    r[44] = static_cast<uint8_t>(settings.PulseLength / 10);
    r[45] = static_cast<uint8_t>(settings.Profile);
    // Double precision, so the stored tenths are those of the single-precision setting.
    const int32_t velocity =
        static_cast<int32_t>(static_cast<double>(settings.SoundVelocityMeters) * 10.0);
    WriteBigEndian16(r + 46, 0x8000 | (velocity & 0x7FFF));
    {
        // The record keeps the first 32 bytes of the caption, terminated only when shorter.
        std::array<char, UserTextBufferSize> caption{};
        settings.UserText.CopyTo(caption.data(), caption.size());
        std::memcpy(r + 48, caption.data(), UserTextSize);
    }
    WriteBigEndian16(r + 80, settings.Frequency);
    if (source.AzimuthPosition >= 0)
        WriteBigEndian16(r + 82, 0x8000 | (source.AzimuthPosition & 0x7FFF));
    int32_t angle =
        static_cast<int32_t>((static_cast<double>(settings.VerticalAngleOffset) + 180.0) * 10.0);
    WriteBigEndian16(r + 91, angle < 0 ? 0 : angle);

    std::memcpy(r + RecordHeaderSize, source.Reply.data(), n);
    bool orientation = false;
    if (HasFloats(source.Reply[1], &orientation)) {
        uint8_t* f = r + RecordHeaderSize + n;
        WriteFloat(f, orientation ? settings.PitchOffset : settings.ProfileXOffset);
        WriteFloat(f + 4, orientation ? settings.RollOffset : settings.ProfileChainage);
        WriteFloat(f + 8, orientation ? settings.HeadingOffset : settings.ProfileElevation);
    }

    if (withGps) {
        const GpsFix& gps = *source.Gps;
        uint8_t* g = r + size - GpsBlockSize;
        // The latitude is stored without the blank that leads the position text.
        std::memcpy(g, gps.PositionText.data() + 1, 11);
        std::memcpy(g + 12, gps.PositionText.data() + 12, 12);
        std::memcpy(g + 48, gps.UtcTimeText.data(), 11);
        g[60] = static_cast<uint8_t>(gps.FixQuality & 0xFF);
        g[61] = static_cast<uint8_t>(gps.Satellites & 0xFF);
        WriteFloat(g + 62, gps.Hdop);
        WriteFloat(g + 66, gps.Altitude);
        WriteFloat(g + 70, gps.ThirdValue);
    }
    WriteBigEndian16(r + size - 2, (size + source.PreviousRecordSize) & 0xFFFF);
    return static_cast<size_t>(size);
}

HeaderCheck CheckRecordHeader(std::span<const uint8_t> h) {
    if (h.size() < RecordHeaderSize || std::memcmp(h.data(), RecordMagic.data(), 3) != 0)
        return HeaderCheck::BadMagic;
    if (h[3] >= RecordSizeCodeCount)
        return HeaderCheck::BadSizeCode;
    const int32_t size = ReadBigEndian16(&h[4]);
    const bool withGps = (h[34] & 1) != 0;
    if (size != RecordSizeFor(h[3], withGps))
        return HeaderCheck::BadRecordSize;
    const int32_t n = ReadBigEndian16(&h[6]);
    const int32_t room = size - static_cast<int32_t>(RecordHeaderSize) -
                         (withGps ? static_cast<int32_t>(GpsBlockSize) : 2);
    if (n < 13 || n > room || n > static_cast<int32_t>(ReplyBufferSize))
        return HeaderCheck::BadReplyLength;
    return HeaderCheck::Ok;
}

std::string_view HeaderCheckText(HeaderCheck check) {
    switch (check) {
        case HeaderCheck::Ok:
            return "ok";
        case HeaderCheck::BadMagic:
            return "no record magic";
        case HeaderCheck::BadSizeCode:
            return "unknown size code";
        case HeaderCheck::BadRecordSize:
            return "record size does not match its size code";
        case HeaderCheck::BadReplyLength:
            return "reply length does not fit the record";
    }
    return "unknown";
}

RecordHeader DecodeRecordHeader(std::span<const uint8_t> span) {
    const uint8_t* h = span.data();
    RecordHeader d;
    d.SizeCode = h[3];
    d.RecordSize = ReadBigEndian16(h + 4);
    d.ReplyLength = ReadBigEndian16(h + 6);

    if (h[19] == 0) {
        CopyText(d.DateText, h + 8, 11);
    } else {
        // Older recorders wrote the year as the century digits and a three-digit year count.
        const int32_t year = 100 * DigitsValue(h + 15, 2) + DigitsValue(h + 17, 3);
        CopyText(d.DateText, h + 8, 7);
        std::snprintf(d.DateText.data() + 7, d.DateText.size() - 7, "%04d", year % 10000);
    }
    CopyText(d.TimeText, h + 20, 8);
    d.Seconds = DigitsValue(h + 26, 2);
    if (h[29] == 0) {
        std::snprintf(d.HundredthsText.data(), d.HundredthsText.size(), ".%02d", 0);
        d.Hundredths = 0;
    } else {
        CopyText(d.HundredthsText, h + 29, 3);
        d.Hundredths = DigitsValue(h + 30, 2);
    }
    d.HasGps = (h[34] & 1) != 0;
    d.StepDirection = (h[37] >> 7) & 1;
    d.Xdcr = (h[37] >> 6) & 1;
    d.GridMode = (h[37] >> 3) & 7;
    d.Speed = h[37] & 7;
    d.Gain = h[38];
    d.SectorSize = h[39] * 3;
    d.Train = h[40] * 3;
    d.RangeOffset = h[41];
    d.Absorption = h[42];
    const int32_t bitsCode = (h[43] >> 3) & 7;
    d.DataBits = bitsCode == 0 ? 4 : bitsCode == 1 ? 8 : bitsCode == 2 ? 16 : 0;
    d.LogF = h[43] & 7;
    d.ProfileGrid = (h[43] >> 7) & 1;
    d.PulseLength = h[44] * 10;
    d.Profile = h[45];
    const int32_t velocity = ReadBigEndian16(h + 46);
    d.SoundVelocityPresent = (velocity & 0x8000) != 0;
    d.SoundVelocity = static_cast<float>(velocity & 0x7FFF) * 0.1f;
    if (h[48] != 0) {
        std::memcpy(d.UserText.data(), h + 48, UserTextSize);
        d.UserText[UserTextSize - 1] = '\0';
    }
    const int32_t frequency = ReadBigEndian16(h + 80);
    d.FileFrequency = frequency == 0 ? 675 : frequency;
    const int32_t azimuth = ReadBigEndian16(h + 82);
    d.AzimuthPresent = (azimuth & 0x8000) != 0;
    d.AzimuthPosition = d.AzimuthPresent ? (azimuth & 0x7FFF) : 600;
    const float offset = static_cast<float>(ReadBigEndian16(h + 91) - 1800) * 0.1f;
    d.VerticalAngleOffset = (offset > -180.0f && offset < 180.0f) ? offset : 0.0f;
    return d;
}

RecordBody DecodeRecordBody(const RecordHeader& header, std::span<const uint8_t> record,
                            ReplyBuffer& reply) {
    RecordBody body;
    const size_t size = static_cast<size_t>(header.RecordSize);
    const size_t n = static_cast<size_t>(header.ReplyLength);
    if (record.size() < size || size < RecordHeaderSize + n + 2 || n > reply.bytes.size())
        return body;
    const uint8_t* r = record.data();
    std::memcpy(reply.bytes.data(), r + RecordHeaderSize, n);
    bool orientation = false;
    if (n >= 2 && HasFloats(r[RecordHeaderSize + 1], &orientation) &&
        RecordHeaderSize + n + RecordFloatsSize <= size - 2) {
        const uint8_t* f = r + RecordHeaderSize + n;
        body.Floats = {ReadFloat(f), ReadFloat(f + 4), ReadFloat(f + 8)};
        body.FloatsPresent = true;
    }
    if (header.HasGps && size >= RecordHeaderSize + GpsBlockSize) {
        const uint8_t* g = r + size - GpsBlockSize;
        body.HasGps = true;
        body.LatitudePresent = g[0] != 0;
        body.Gps.PositionText.fill(' ');
        for (size_t i = 0; i < 11; ++i)
            if (g[i] != 0)
                body.Gps.PositionText[1 + i] = static_cast<char>(g[i]);
        for (size_t i = 0; i < 12; ++i)
            if (g[12 + i] != 0)
                body.Gps.PositionText[12 + i] = static_cast<char>(g[12 + i]);
        body.Gps.PositionText[24] = '\0';
        CopyText(body.Gps.UtcTimeText, g + 48, 11);
        body.Gps.FixQuality = g[60];
        body.Gps.Satellites = g[61];
        body.Gps.Hdop = ReadFloat(g + 62);
        body.Gps.Altitude = ReadFloat(g + 66);
        body.Gps.ThirdValue = ReadFloat(g + 70);
    }
    body.BackLink = ReadBigEndian16(r + size - 2);
    return body;
}

void ApplyRecordHeader(const RecordHeader& h, SonarSettings& settings, PlayedRecordState& state) {
    std::snprintf(state.DateTimeText.data(), state.DateTimeText.size(), "%s  %s", h.DateText.data(),
                  h.TimeText.data());
    state.Seconds = h.Seconds;
    state.HundredthsText = h.HundredthsText;
    state.Hundredths = h.Hundredths;
    state.HasGps = h.HasGps;
    state.StepDirection = h.StepDirection;
    settings.Xdcr = h.Xdcr;
    settings.GridMode = h.GridMode;
    settings.Speed = h.Speed;
    settings.Gain = h.Gain;
    state.PreviousSectorSize = settings.SectorSize;
    settings.SectorSize = h.SectorSize;
    settings.Train = h.Train;
    // The side of a side-scan shot comes with its train; the picture is drawn on that side.
    ApplySideScanTrainFromTrain(settings);
    settings.RangeOffset = h.RangeOffset;
    settings.Absorption = h.Absorption;
    if (h.DataBits != 0)
        settings.DataBits = h.DataBits;
    settings.LogF = h.LogF;
    settings.PulseLength = h.PulseLength;
    if (!h.SoundVelocityPresent)
        state.SoundVelocity = settings.SoundVelocityMeters;
    else if (h.SoundVelocity >= 750.0f && h.SoundVelocity <= 2250.0f)
        state.SoundVelocity = h.SoundVelocity;
    if (h.UserText[0] != '\0')
        state.UserText = h.UserText;
    state.FileFrequency = h.FileFrequency;
    state.AzimuthPosition = h.AzimuthPosition;
    state.AzimuthReplyPresent = h.AzimuthPresent;
    if (h.AzimuthPresent)
        state.AzimuthReply = {'I', 'A', 'X', 0x1F, 0x40, 0, 0, 0, 0, 0, 0, 0, ReplyTermination};
    else
        state.AzimuthReply = {};
    settings.VerticalAngleOffset = h.VerticalAngleOffset;
}

void ApplyRecordBody(const RecordBody& body, uint8_t replyType, SonarSettings& settings,
                     PlayedRecordState& state) {
    if (body.FloatsPresent) {
        if (replyType == ReplyTypeOrientation) {
            settings.PitchOffset = body.Floats[0];
            settings.RollOffset = body.Floats[1];
            settings.HeadingOffset = body.Floats[2];
        } else {
            settings.ProfileXOffset = body.Floats[0];
            settings.ProfileChainage = body.Floats[1];
            settings.ProfileElevation = body.Floats[2];
        }
    }
    if (!body.HasGps)
        return;
    if (body.LatitudePresent) {
        state.GpsAge = 0;
        state.Gps.PositionText = body.Gps.PositionText;
    } else if (state.GpsAge < 10) {
        ++state.GpsAge;
    }
    state.Gps.UtcTimeText = body.Gps.UtcTimeText;
    state.Gps.FixQuality = body.Gps.FixQuality;
    state.Gps.Satellites = body.Gps.Satellites;
    state.Gps.Hdop = body.Gps.Hdop;
    state.Gps.Altitude = body.Gps.Altitude;
    state.Gps.ThirdValue = body.Gps.ThirdValue;
}

}  // namespace tarvisk
