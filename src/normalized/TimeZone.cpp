#include "normalized/TimeZone.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <ctime>
#endif

namespace clinova {

std::optional<int> CurrentTimeZoneBias() {
#ifdef _WIN32
    TIME_ZONE_INFORMATION zone;
    switch (GetTimeZoneInformation(&zone)) {
    case TIME_ZONE_ID_UNKNOWN:
        return static_cast<int>(zone.Bias);
    case TIME_ZONE_ID_STANDARD:
        return static_cast<int>(zone.Bias + zone.StandardBias);
    case TIME_ZONE_ID_DAYLIGHT:
        return static_cast<int>(zone.Bias + zone.DaylightBias);
    default:
        return std::nullopt;
    }
#else
    tzset(); // localtime_r need not read a changed zone by itself
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (now == static_cast<std::time_t>(-1) || localtime_r(&now, &local) == nullptr)
        return std::nullopt;
    return static_cast<int>(-local.tm_gmtoff / 60);
#endif
}

} // namespace clinova
