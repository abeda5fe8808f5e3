// TDateTime: days since 1899-12-30 as a double, the fraction being the time of day,
// in local time.
#pragma once

#include <cstdint>
#include <ctime>

using TDateTime = double;

struct TSystemTime {
    int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0, MSec = 0;
};

TDateTime Now();
TDateTime Date();
// Raise EConvertError on an invalid date or time.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
bool TryEncodeDate(int year, int month, int day, TDateTime& out);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& out);
void DecodeDate(TDateTime dt, int& year, int& month, int& day);
void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec);
TSystemTime DateTimeToSystemTime(TDateTime dt);
TDateTime SystemTimeToDateTime(const TSystemTime& st);
bool IsLeapYear(int year);

// DOS date-time: date in the high word (year-1980 << 9 | month << 5 | day), time in the
// low word (hour << 11 | minute << 5 | second / 2). Years outside 1980..2099 give 0.
int32_t DateTimeToFileDate(TDateTime dt);
// Returns false for a value that names no valid date and time.
bool FileDateToDateTime(int32_t fileDate, TDateTime& out);

// Host time conversions (local time).
TDateTime UnixToDateTime(std::time_t t);
std::time_t DateTimeToUnix(TDateTime dt);
