#include "normalized/DateTime.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace clinova {

bool IsValidDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= last;
}

// Howard Hinnant's days_from_civil / civil_from_days.
std::int64_t DaysFromCivil(const Date &date) {
    std::int64_t y = date.year - (date.month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (date.month + 9) % 12;
    const std::int64_t doy = (153 * mp + 2) / 5 + date.day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

Date CivilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = yoe + era * 400;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return Date{static_cast<int>(y + (m <= 2 ? 1 : 0)), m, d};
}

std::int64_t ToMilliseconds(const DateTime &t) {
    return DaysFromCivil(t.date) * 86400000LL + t.hour * 3600000LL + t.minute * 60000LL + t.second * 1000LL +
           t.millisecond;
}

DateTime FromMilliseconds(std::int64_t ms) {
    std::int64_t days = ms / 86400000LL;
    std::int64_t rest = ms % 86400000LL;
    if (rest < 0) {
        rest += 86400000LL;
        --days;
    }
    DateTime t;
    t.date = CivilFromDays(days);
    t.hour = static_cast<int>(rest / 3600000LL);
    t.minute = static_cast<int>(rest / 60000LL % 60);
    t.second = static_cast<int>(rest / 1000LL % 60);
    t.millisecond = static_cast<int>(rest % 1000LL);
    return t;
}

DateTime AddMinutes(const DateTime &t, std::int64_t minutes) { return FromMilliseconds(ToMilliseconds(t) + minutes * 60000LL); }

DateTime Now() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t secs = std::chrono::system_clock::to_time_t(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &secs);
#else
    localtime_r(&secs, &local);
#endif
    DateTime t;
    t.date = Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec;
    t.millisecond = static_cast<int>(ms);
    return t;
}

Date Today() { return Now().date; }

std::string FormatDMY(const Date &date) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", date.day, date.month, date.year);
    return buf;
}

} // namespace clinova
