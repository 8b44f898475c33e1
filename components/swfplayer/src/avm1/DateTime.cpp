// Calendar arithmetic for the Date class.

#include "avm1/DateTime.h"

#include <cmath>
#include <initializer_list>

namespace vidorama::swf::avm1 {

namespace {

constexpr double kMsPerDay = 86400000;

double DaysFromCivil(double year, double month, double day) {
    // Days from 1970-01-01 to the first of the month, month 0 to 11.
    year -= month <= 1 ? 1 : 0;
    const double era = std::floor(year / 400);
    const double yearOfEra = year - era * 400;
    const double shifted = month > 1 ? month - 2 : month + 10;
    const double dayOfYear = std::floor((153 * shifted + 2) / 5) + day - 1;
    const double dayOfEra =
        yearOfEra * 365 + std::floor(yearOfEra / 4) - std::floor(yearOfEra / 100) + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

} // namespace

DateFields SplitTime(double time) {
    DateFields f;
    const double days = std::floor(time / kMsPerDay);
    double within = time - days * kMsPerDay;
    f.hours = std::floor(within / 3600000);
    within -= f.hours * 3600000;
    f.minutes = std::floor(within / 60000);
    within -= f.minutes * 60000;
    f.seconds = std::floor(within / 1000);
    // A fraction of a millisecond is kept in the time but never shows.
    f.ms = std::floor(within - f.seconds * 1000);
    f.weekday = std::fmod(std::fmod(days + 4, 7) + 7, 7);
    // Days since 1970 to a civil date, by eras of 400 years.
    const double z = days + 719468;
    const double era = std::floor(z / 146097);
    const double dayOfEra = z - era * 146097;
    const double yearOfEra =
        std::floor((dayOfEra - std::floor(dayOfEra / 1460) + std::floor(dayOfEra / 36524) -
                    std::floor(dayOfEra / 146096)) /
                   365);
    const double dayOfYear =
        dayOfEra - (365 * yearOfEra + std::floor(yearOfEra / 4) - std::floor(yearOfEra / 100));
    const double shifted = std::floor((5 * dayOfYear + 2) / 153);
    f.date = dayOfYear - std::floor((153 * shifted + 2) / 5) + 1;
    f.month = shifted < 10 ? shifted + 2 : shifted - 10;
    f.year = yearOfEra + era * 400 + (f.month <= 1 ? 1 : 0);
    return f;
}

double MakeTime(const DateFields& f) {
    for (double v : {f.year, f.month, f.date, f.hours, f.minutes, f.seconds, f.ms})
        if (!std::isfinite(v))
            return NAN;
    const double year = std::trunc(f.year) + std::floor(std::trunc(f.month) / 12);
    const double month = std::fmod(std::fmod(std::trunc(f.month), 12) + 12, 12);
    const double days = DaysFromCivil(year, month, 1) + std::trunc(f.date) - 1;
    const double within = std::trunc(f.hours) * 3600000 + std::trunc(f.minutes) * 60000 +
                          std::trunc(f.seconds) * 1000 + std::trunc(f.ms);
    return days * kMsPerDay + within;
}

} // namespace vidorama::swf::avm1
