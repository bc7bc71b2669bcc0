#include "head/date_time_stamp.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "settings/settings_tables.h"

namespace tarvisk {

bool UpdateDateTimeStamp(DateTimeStamp& stamp, SonarSettings& settings, const std::tm& local,
                         int32_t milliseconds) {
    const int32_t hundredths = milliseconds / 10;
    stamp.Hundredths = hundredths;
    settings.ClockSecond = local.tm_sec;
    const bool changed = local.tm_sec != stamp.PreviousSecond;
    char dateAndTime[96];
    if (changed) {
        stamp.PreviousSecond = local.tm_sec;
        const int month = local.tm_mon >= 0 && local.tm_mon < 12 ? local.tm_mon : 0;
        char date[40];
        char time[40];
        std::snprintf(date, sizeof date, "%02d-%s-%04d", local.tm_mday, MonthNames[month].data(),
                      local.tm_year + 1900);
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", local.tm_hour, local.tm_min,
                      local.tm_sec);
        std::snprintf(dateAndTime, sizeof dateAndTime, "%s  %s", date, time);
        stamp.DateText.Set(date);
        stamp.TimeText.Set(time);
        stamp.DateAndTimeText.Set(dateAndTime);
    } else {
        stamp.DateAndTimeText.CopyTo(dateAndTime, sizeof dateAndTime);
    }
    // Every pass of the live loop comes here: the hundredths are put on by hand.
    char recorder[112];
    const size_t length = std::strlen(dateAndTime);
    std::memcpy(recorder, dateAndTime, length);
    recorder[length] = '.';
    recorder[length + 1] = static_cast<char>('0' + hundredths / 10 % 10);
    recorder[length + 2] = static_cast<char>('0' + hundredths % 10);
    recorder[length + 3] = '\0';
    stamp.RecorderText.Set(recorder);
    return changed;
}

void LocalClock::Now(std::tm& local, int32_t& milliseconds) {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    milliseconds = static_cast<int32_t>(
        duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
    // localtime_r takes the C library's time zone lock and works the zone out on every call;
    // the loop asks many times a second for what changes once a second.
    thread_local std::time_t lastSeconds = -1;
    thread_local std::tm lastLocal{};
    if (seconds != lastSeconds) {
        localtime_r(&seconds, &lastLocal);
        lastSeconds = seconds;
    }
    local = lastLocal;
}

bool RefreshDateTimeStamp(DateTimeStamp& stamp, SonarSettings& settings, LocalClock* clock) {
    static LocalClock systemClock;  // stateless
    std::tm local{};
    int32_t ms = 0;
    (clock ? clock : &systemClock)->Now(local, ms);
    return UpdateDateTimeStamp(stamp, settings, local, ms);
}

}  // namespace tarvisk
