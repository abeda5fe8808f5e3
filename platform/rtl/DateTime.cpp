#include "platform/rtl/DateTime.h"

#include <chrono>
#include <cmath>

#include "platform/rtl/Exception.h"

namespace {

// Days from 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

// 1899-12-30 counted from 1970-01-01.
constexpr int64_t kEpochOffset = -25569;
constexpr double kMSecPerDay = 86400000.0;

int DaysInMonth(int y, int m)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : days[m - 1];
}

// Splits into whole days and milliseconds of the day, rounded to the millisecond.
void Split(TDateTime dt, int64_t& day, int64_t& msec)
{
    double ms = std::round(dt * kMSecPerDay);
    // The runtime keeps negative dates as a negative day count with a positive time part.
    int64_t total = static_cast<int64_t>(ms);
    day = total / 86400000;
    msec = total % 86400000;
    if (msec < 0) msec = -msec;
}

}  // namespace

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool TryEncodeDate(int year, int month, int day, TDateTime& out)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    out = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpochOffset);
    return true;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& out)
{
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999)
        return false;
    out = (((hour * 60.0 + min) * 60.0 + sec) * 1000.0 + msec) / kMSecPerDay;
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime r;
    if (!TryEncodeDate(year, month, day, r)) throw EConvertError("Invalid argument to date encode");
    return r;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec)
{
    TDateTime r;
    if (!TryEncodeTime(hour, min, sec, msec, r)) throw EConvertError("Invalid argument to time encode");
    return r;
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day)
{
    int64_t d, ms;
    Split(dt, d, ms);
    CivilFromDays(d + kEpochOffset, year, month, day);
}

void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec)
{
    int64_t d, ms;
    Split(dt, d, ms);
    hour = static_cast<int>(ms / 3600000);
    min = static_cast<int>(ms / 60000 % 60);
    sec = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
}

TSystemTime DateTimeToSystemTime(TDateTime dt)
{
    TSystemTime st;
    DecodeDate(dt, st.Year, st.Month, st.Day);
    DecodeTime(dt, st.Hour, st.Minute, st.Second, st.MSec);
    return st;
}

TDateTime SystemTimeToDateTime(const TSystemTime& st)
{
    return EncodeDate(st.Year, st.Month, st.Day) + EncodeTime(st.Hour, st.Minute, st.Second, st.MSec);
}

TDateTime UnixToDateTime(std::time_t t)
{
    std::tm tm{};
    localtime_r(&t, &tm);
    return EncodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday) + EncodeTime(tm.tm_hour, tm.tm_min, tm.tm_sec, 0);
}

std::time_t DateTimeToUnix(TDateTime dt)
{
    TSystemTime st = DateTimeToSystemTime(dt);
    std::tm tm{};
    tm.tm_year = st.Year - 1900;
    tm.tm_mon = st.Month - 1;
    tm.tm_mday = st.Day;
    tm.tm_hour = st.Hour;
    tm.tm_min = st.Minute;
    tm.tm_sec = st.Second;
    tm.tm_isdst = -1;
    return mktime(&tm);
}

TDateTime Now()
{
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    return UnixToDateTime(t) + ms / kMSecPerDay;
}

TDateTime Date()
{
    return std::floor(Now());
}

int32_t DateTimeToFileDate(TDateTime dt)
{
    TSystemTime st = DateTimeToSystemTime(dt);
    if (st.Year < 1980 || st.Year > 2099) return 0;
    uint32_t date = static_cast<uint32_t>(((st.Year - 1980) << 9) | (st.Month << 5) | st.Day);
    uint32_t time = static_cast<uint32_t>((st.Hour << 11) | (st.Minute << 5) | (st.Second >> 1));
    return static_cast<int32_t>((date << 16) | time);
}

bool FileDateToDateTime(int32_t fileDate, TDateTime& out)
{
    uint32_t v = static_cast<uint32_t>(fileDate);
    uint32_t date = v >> 16, time = v & 0xFFFF;
    TDateTime d, t;
    if (!TryEncodeDate(static_cast<int>((date >> 9) + 1980), static_cast<int>((date >> 5) & 15), static_cast<int>(date & 31), d))
        return false;
    if (!TryEncodeTime(static_cast<int>(time >> 11), static_cast<int>((time >> 5) & 63), static_cast<int>((time & 31) * 2), 0, t))
        return false;
    out = d + t;
    return true;
}
