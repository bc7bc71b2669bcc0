#pragma once
// The values of a record in the forms the exports write: the GPS position text as signed
// decimal degrees, the record's local date and time as numbers, seconds and ISO 8601 text.

#include <array>
#include <cstdint>

#include "files/ksd_record.h"

namespace tarvisk {

struct GeoPosition {
    double latitude = 0.0;   // degrees, north positive
    double longitude = 0.0;  // degrees, east positive
};

// The GPS input's 24-character text (" 40.23.860 N003.39.163 W") as degrees, exactly as
// stored. False for a text that holds no position (empty, or not of that form).
bool PositionFromText(const std::array<char, 25>& text, GeoPosition& out);

// The text keeps a thousandth of a minute, cut off, not rounded: the position lies anywhere
// in the next thousandth. The middle of that cell, for placing things on a map.
GeoPosition CellCentre(const GeoPosition& stored);

struct RecordTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, hundredths = 0;
};

// False when the record's date or time text is not of the stored form.
bool RecordTimeFrom(const RecordHeader& header, RecordTime& out);
// Seconds since 1970 of the local date and time taken as if it were UTC: for differences.
double RecordSeconds(const RecordTime& t);
// "2026-12-09T03:40:08.68"; returns the length written (22) into out.
size_t FormatIsoTime(const RecordTime& t, char* out);

}  // namespace tarvisk
