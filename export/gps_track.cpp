#include "export/gps_track.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "export/ksd_shot_walk.h"

namespace tarvisk {

bool GpsTrack::Read(const std::string& ksdPath, std::string* error) {
    fixes_.clear();
    auto walk = std::make_unique<KsdShotWalk>();
    if (!walk->Open(ksdPath, error))
        return false;
    std::array<char, 25> lastText{};
    std::array<char, 12> lastUtc{};
    while (walk->Next()) {
        const PlayedRecordState& p = walk->played;
        if (!p.HasGps || !walk->Body().LatitudePresent)
            continue;
        // A new fix changes the UTC text (GGA) or, with GLL, the position.
        const bool hasUtc = p.Gps.UtcTimeText[0] != '\0';
        const bool isNew = fixes_.empty() ||
                           (hasUtc ? p.Gps.UtcTimeText != lastUtc : p.Gps.PositionText != lastText);
        if (!isNew)
            continue;
        lastText = p.Gps.PositionText;
        lastUtc = p.Gps.UtcTimeText;
        TrackFix fix;
        if (!PositionFromText(p.Gps.PositionText, fix.stored))
            continue;
        if (!RecordTimeFrom(walk->Header(), fix.time))
            continue;
        fix.seconds = RecordSeconds(fix.time);
        fix.utc.assign(p.Gps.UtcTimeText.data(),
                       strnlen(p.Gps.UtcTimeText.data(), p.Gps.UtcTimeText.size()));
        fixes_.push_back(std::move(fix));
    }
    return true;
}

bool GpsTrack::Project(std::string* error) {
    if (fixes_.empty()) {
        if (error)
            *error = "the recording holds no GPS fix";
        return false;
    }
    if (!projection_.Open(UtmEpsgFor(fixes_.front().stored), error))
        return false;
    for (TrackFix& f : fixes_)
        f.map = projection_.Forward(CellCentre(f.stored));
    return true;
}

TrackState GpsTrack::At(double seconds) const {
    TrackState s;
    if (fixes_.empty())
        return s;
    // Least squares line through the fixes near the time, in each map axis.
    double n = 0, st = 0, stt = 0, se = 0, ste = 0, sn = 0, stn = 0;
    const auto first =
        std::lower_bound(fixes_.begin(), fixes_.end(), seconds - FitHalfWindowSeconds,
                         [](const TrackFix& f, double t) { return f.seconds < t; });
    for (auto it = first; it != fixes_.end() && it->seconds <= seconds + FitHalfWindowSeconds;
         ++it) {
        const double t = it->seconds - seconds;
        n += 1;
        st += t;
        stt += t * t;
        se += it->map.east;
        ste += t * it->map.east;
        sn += it->map.north;
        stn += t * it->map.north;
    }
    const double det = n * stt - st * st;
    if (n >= 2 && det > 1e-9) {
        // Intercept at t = 0 is the position at the asked time.
        s.east_mps = (n * ste - st * se) / det;
        s.north_mps = (n * stn - st * sn) / det;
        s.position.east = (se - s.east_mps * st) / n;
        s.position.north = (sn - s.north_mps * st) / n;
        return s;
    }
    // Too few fixes around: the nearest one.
    auto nearest = std::min_element(
        fixes_.begin(), fixes_.end(), [seconds](const TrackFix& a, const TrackFix& b) {
            return std::abs(a.seconds - seconds) < std::abs(b.seconds - seconds);
        });
    s.position = nearest->map;
    return s;
}

}  // namespace tarvisk
