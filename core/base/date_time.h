#pragma once
// Dates and times as the data files store them: a double counting days since
// 1899-12-30, the fraction being the time of day (local time).
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace tunecrest {

using TDateTime = double;

constexpr double kMillisecondsPerDay = 86400000.0;

struct TdateParts {
    int Year = 1899, Month = 12, Day = 30;
};
struct TtimeParts {
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// Days for a calendar date; throws Exception for an invalid date.
TDateTime EncodeDate(int year, int month, int day);
// Fraction of a day; throws Exception for an invalid time.
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
bool TryEncodeDate(int year, int month, int day, TDateTime& out);
TdateParts DecodeDate(TDateTime value);
TtimeParts DecodeTime(TDateTime value);
// 1 for Sunday to 7 for Saturday.
int DayOfWeek(TDateTime value);
// The date part alone (midnight), also for dates before 1899-12-30.
TDateTime DateOf(TDateTime value);
TDateTime TimeOf(TDateTime value);
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Conversions with the system clock, in local time.
TDateTime UnixToDateTime(std::time_t seconds, int64_t nanoseconds = 0);
std::time_t DateTimeToUnix(TDateTime value);

// "yyyymmddhhmmsszzz", as used in generated names.
std::string FormatTimeStamp(TDateTime value);
// "yyyy-mm-dd hh:nn:ss".
std::string FormatDateTimeIso(TDateTime value);
// The short date, "yyyy-mm-dd".
std::string FormatShortDate(TDateTime value);
// The short date, then " hh:nn:ss" unless the time is exactly midnight.
std::string FormatDateTimeShort(TDateTime value);

// The date and time formats of the user's locale (LC_TIME), as strftime formats: the
// short date ("%d.%m.%Y", "%m/%d/%y", ...) and the long time ("%H:%M:%S", "%r", ...).
struct TlocaleDateFormats {
    std::string ShortDate, LongTime;
};
// The formats in force: those set by SetLocaleDateFormats, else the current LC_TIME's.
TlocaleDateFormats LocaleDateFormats();
// Fixes the formats (tests; a program that wants one form everywhere); nullopt returns
// to the locale's.
void SetLocaleDateFormats(std::optional<TlocaleDateFormats> formats);
// The short date in the locale's form.
std::string FormatLocaleDate(TDateTime value);
// The locale's short date, then a blank and its long time unless the time is exactly
// midnight: how the history and its file show when a track played.
std::string FormatLocaleDateTime(TDateTime value);
// Reads a date (with or without a time) written in the locale's form or in the ISO form
// ("yyyy-mm-dd[ hh:nn:ss]"), trying the locale's first. False for anything else.
bool ParseLocaleDateTime(std::string_view text, TDateTime& value);

}  // namespace tunecrest
