#pragma once
// The simulated GPS receiver: GGA or GLL sentences shaped like real receivers send them, for a
// boat drifting slowly about a seeded start position.

#include <cstdint>
#include <ctime>
#include <string>

#include "sim/boat_track.h"
#include "sim/scene.h"

namespace tarvisk::sim {

enum class NmeaSentence { Gga, Gll, Both };

class NmeaTalker {
  public:
    explicit NmeaTalker(uint64_t seed);
    // The sentence(s) for one second at the given UTC time, each ending in CR LF.
    std::string Sentences(NmeaSentence kind, std::time_t utc);
    // From now on the boat runs along the track, which starts at startUnixSeconds.
    void FollowTrack(const BoatTrack& track, double startUnixSeconds);
    // The sentence(s) at this moment (seconds since 1970, with their fraction).
    std::string SentencesAt(NmeaSentence kind, double unixSeconds);
    double Latitude() const { return latitude_; }
    double Longitude() const { return longitude_; }

  private:
    Random random_;
    double latitude_;
    double longitude_;
    bool onTrack_ = false;
    BoatTrack track_;
    double trackStart_ = 0.0;
};

// "*HH" checksum of the text between "$" and "*".
uint8_t NmeaChecksum(const std::string& body);

}  // namespace tarvisk::sim
