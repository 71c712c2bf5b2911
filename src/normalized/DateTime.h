#pragma once
// Dates are whole days; date-times carry a time of day. Firebird DATE and TIMESTAMP at the boundary.

#include <compare>
#include <cstdint>
#include <string>

namespace clinova {

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
    auto operator<=>(const Date &) const = default;
};

struct DateTime {
    Date date;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    auto operator<=>(const DateTime &) const = default;
};

bool IsValidDate(int year, int month, int day);

// Days since 1970-01-01 (negative before), and back; the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(const Date &date);
Date CivilFromDays(std::int64_t days);

// Milliseconds since 1970-01-01 00:00 of the same clock as the date-time, and back.
std::int64_t ToMilliseconds(const DateTime &t);
DateTime FromMilliseconds(std::int64_t ms);

DateTime AddMinutes(const DateTime &t, std::int64_t minutes);

// The local date and time of the machine.
Date Today();
DateTime Now();

// "dd/mm/yyyy", the form of the normalized files and of the window's date pickers.
std::string FormatDMY(const Date &date);

} // namespace clinova
