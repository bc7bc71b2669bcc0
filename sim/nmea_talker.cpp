#include "sim/nmea_talker.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tarvisk::sim {

namespace {

std::string Sentence(const std::string& body) {
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", NmeaChecksum(body));
    return "$" + body + tail;
}

// ddmm.mmmm / dddmm.mmmm with the hemisphere letter, as receivers print them.
std::string Coordinate(double degrees, bool latitude) {
    const char hemisphere = latitude ? (degrees < 0 ? 'S' : 'N') : (degrees < 0 ? 'W' : 'E');
    double a = std::fabs(degrees);
    int whole = static_cast<int>(a);
    double minutes = (a - whole) * 60.0;
    char text[32];
    std::snprintf(text, sizeof text, latitude ? "%02d%07.4f,%c" : "%03d%07.4f,%c", whole, minutes,
                  hemisphere);
    return text;
}

}  // namespace

uint8_t NmeaChecksum(const std::string& body) {
    uint8_t sum = 0;
    for (char c : body)
        sum ^= static_cast<uint8_t>(c);
    return sum;
}

NmeaTalker::NmeaTalker(uint64_t seed) : random_(seed ^ 0xA5A5A5) {
    latitude_ = 49.25 + random_.Uniform() * 0.1;
    longitude_ = -123.10 - random_.Uniform() * 0.1;
}

void NmeaTalker::FollowTrack(const BoatTrack& track, double startUnixSeconds) {
    onTrack_ = true;
    track_ = track;
    trackStart_ = startUnixSeconds;
}

std::string NmeaTalker::Sentences(NmeaSentence kind, std::time_t utc) {
    return SentencesAt(kind, static_cast<double>(utc));
}

std::string NmeaTalker::SentencesAt(NmeaSentence kind, double unixSeconds) {
    if (onTrack_) {
        const TrackPoint p = PositionOnTrack(track_, unixSeconds - trackStart_);
        latitude_ = p.latitude;
        longitude_ = p.longitude;
    } else {
        latitude_ += (random_.Uniform() - 0.3) * 2e-6;
        longitude_ += (random_.Uniform() - 0.3) * 3e-6;
    }
    const std::time_t utc = static_cast<std::time_t>(std::floor(unixSeconds));
    const int hundredths = std::clamp(static_cast<int>((unixSeconds - double(utc)) * 100.0), 0, 99);
    std::tm tm{};
    gmtime_r(&utc, &tm);
    char time[32];
    std::snprintf(time, sizeof time, "%02d%02d%02d.%02d", tm.tm_hour, tm.tm_min, tm.tm_sec,
                  hundredths);
    const std::string lat = Coordinate(latitude_, true);
    const std::string lon = Coordinate(longitude_, false);
    std::string out;
    if (kind != NmeaSentence::Gll) {
        out += Sentence("GPGGA," + std::string(time) + "," + lat + "," + lon +
                        ",1,08,1.1,3.2,M,-17.0,M,,");
    }
    if (kind != NmeaSentence::Gga) {
        out += Sentence("GPGLL," + lat + "," + lon + "," + time + ",A,A");
    }
    return out;
}

}  // namespace tarvisk::sim
