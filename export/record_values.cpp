#include "export/record_values.h"

#include <cstring>
#include <ctime>

namespace tarvisk {

namespace {

// A digit, or a blank where the GPS input has not yet written that position.
bool DigitAt(const char* text, int index, int& value) {
    const char c = text[index];
    if (c == ' ' || c == '\0') {
        value = 0;
        return true;
    }
    if (c < '0' || c > '9')
        return false;
    value = c - '0';
    return true;
}

bool Number(const char* text, std::initializer_list<int> indexes, int& value) {
    value = 0;
    for (int i : indexes) {
        int d = 0;
        if (!DigitAt(text, i, d))
            return false;
        value = value * 10 + d;
    }
    return true;
}

int MonthFromLetters(const char* m) {
    static const char* const names[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                        "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    for (int i = 0; i < 12; ++i)
        if (std::memcmp(m, names[i], 3) == 0)
            return i + 1;
    return 0;
}

bool TwoDigits(const char* p, int& value) {
    if (p[0] < '0' || p[0] > '9' || p[1] < '0' || p[1] > '9')
        return false;
    value = (p[0] - '0') * 10 + (p[1] - '0');
    return true;
}

void PutDigits(char*& out, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out += width;
}

}  // namespace

bool PositionFromText(const std::array<char, 25>& text, GeoPosition& out) {
    const char* t = text.data();
    if (t[0] == '\0' || t[1] == '\0')
        return false;
    const char ns = t[11], ew = t[23];
    if ((ns != 'N' && ns != 'S') || (ew != 'E' && ew != 'W'))
        return false;
    if (t[3] != '.' || t[6] != '.' || t[15] != '.' || t[18] != '.')
        return false;
    int latDeg, latMin, latThou, lonDeg, lonMin, lonThou;
    if (!Number(t, {1, 2}, latDeg) || !Number(t, {4, 5}, latMin) ||
        !Number(t, {7, 8, 9}, latThou) || !Number(t, {12, 13, 14}, lonDeg) ||
        !Number(t, {16, 17}, lonMin) || !Number(t, {19, 20, 21}, lonThou))
        return false;
    if (latDeg > 90 || latMin > 59 || lonDeg > 180 || lonMin > 59)
        return false;
    const double lat = latDeg + (latMin + latThou / 1000.0) / 60.0;
    const double lon = lonDeg + (lonMin + lonThou / 1000.0) / 60.0;
    if (lat > 90.0 || lon > 180.0)
        return false;
    out.latitude = ns == 'S' ? -lat : lat;
    out.longitude = ew == 'W' ? -lon : lon;
    return true;
}

GeoPosition CellCentre(const GeoPosition& stored) {
    constexpr double half = 0.0005 / 60.0;
    GeoPosition p = stored;
    p.latitude += stored.latitude < 0 ? -half : half;
    p.longitude += stored.longitude < 0 ? -half : half;
    return p;
}

bool RecordTimeFrom(const RecordHeader& header, RecordTime& out) {
    const char* d = header.DateText.data();  // "DD-MMM-YYYY"
    const char* t = header.TimeText.data();  // "HH:MM:SS"
    int century = 0, year = 0;
    if (!TwoDigits(d, out.day) || d[2] != '-' || d[6] != '-' || !TwoDigits(d + 7, century) ||
        !TwoDigits(d + 9, year))
        return false;
    out.year = century * 100 + year;
    out.month = MonthFromLetters(d + 3);
    if (out.month == 0 || out.day < 1 || out.day > 31)
        return false;
    if (!TwoDigits(t, out.hour) || t[2] != ':' || !TwoDigits(t + 3, out.minute) || t[5] != ':' ||
        !TwoDigits(t + 6, out.second))
        return false;
    if (out.hour > 23 || out.minute > 59 || out.second > 60)
        return false;
    out.hundredths = header.Hundredths >= 0 && header.Hundredths <= 99 ? header.Hundredths : 0;
    return true;
}

double RecordSeconds(const RecordTime& t) {
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    return static_cast<double>(timegm(&tm)) + t.hundredths / 100.0;
}

size_t FormatIsoTime(const RecordTime& t, char* out) {
    char* p = out;
    PutDigits(p, t.year, 4);
    *p++ = '-';
    PutDigits(p, t.month, 2);
    *p++ = '-';
    PutDigits(p, t.day, 2);
    *p++ = 'T';
    PutDigits(p, t.hour, 2);
    *p++ = ':';
    PutDigits(p, t.minute, 2);
    *p++ = ':';
    PutDigits(p, t.second, 2);
    *p++ = '.';
    PutDigits(p, t.hundredths, 2);
    return static_cast<size_t>(p - out);
}

}  // namespace tarvisk
