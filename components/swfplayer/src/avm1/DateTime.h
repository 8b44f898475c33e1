#pragma once

namespace vidorama::swf::avm1 {

// Calendar arithmetic on time values: milliseconds since 1970-01-01 UTC,
// as the Date class keeps them, on the proleptic Gregorian calendar.
struct DateFields {
    double year = 0, month = 0, date = 1, hours = 0, minutes = 0, seconds = 0, ms = 0;
    double weekday = 0;
};

DateFields SplitTime(double time);
// The time of the fields; out of range fields carry over (month 13 is
// January of the next year). NaN when any is not finite.
double MakeTime(const DateFields& fields);

} // namespace vidorama::swf::avm1
