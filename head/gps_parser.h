#pragma once
// NMEA input as the GPS thread reads it: bytes assembled into lines, and GGA or GLL sentences
// parsed into the fixed position text and the GGA values. Nothing here trusts the input: any
// byte sequence leaves every buffer and field within its bounds.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "head/gps_fix.h"

namespace tarvisk {

// Where assembled lines go.
class NmeaLineSink {
  public:
    virtual ~NmeaLineSink() = default;
    // A line that starts with "$" and ended in CR LF, without the CR LF.
    virtual void OnSentence(std::string_view line) = 0;
    // After every line end and every dropped line: the port's input is discarded. True when
    // that threw bytes away, so the stream now has a gap.
    virtual bool Purge() { return false; }
};

class NmeaLineAssembler {
  public:
    // Longer lines are dropped. NMEA 0183 allows 82 characters, but survey receivers send
    // RTK GGA sentences of about 90; 128 keeps those and still bounds a line that never ends.
    static constexpr size_t MaxLine = 128;
    // Appends the bytes of one read one by one, handing finished sentences to the sink. When
    // a purge during the read threw bytes away, the part line left at its end is dropped: the
    // bytes after the gap would otherwise be spliced onto it into a false sentence.
    void Feed(const uint8_t* bytes, size_t count, NmeaLineSink& sink);
    void Reset() { position_ = 0; }
    size_t Position() const { return position_; }

  private:
    std::array<char, 1024> line_{};
    size_t position_ = 0;
};

enum class NmeaKind { Other, Gga, Gll };
// The sentence the program takes for the GPS type (1 GGA, 0 GLL), by characters 3..5; the
// talker characters are not checked.
NmeaKind SentenceKind(std::string_view line, int32_t gpsType);

// Parse a sentence into the fields (the position text is not cleared first: positions a
// short coordinate does not reach keep their characters). Returns true when both hemisphere
// letters are valid, that is when the display is to be refreshed.
bool ParseGga(std::string_view line, GpsFields& fields);
bool ParseGll(std::string_view line, GpsFields& fields);

// The GPS type parses the sentence; the kind decides which parser runs.
bool ParseSentence(NmeaKind kind, std::string_view line, GpsFields& fields);

}  // namespace tarvisk
