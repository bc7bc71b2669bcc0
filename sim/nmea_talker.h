#pragma once
// The simulated GPS receiver: GGA or GLL sentences shaped like real receivers send them, for a
// boat drifting slowly about a seeded start position.

#include <cstdint>
#include <ctime>
#include <string>

#include "sim/scene.h"

namespace tarvisk::sim {

enum class NmeaSentence { Gga, Gll, Both };

class NmeaTalker {
  public:
    explicit NmeaTalker(uint64_t seed);
    // The sentence(s) for one second at the given UTC time, each ending in CR LF.
    std::string Sentences(NmeaSentence kind, std::time_t utc);
    double Latitude() const { return latitude_; }
    double Longitude() const { return longitude_; }

  private:
    Random random_;
    double latitude_;
    double longitude_;
};

// "*HH" checksum of the text between "$" and "*".
uint8_t NmeaChecksum(const std::string& body);

}  // namespace tarvisk::sim
