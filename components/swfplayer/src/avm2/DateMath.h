#pragma once

#include <string>

namespace vidorama::swf::avm2 {

// ECMAScript's calendar arithmetic on time values (milliseconds since
// 1970-01-01 UTC). The player keeps local time equal to UTC, so a
// conversion does not depend on the time zone of the machine it runs on.
struct DateFields {
    double year = 0, month = 0, date = 1, hours = 0, minutes = 0, seconds = 0, ms = 0;
};

DateFields SplitTime(double t);
double WeekDay(double t);
// The time value of the fields, NaN if any is not finite; out-of-range
// fields carry into the next (month 12 is January of the next year).
double MakeTime(const DateFields& fields);
// NaN beyond ±100,000,000 days, else the whole milliseconds.
double TimeClip(double t);

// Flash's texts for a time value.
std::string DateText(double t);     // Wed Apr 12 15:30:17 GMT+0000 2006
std::string DateUtcText(double t);  // Wed Apr 12 15:30:17 2006 UTC
std::string DateOnlyText(double t); // Wed Apr 12 2006
std::string TimeOnlyText(double t); // 15:30:17 GMT+0000
std::string LocaleDateText(double t, bool date, bool time);

// Date.parse: the formats Flash reads (day and month names, m/d/y, times,
// GMT offsets); NaN for text it does not.
double ParseDate(const std::string& text);

} // namespace vidorama::swf::avm2
