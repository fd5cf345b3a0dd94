#include "core/base/date_time.h"

#include <langinfo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include "core/base/exceptions.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace {
// Day number of 1899-12-30 when 0001-01-01 is day 1 (proleptic Gregorian calendar).
constexpr int64_t kDelta = 693594;

int64_t DaysBeforeYear(int64_t y) {
    --y;
    return y * 365 + y / 4 - y / 100 + y / 400;
}
}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0) && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return kDays[month - 1] + ((month == 2 && IsLeapYear(year)) ? 1 : 0);
}

bool TryEncodeDate(int year, int month, int day, TDateTime& out) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    int64_t days = DaysBeforeYear(year);
    for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
    days += day;
    out = double(days - kDelta);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime out;
    if (!TryEncodeDate(year, month, day, out)) throw Exception("Invalid argument to date encode");
    return out;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
        millisecond > 999)
        throw Exception("Invalid argument to time encode");
    return (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) / kMillisecondsPerDay;
}

TDateTime DateOf(TDateTime value) { return std::trunc(value); }

TDateTime TimeOf(TDateTime value) { return std::fabs(value - std::trunc(value)); }

TdateParts DecodeDate(TDateTime value) {
    TdateParts parts;
    // Far outside the calendar (or NaN) the day count would not fit the arithmetic below.
    if (!(value > -1e9 && value < 1e9)) return parts;
    int64_t days = int64_t(std::trunc(value)) + kDelta - 1;  // zero-based days since 0001-01-01
    if (days < 0) return parts;
    int64_t y = 1;
    int64_t n400 = days / 146097;
    days %= 146097;
    int64_t n100 = days / 36524;
    if (n100 == 4) n100 = 3;
    days -= n100 * 36524;
    int64_t n4 = days / 1461;
    days %= 1461;
    int64_t n1 = days / 365;
    if (n1 == 4) n1 = 3;
    days -= n1 * 365;
    y += n400 * 400 + n100 * 100 + n4 * 4 + n1;
    int m = 1;
    while (days >= DaysInMonth(int(y), m)) {
        days -= DaysInMonth(int(y), m);
        ++m;
    }
    parts.Year = int(y);
    parts.Month = m;
    parts.Day = int(days) + 1;
    return parts;
}

TtimeParts DecodeTime(TDateTime value) {
    TtimeParts parts;
    if (!std::isfinite(value)) return parts;
    int64_t ms = std::llround(TimeOf(value) * kMillisecondsPerDay);
    if (ms >= int64_t(kMillisecondsPerDay)) ms = int64_t(kMillisecondsPerDay) - 1;
    parts.Hour = int(ms / 3600000);
    parts.Minute = int(ms / 60000 % 60);
    parts.Second = int(ms / 1000 % 60);
    parts.Millisecond = int(ms % 1000);
    return parts;
}

int DayOfWeek(TDateTime value) {
    // 1899-12-30 was a Saturday (7).
    if (!(value > -1e9 && value < 1e9)) return 7;  // far outside the calendar (or NaN)
    int64_t d = int64_t(std::floor(value));
    int64_t r = ((d % 7) + 7 + 6) % 7;  // 0 = Sunday
    return int(r) + 1;
}

TDateTime UnixToDateTime(std::time_t seconds, int64_t nanoseconds) {
    std::tm local{};
    localtime_r(&seconds, &local);
    TDateTime date = EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    const int ms = int(nanoseconds / 1000000);
    return date + EncodeTime(local.tm_hour, local.tm_min, local.tm_sec < 60 ? local.tm_sec : 59, ms);
}

std::time_t DateTimeToUnix(TDateTime value) {
    const TdateParts d = DecodeDate(value);
    const TtimeParts t = DecodeTime(value);
    std::tm local{};
    local.tm_year = d.Year - 1900;
    local.tm_mon = d.Month - 1;
    local.tm_mday = d.Day;
    local.tm_hour = t.Hour;
    local.tm_min = t.Minute;
    local.tm_sec = t.Second;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

std::string FormatTimeStamp(TDateTime value) {
    const TdateParts d = DecodeDate(value);
    const TtimeParts t = DecodeTime(value);
    return Format("%04d%02d%02d%02d%02d%02d%03d", d.Year, d.Month, d.Day, t.Hour, t.Minute, t.Second,
                  t.Millisecond);
}

std::string FormatDateTimeIso(TDateTime value) {
    const TdateParts d = DecodeDate(value);
    const TtimeParts t = DecodeTime(value);
    return Format("%04d-%02d-%02d %02d:%02d:%02d", d.Year, d.Month, d.Day, t.Hour, t.Minute, t.Second);
}

std::string FormatShortDate(TDateTime value) {
    const TdateParts d = DecodeDate(value);
    return Format("%04d-%02d-%02d", d.Year, d.Month, d.Day);
}

std::string FormatDateTimeShort(TDateTime value) {
    const TtimeParts t = DecodeTime(value);
    if (t.Hour == 0 && t.Minute == 0 && t.Second == 0) return FormatShortDate(value);
    return FormatShortDate(value) + Format(" %02d:%02d:%02d", t.Hour, t.Minute, t.Second);
}

namespace {
std::mutex gFormatsMutex;
std::optional<TlocaleDateFormats> gFormats;

std::string FormatTm(const std::string& format, const std::tm& tm) {
    if (format.empty()) return {};
    char buffer[256];
    const size_t n = std::strftime(buffer, sizeof buffer, format.c_str(), &tm);
    return std::string(buffer, n);
}

std::tm ToTm(TDateTime value) {
    const TdateParts d = DecodeDate(value);
    const TtimeParts t = DecodeTime(value);
    std::tm tm{};
    tm.tm_year = d.Year - 1900;
    tm.tm_mon = d.Month - 1;
    tm.tm_mday = d.Day;
    tm.tm_hour = t.Hour;
    tm.tm_min = t.Minute;
    tm.tm_sec = t.Second;
    tm.tm_wday = DayOfWeek(value) - 1;
    tm.tm_isdst = -1;
    return tm;
}

// Reads the whole text (blanks around it allowed) with a strptime format.
bool ParseWith(const std::string& text, const std::string& format, std::tm& tm) {
    if (format.empty()) return false;
    tm = std::tm{};
    tm.tm_mday = 1;
    const char* end = strptime(text.c_str(), format.c_str(), &tm);
    if (!end) return false;
    while (*end == ' ' || *end == '\t') ++end;
    return *end == 0;
}

bool FromTm(const std::tm& tm, bool withTime, TDateTime& value) {
    TDateTime date = 0;
    if (!TryEncodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, date)) return false;
    if (!withTime) {
        value = date;
        return true;
    }
    if (tm.tm_hour < 0 || tm.tm_hour > 23 || tm.tm_min < 0 || tm.tm_min > 59 || tm.tm_sec < 0 ||
        tm.tm_sec > 60)
        return false;
    const TDateTime time = EncodeTime(tm.tm_hour, tm.tm_min, std::min(tm.tm_sec, 59), 0);
    value = date >= 0 ? date + time : date - time;
    return true;
}
}  // namespace

TlocaleDateFormats LocaleDateFormats() {
    {
        std::lock_guard lock(gFormatsMutex);
        if (gFormats) return *gFormats;
    }
    return {nl_langinfo(D_FMT), nl_langinfo(T_FMT)};
}

void SetLocaleDateFormats(std::optional<TlocaleDateFormats> formats) {
    std::lock_guard lock(gFormatsMutex);
    gFormats = std::move(formats);
}

std::string FormatLocaleDate(TDateTime value) {
    return FormatTm(LocaleDateFormats().ShortDate, ToTm(value));
}

std::string FormatLocaleDateTime(TDateTime value) {
    const TlocaleDateFormats formats = LocaleDateFormats();
    const std::tm tm = ToTm(value);
    std::string text = FormatTm(formats.ShortDate, tm);
    if (tm.tm_hour != 0 || tm.tm_min != 0 || tm.tm_sec != 0) text += " " + FormatTm(formats.LongTime, tm);
    return text;
}

bool ParseLocaleDateTime(std::string_view text, TDateTime& value) {
    const std::string s(Trim(text));
    if (s.empty() || s.find('\0') != std::string::npos) return false;
    const TlocaleDateFormats formats = LocaleDateFormats();
    std::tm tm;
    if (ParseWith(s, formats.ShortDate + " " + formats.LongTime, tm)) return FromTm(tm, true, value);
    if (ParseWith(s, formats.ShortDate, tm)) return FromTm(tm, false, value);
    if (ParseWith(s, "%Y-%m-%d %H:%M:%S", tm)) return FromTm(tm, true, value);
    if (ParseWith(s, "%Y-%m-%d", tm)) return FromTm(tm, false, value);
    return false;
}

}  // namespace tunecrest
