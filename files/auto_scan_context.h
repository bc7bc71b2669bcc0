#pragma once
// What a profile record carries besides the shot: the acquisition's date and time stamp of
// the shot (the same one its data record gets), and the GPS position and attitude when the
// program has them.

#include <cstdio>
#include <functional>

#include "head/date_time_stamp.h"
#include "imaging/shot_hooks.h"

namespace tarvisk {

class StampProfileContext : public ProfileContextHook {
  public:
    explicit StampProfileContext(const DateTimeStamp& stamp) : stamp_(stamp) {}

    void FillProfileContext(ProfileContext& c) override {
        char date[16], time[16];
        stamp_.DateText.CopyTo(date, sizeof date);
        stamp_.TimeText.CopyTo(time, sizeof time);
        std::snprintf(c.TimeStamp.data(), c.TimeStamp.size(), "%s  %s.%02d", date, time,
                      int(stamp_.Hundredths) % 100);
        if (positionAndAttitude)
            positionAndAttitude(c);
    }

    // The GPS position, altitude and the orientation module's pitch, roll and heading.
    std::function<void(ProfileContext&)> positionAndAttitude;

  private:
    const DateTimeStamp& stamp_;
};

}  // namespace tarvisk
