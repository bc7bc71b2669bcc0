#include "files/xyz_export.h"

#include <fcntl.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/named_file.h"

namespace tarvisk {

namespace {

constexpr double Pi = 3.141592654;
constexpr double XyzFeetPerMetre = 3.2808398950131;
constexpr double LeverArmMetres = 0.085;
// The longest line of any form with every column on is below this.
constexpr size_t LongestLine = 200;

double Radians(double degrees) {
    return degrees * Pi / 180.0;
}

// A run of exactly n characters of a fixed text field; a field that ends early is padded with
// blanks so that no NUL reaches the file.
void AppendRun(std::string& out, const char* field, size_t fieldSize, size_t from, size_t n) {
    size_t i = 0;
    for (; i < n && from + i < fieldSize && field[from + i] != '\0'; ++i)
        out += field[from + i];
    for (; i < n; ++i)
        out += ' ';
}

void AppendNumber(std::string& out, const char* format, double v) {
    char text[64];
    const int n = std::snprintf(text, sizeof text, format, v);
    if (n > 0)
        out.append(text, std::min<size_t>(size_t(n), sizeof text - 1));
}

struct Entry {
    ProfileRecord record;
    double r = 0.0;  // slant range in the output unit
    double a = 0.0;  // bearing in radians
};

Entry ReadEntry(const ProfileRecordBytes& bytes, const XyzOptions& o) {
    Entry e;
    e.record = ReadProfileRecord(bytes);
    e.r = double(e.record.Range) * double(o.SoundVelocity) / 1500.0;
    if (o.Feet)
        e.r *= XyzFeetPerMetre;
    e.a = Radians(double(e.record.Bearing));
    return e;
}

// Time and position columns, each followed by a TAB.
void AppendLeadingColumns(std::string& out, const ProfileRecord& r, const XyzOptions& o,
                          const char* format) {
    if (o.Timestamp) {
        AppendRun(out, r.TimeStamp.data(), r.TimeStamp.size(), 0, 11);
        out += '\t';
        AppendRun(out, r.TimeStamp.data(), r.TimeStamp.size(), 13, 11);
        out += '\t';
    }
    if (o.LatLongElevation && r.GpsPosition[0] != '\0') {
        AppendRun(out, r.GpsPosition.data(), r.GpsPosition.size(), 1, 11);
        out += '\t';
        AppendRun(out, r.GpsPosition.data(), r.GpsPosition.size(), 12, 12);
        out += '\t';
        AppendNumber(out, format, double(std::bit_cast<float>(r.GpsAltitude)));
        out += '\t';
    }
}

void AppendColumns(std::string& out, const char* format, std::initializer_list<double> values,
                   bool last) {
    size_t i = 0;
    for (double v : values) {
        AppendNumber(out, format, v);
        ++i;
        if (i < values.size() || !last)
            out += '\t';
    }
}

// Entries 1 .. count-2: the first and last of a log are left out.
std::span<const ProfileRecordBytes> Inner(std::span<const ProfileRecordBytes> log) {
    if (log.size() < 3)
        return {};
    return log.subspan(1, log.size() - 2);
}

std::string Reserved(size_t lines) {
    std::string out;
    out.reserve((lines + 5) * LongestLine);
    return out;
}

void AppendHeaderLine(std::string& out, double v, std::string_view suffix) {
    char text[64];
    std::snprintf(text, sizeof text, "%07.2f", v);
    out.append(text, std::min<size_t>(std::strlen(text), 7));
    out += suffix;
    out += "\r\n";
}

}  // namespace

XyzOptions XyzOptionsFrom(const SonarSettings& s) {
    XyzOptions o;
    o.SoundVelocity = s.SoundVelocityMeters;
    o.Feet = s.Units == 1;
    o.ZeroDown = s.ZeroDown == 1;
    o.Timestamp = s.XYZTimestamp == 1;
    o.LatLongElevation = s.XYZLatLongElevation == 1;
    o.RangeHorVer = s.XYZRangeHorVer == 1;
    o.PitchRollHeading = s.EnableOrientationModule == 1 && s.XYZPitchRollHeading == 1;
    o.Chainage = s.ProfileChainage;
    o.Elevation = s.ProfileElevation;
    o.XOffset = s.ProfileXOffset;
    return o;
}

std::span<const ProfileRecordBytes> LoggedRecords(const ProfileRecordTable& table) {
    int32_t count = table.ProfileRecordCount;
    if (count < 0)
        count = 0;
    if (count > ProfileRecordCapacity)
        count = ProfileRecordCapacity;
    return std::span<const ProfileRecordBytes>(table.Records.data(), size_t(count));
}

std::string FormatVerticalProfile(std::span<const ProfileRecordBytes> log, const XyzOptions& o) {
    const char* f = "% 07.3f";
    std::string out = Reserved(log.size());
    const double velocity = o.Feet ? double(o.SoundVelocity) * XyzFeetPerMetre : o.SoundVelocity;
    AppendHeaderLine(out, o.Chainage, o.Feet ? ",F" : ",M");
    AppendHeaderLine(out, o.Elevation, "");
    AppendHeaderLine(out, o.XOffset, "");
    AppendHeaderLine(out, velocity, "");
    for (const ProfileRecordBytes& bytes : Inner(log)) {
        const Entry e = ReadEntry(bytes, o);
        const double x = e.r * std::sin(e.a) + o.XOffset;
        const double y = o.Chainage;
        const double z =
            o.ZeroDown ? o.Elevation + e.r * std::cos(e.a) : o.Elevation - e.r * std::cos(e.a);
        AppendLeadingColumns(out, e.record, o, f);
        if (o.RangeHorVer)
            AppendColumns(out, f, {e.r, 0.0, double(e.record.Bearing)}, false);
        if (o.PitchRollHeading)
            AppendColumns(out, f,
                          {double(e.record.Pitch), double(e.record.Roll), double(e.record.Heading)},
                          false);
        AppendColumns(out, f, {x, y, z}, true);
        out += "\r\n";
    }
    return out;
}

std::string FormatHorizontalProfile(std::span<const ProfileRecordBytes> log, const XyzOptions& o) {
    const char* f = "% 08.3f";
    std::string out = Reserved(log.size());
    for (const ProfileRecordBytes& bytes : Inner(log)) {
        const Entry e = ReadEntry(bytes, o);
        const double x0 = e.r * std::sin(e.a);
        const double y0 = e.r * std::cos(e.a);
        const double z0 = o.Elevation;
        const double phi = Radians(-double(e.record.Roll));
        const double theta = Radians(-double(e.record.Pitch));
        const double heading = Radians(double(e.record.Heading));
        double x1 = std::cos(phi) * x0 - std::sin(phi) * z0;
        const double y1 = x0 * std::sin(theta) * std::sin(phi) + y0 * std::cos(theta) +
                          z0 * std::sin(theta) * std::cos(phi);
        const double z1 = x0 * std::cos(theta) * std::sin(phi) - y0 * std::sin(theta) +
                          z0 * std::cos(theta) * std::cos(phi);
        if (x1 > -0.000001 && x1 < 0.000001)
            x1 = 0.001;
        const double d = (x1 < 0 ? -1.0 : 1.0) * std::sqrt(x1 * x1 + y1 * y1);
        const double alpha = std::atan(y1 / x1);
        const double x = d * std::cos(alpha - heading) + o.XOffset;
        const double y = d * std::sin(alpha - heading) + o.Chainage;
        AppendLeadingColumns(out, e.record, o, f);
        AppendColumns(out, f, {x, y, z1}, true);
        out += "\r\n";
    }
    return out;
}

std::string FormatAzimuthBlock(std::span<const ProfileRecordBytes> log, const XyzOptions& o,
                               int32_t azimuthPosition) {
    const char* f = "% 07.3f";
    std::string out = Reserved(log.size());
    const double cDegrees = azimuthPosition * 0.3 - 180.0;
    const double c = Radians(cDegrees);
    double shownDegrees = cDegrees < 0 ? cDegrees + 360.0 : cDegrees;
    if (shownDegrees >= 360.0)
        shownDegrees = 0.0;
    const double lever = o.Feet ? LeverArmMetres * XyzFeetPerMetre : LeverArmMetres;
    for (const ProfileRecordBytes& bytes : Inner(log)) {
        const Entry e = ReadEntry(bytes, o);
        const double f0 = e.r * std::cos(c) * std::sin(e.a);
        const double g0 = -e.r * std::sin(c) * std::sin(e.a);
        double h = o.ZeroDown ? e.r * std::cos(e.a) : -e.r * std::cos(e.a);
        double x = f0 + lever * std::sin(c);
        double y = g0 + lever * std::cos(c);
        if (o.PitchRollHeading) {
            const double p = Radians(e.record.Pitch);
            const double r = Radians(e.record.Roll);
            const double hd = Radians(e.record.Heading);
            const double xp = std::cos(r) * x + std::sin(r) * h;
            const double yp =
                x * std::sin(r) * std::sin(p) + std::cos(p) * y - h * std::sin(p) * std::cos(r);
            const double hp =
                -x * std::cos(p) * std::sin(r) + y * std::sin(p) + h * std::cos(p) * std::cos(r);
            if (xp != 0.0) {
                const double d = (xp < 0 ? -1.0 : 1.0) * std::sqrt(xp * xp + yp * yp);
                const double alpha = std::atan(yp / xp);
                x = d * std::cos(alpha - hd);
                y = d * std::sin(alpha - hd);
            } else {
                x = xp;
                y = yp;
            }
            h = hp;
        }
        AppendLeadingColumns(out, e.record, o, f);
        if (o.RangeHorVer)
            AppendColumns(out, f, {e.r, shownDegrees, double(e.record.Bearing)}, false);
        if (o.PitchRollHeading)
            AppendColumns(out, f,
                          {double(e.record.Pitch), double(e.record.Roll), double(e.record.Heading)},
                          false);
        AppendColumns(out, f, {x, y, h}, true);
        out += "\r\n";
    }
    out += "\r\n";
    return out;
}

bool XyzFile::Open(const std::string& path) {
    Close();
    fd_ = OpenFileForWriting(path, FileCreation::New, nullptr);
    if (fd_ < 0)
        return false;
    path_ = path;
    return true;
}

bool XyzFile::Write(std::string_view text) {
    if (fd_ < 0)
        return false;
    size_t done = 0;
    // One write call; the loop only finishes what a signal or a pipe cut short.
    while (done < text.size()) {
        const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

void XyzFile::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    path_.clear();
}

}  // namespace tarvisk
