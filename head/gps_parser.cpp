#include "head/gps_parser.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tarvisk {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool FieldEnd(char c) {
    return c == ',' || c == '*';
}

// Fixed-size digit buffers; cleared at the start of every parse.
struct Digits {
    std::array<char, 16> d{};
    size_t n = 0;
    void Push(char c) {
        if (n < d.size())
            d[n++] = c;
    }
};

class Scanner {
  public:
    explicit Scanner(std::string_view line, size_t at) : s_(line), p_(at) {}
    size_t Pos() const { return p_; }
    char At(size_t i) const { return i < s_.size() ? s_[i] : '\0'; }

    // A coordinate: the integer part (digits only, up to ".", at most 6 characters), the
    // decimal part (digits only, up to ",", at most 11 characters); returns the hemisphere
    // letter right after the comma that ends the decimals and leaves the scanner on it.
    char Coordinate(Digits& whole, Digits& decimals) {
        for (size_t n = 0; p_ < s_.size() && s_[p_] != '.' && !FieldEnd(s_[p_]) && n < 6;
             ++p_, ++n) {
            if (IsDigit(s_[p_]))
                whole.Push(s_[p_]);
        }
        if (At(p_) == '.')
            ++p_;
        for (size_t n = 0; p_ < s_.size() && !FieldEnd(s_[p_]) && n < 11; ++p_, ++n) {
            if (IsDigit(s_[p_]))
                decimals.Push(s_[p_]);
        }
        SkipField();
        return At(p_);
    }

    // Moves past the rest of the current field and its comma.
    void SkipField() {
        while (p_ < s_.size() && !FieldEnd(s_[p_]))
            ++p_;
        if (At(p_) == ',')
            ++p_;
    }

    // The next field's characters of the allowed kind, at most `limit` of them.
    std::string Field(bool allowPoint, size_t limit) {
        std::string out;
        for (; p_ < s_.size() && !FieldEnd(s_[p_]); ++p_) {
            const char c = s_[p_];
            if ((IsDigit(c) || (allowPoint && (c == '.' || c == '-'))) && out.size() < limit)
                out += c;
        }
        if (At(p_) == ',')
            ++p_;
        return out;
    }

    void Skip(size_t n) { p_ += n; }
    void MoveTo(size_t p) { p_ = p; }

  private:
    std::string_view s_;
    size_t p_;
};

char Printable(char c) {
    return c >= 0x20 && c < 0x7F ? c : ' ';
}

// Right-aligned digits into the given text positions; a count the layout does not know
// leaves them all as they were.
void PlaceWhole(GpsFields& f, const Digits& whole, const size_t* slots, size_t slotCount) {
    if (whole.n == 0 || whole.n > slotCount)
        return;
    const size_t first = slotCount - whole.n;
    for (size_t i = 0; i < whole.n; ++i)
        f.PositionText[slots[first + i]] = whole.d[i];
}

void PlaceDecimals(GpsFields& f, const Digits& decimals, size_t at) {
    for (size_t i = 0; i < 3 && i < decimals.n; ++i)
        f.PositionText[at + i] = decimals.d[i];
}

void PlaceLatitude(GpsFields& f, const Digits& whole, const Digits& decimals, char hemisphere) {
    static constexpr size_t slots[4] = {1, 2, 4, 5};
    PlaceWhole(f, whole, slots, 4);
    PlaceDecimals(f, decimals, 7);
    f.PositionText[0] = ' ';
    f.PositionText[3] = '.';
    f.PositionText[6] = '.';
    f.PositionText[10] = ' ';
    f.PositionText[11] = Printable(hemisphere);
}

void PlaceLongitude(GpsFields& f, const Digits& whole, const Digits& decimals, char hemisphere) {
    static constexpr size_t slots[5] = {12, 13, 14, 16, 17};
    PlaceWhole(f, whole, slots, 5);
    PlaceDecimals(f, decimals, 19);
    f.PositionText[15] = '.';
    f.PositionText[18] = '.';
    f.PositionText[22] = ' ';
    f.PositionText[23] = Printable(hemisphere);
    f.PositionText[24] = '\0';
}

bool ValidHemispheres(char latitude, char longitude) {
    return (latitude == 'N' || latitude == 'S') && (longitude == 'E' || longitude == 'W');
}

// Latitude at the scanner, its hemisphere, the longitude two characters after it, its
// hemisphere. The scanner is left on the longitude's hemisphere letter.
bool ParsePosition(Scanner& scan, GpsFields& f) {
    Digits latWhole, latDecimals, lonWhole, lonDecimals;
    const char latHemisphere = scan.Coordinate(latWhole, latDecimals);
    scan.Skip(2);
    const char lonHemisphere = scan.Coordinate(lonWhole, lonDecimals);
    PlaceLatitude(f, latWhole, latDecimals, latHemisphere);
    PlaceLongitude(f, lonWhole, lonDecimals, lonHemisphere);
    return ValidHemispheres(latHemisphere, lonHemisphere);
}

int32_t IntegerOf(const std::string& digits) {
    // Nine digits always fit; a longer field is not a count any receiver sends.
    return digits.empty() ? 0 : std::atoi(digits.substr(0, 9).c_str());
}

float NumberOf(const std::string& text) {
    // NMEA has a decimal point whatever the locale of the program reading it; from_chars
    // never looks at the locale. A field it cannot read (or out of range) counts as 0.
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return static_cast<float>(value);
}

// "hh:mm:ss.cc" from the time field, read from its digits so that ".60" stays 60 hundredths.
void SetUtcText(GpsFields& f, const std::string& time) {
    const size_t point = time.find('.');
    const std::string whole = time.substr(0, point);
    const std::string fraction = point == std::string::npos ? "" : time.substr(point + 1);
    int64_t t = 0;
    for (char c : whole.substr(whole.size() > 9 ? whole.size() - 9 : 0))
        if (IsDigit(c))
            t = t * 10 + (c - '0');
    int hundredths = 0;
    for (size_t i = 0; i < 2; ++i) {
        const char c = i < fraction.size() ? fraction[i] : '0';
        hundredths = hundredths * 10 + (IsDigit(c) ? c - '0' : 0);
    }
    std::snprintf(f.UtcTimeText.data(), f.UtcTimeText.size(), "%02d:%02d:%02d.%02d",
                  static_cast<int>(t / 10000 % 100), static_cast<int>(t / 100 % 100),
                  static_cast<int>(t % 100), hundredths);
}

}  // namespace

void NmeaLineAssembler::Feed(const uint8_t* bytes, size_t count, NmeaLineSink& sink) {
    bool gap = false;
    for (size_t i = 0; i < count; ++i) {
        const char c = static_cast<char>(bytes[i]);
        line_[position_++] = c;
        if (c == '\n') {
            if (line_[0] == '$' && position_ >= 2 && line_[position_ - 2] == '\r')
                sink.OnSentence(std::string_view(line_.data(), position_ - 2));
            position_ = 0;
            gap |= sink.Purge();
        } else if (c != '\r' && position_ > MaxLine) {
            position_ = 0;
            gap |= sink.Purge();
        } else if (position_ >= MaxLine + 2) {
            // Carriage returns alone never fill the buffer either.
            position_ = 0;
            gap |= sink.Purge();
        }
    }
    if (gap)
        position_ = 0;
}

NmeaKind SentenceKind(std::string_view line, int32_t gpsType) {
    if (line.size() < 6 || line[0] != '$')
        return NmeaKind::Other;
    const std::string_view code = line.substr(3, 3);
    if (gpsType == 1 && code == "GGA")
        return NmeaKind::Gga;
    if (gpsType == 0 && code == "GLL")
        return NmeaKind::Gll;
    return NmeaKind::Other;
}

bool ParseGll(std::string_view line, GpsFields& f) {
    Scanner scan(line, 7);
    return ParsePosition(scan, f);
}

bool ParseGga(std::string_view line, GpsFields& f) {
    Scanner scan(line, 7);
    std::string time;
    for (size_t p = 7; p < line.size() && line[p] != ',' && time.size() < 12; ++p)
        if (IsDigit(line[p]) || line[p] == '.')
            time += line[p];
    SetUtcText(f, time);
    scan.SkipField();
    const bool valid = ParsePosition(scan, f);
    scan.Skip(1);
    if (scan.At(scan.Pos()) == ',')
        scan.Skip(1);
    f.FixQuality = IntegerOf(scan.Field(false, 16));
    f.Satellites = IntegerOf(scan.Field(false, 16));
    f.Hdop = NumberOf(scan.Field(true, 24));
    f.Altitude = NumberOf(scan.Field(true, 24));
    f.ThirdValue = NumberOf(scan.Field(true, 24));
    return valid;
}

bool ParseSentence(NmeaKind kind, std::string_view line, GpsFields& fields) {
    switch (kind) {
        case NmeaKind::Gga:
            return ParseGga(line, fields);
        case NmeaKind::Gll:
            return ParseGll(line, fields);
        default:
            return false;
    }
}

}  // namespace tarvisk
