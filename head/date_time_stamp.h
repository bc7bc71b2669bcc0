#pragma once
// The date and time texts the acquisition thread keeps up to date on every pass: shown on the
// panel and stored in every data record.

#include <cstdint>
#include <ctime>

#include "settings/shared_value.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

struct DateTimeStamp {
    SharedText<16> DateText{""};         // "08-DEC-2026"
    SharedText<16> TimeText{""};         // "16:04:05"
    SharedText<32> DateAndTimeText{""};  // date, two blanks, time
    SharedText<40> RecorderText{""};     // date-and-time with ".%02d" hundredths appended
    SharedInt Hundredths{0};
    int32_t PreviousSecond = -1;
};

// Applies one reading of the local clock; returns true when the second differs from the
// previous call's (the texts were rebuilt). Sets ClockSecond.
bool UpdateDateTimeStamp(DateTimeStamp& stamp, SonarSettings& settings, const std::tm& local,
                         int32_t milliseconds);

// Where the local time comes from: the system clock, or a test's faster one.
class LocalClock {
  public:
    virtual ~LocalClock() = default;
    virtual void Now(std::tm& local, int32_t& milliseconds);
};

// Reads the clock (by default the system clock through localtime_r) and applies it.
bool RefreshDateTimeStamp(DateTimeStamp& stamp, SonarSettings& settings,
                          LocalClock* clock = nullptr);

}  // namespace tarvisk
