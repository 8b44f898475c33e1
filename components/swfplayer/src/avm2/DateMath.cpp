#include "avm2/DateMath.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace vidorama::swf::avm2 {

namespace {

constexpr double kMsPerDay = 86400000.0;
constexpr std::array<const char*, 7> kDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

double DayFromYear(double y) {
    return 365 * (y - 1970) + std::floor((y - 1969) / 4) - std::floor((y - 1901) / 100) +
           std::floor((y - 1601) / 400);
}

bool IsLeap(double y) {
    return std::fmod(y, 4) == 0 && (std::fmod(y, 100) != 0 || std::fmod(y, 400) == 0);
}

// Days before the first of each month.
double DaysBeforeMonth(int month, bool leap) {
    static constexpr std::array<int, 12> kBefore = {0,   31,  59,  90,  120, 151,
                                                    181, 212, 243, 273, 304, 334};
    return kBefore[std::size_t(month)] + (leap && month >= 2 ? 1 : 0);
}

double YearFromTime(double t) {
    double y = std::floor(t / (365.2425 * kMsPerDay)) + 1970;
    while (DayFromYear(y) * kMsPerDay > t)
        --y;
    while (DayFromYear(y + 1) * kMsPerDay <= t)
        ++y;
    return y;
}

std::string Two(double n) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", int(n));
    return text;
}

std::string Clock(const DateFields& f) {
    return Two(f.hours) + ":" + Two(f.minutes) + ":" + Two(f.seconds);
}

std::string Whole(double y) {
    char text[24];
    std::snprintf(text, sizeof text, "%.0f", y);
    return text;
}

std::string DayAndMonth(double t, const DateFields& f) {
    return std::string(kDays[std::size_t(WeekDay(t))]) + " " + kMonths[std::size_t(f.month)] + " " +
           Whole(f.date);
}

} // namespace

DateFields SplitTime(double t) {
    DateFields f;
    double day = std::floor(t / kMsPerDay);
    double within = t - day * kMsPerDay;
    f.year = YearFromTime(t);
    bool leap = IsLeap(f.year);
    double dayInYear = day - DayFromYear(f.year);
    int month = 11;
    while (month > 0 && DaysBeforeMonth(month, leap) > dayInYear)
        --month;
    f.month = month;
    f.date = dayInYear - DaysBeforeMonth(month, leap) + 1;
    f.hours = std::floor(within / 3600000);
    f.minutes = std::fmod(std::floor(within / 60000), 60);
    f.seconds = std::fmod(std::floor(within / 1000), 60);
    f.ms = std::fmod(within, 1000);
    return f;
}

double WeekDay(double t) {
    double d = std::fmod(std::floor(t / kMsPerDay) + 4, 7);
    return d < 0 ? d + 7 : d;
}

double MakeTime(const DateFields& f) {
    for (double v : {f.year, f.month, f.date, f.hours, f.minutes, f.seconds, f.ms})
        if (!std::isfinite(v))
            return NAN;
    double year = std::trunc(f.year) + std::floor(std::trunc(f.month) / 12);
    double month = std::fmod(std::trunc(f.month), 12);
    if (month < 0)
        month += 12;
    if (std::abs(year) > 400000)
        return NAN;
    double day =
        DayFromYear(year) + DaysBeforeMonth(int(month), IsLeap(year)) + std::trunc(f.date) - 1;
    double time = std::trunc(f.hours) * 3600000 + std::trunc(f.minutes) * 60000 +
                  std::trunc(f.seconds) * 1000 + std::trunc(f.ms);
    return day * kMsPerDay + time;
}

double TimeClip(double t) {
    if (!std::isfinite(t) || std::abs(t) > 8.64e15)
        return NAN;
    return std::trunc(t) + 0.0;
}

std::string DateText(double t) {
    if (std::isnan(t))
        return "Invalid Date";
    DateFields f = SplitTime(t);
    return std::string(kDays[std::size_t(WeekDay(t))]) + " " + kMonths[std::size_t(f.month)] + " " +
           Whole(f.date) + " " + Clock(f) + " GMT+0000 " + Whole(f.year);
}

std::string DateUtcText(double t) {
    if (std::isnan(t))
        return "Invalid Date";
    DateFields f = SplitTime(t);
    return DayAndMonth(t, f) + " " + Clock(f) + " " + Whole(f.year) + " UTC";
}

std::string DateOnlyText(double t) {
    if (std::isnan(t))
        return "Invalid Date";
    DateFields f = SplitTime(t);
    return DayAndMonth(t, f) + " " + Whole(f.year);
}

std::string TimeOnlyText(double t) {
    if (std::isnan(t))
        return "Invalid Date";
    return Clock(SplitTime(t)) + " GMT+0000";
}

std::string LocaleDateText(double t, bool date, bool time) {
    if (std::isnan(t))
        return "Invalid Date";
    DateFields f = SplitTime(t);
    DateFields twelve = f;
    twelve.hours = std::fmod(f.hours + 11, 12) + 1;
    std::string clock = Clock(twelve) + (f.hours < 12 ? " AM" : " PM");
    std::string day = DayAndMonth(t, f) + " " + Whole(f.year);
    if (date && time)
        return day + " " + clock;
    return date ? day : clock;
}

namespace {

int MonthNamed(const std::string& word) {
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        std::string name = kMonths[i];
        if (word.size() >= 3 &&
            std::equal(name.begin(), name.end(), word.begin(), [](char a, char b) {
                return std::tolower(a) == std::tolower(static_cast<unsigned char>(b));
            }))
            return int(i);
    }
    return -1;
}

bool IsDayName(const std::string& word) {
    for (const char* day : kDays) {
        std::string name = day;
        if (word.size() >= 3 &&
            std::equal(name.begin(), name.end(), word.begin(), [](char a, char b) {
                return std::tolower(a) == std::tolower(static_cast<unsigned char>(b));
            }))
            return true;
    }
    return false;
}

std::vector<double> Numbers(const std::string& text, char separator) {
    std::vector<double> numbers;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        std::string part = text.substr(start, end - start);
        if (part.empty() || part.find_first_not_of("0123456789") != std::string::npos)
            return {};
        numbers.push_back(std::strtod(part.c_str(), nullptr));
        start = end + 1;
    }
    return numbers;
}

} // namespace

double ParseDate(const std::string& text) {
    double year = NAN, month = NAN, day = NAN;
    double hours = 0, minutes = 0, seconds = 0, offsetMinutes = 0;
    bool pm = false, am = false, zoned = false;
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && (text[at] == ' ' || text[at] == ',' || text[at] == '\t'))
            ++at;
        std::size_t end = at;
        while (end < text.size() && text[end] != ' ' && text[end] != ',' && text[end] != '\t')
            ++end;
        if (end == at)
            break;
        std::string word = text.substr(at, end - at);
        at = end;
        if ((word.rfind("GMT", 0) == 0 || word.rfind("UTC", 0) == 0) && word.size() > 3) {
            std::string zone = word.substr(3);
            char sign = zone[0];
            std::vector<double> digits = Numbers(zone.substr(1), '\0');
            if ((sign != '+' && sign != '-') || digits.size() != 1 || zone.size() != 5 || zoned)
                return NAN;
            zoned = true;
            double offset = std::floor(digits[0] / 100) * 60 + std::fmod(digits[0], 100);
            offsetMinutes = sign == '-' ? -offset : offset;
        } else if (word == "GMT" || word == "UTC") {
            continue;
        } else if (word == "AM" || word == "am") {
            am = true;
        } else if (word == "PM" || word == "pm") {
            pm = true;
        } else if (word.find(':') != std::string::npos) {
            std::vector<double> parts = Numbers(word, ':');
            if (parts.size() < 2 || parts.size() > 3)
                return NAN;
            hours = parts[0];
            minutes = parts[1];
            seconds = parts.size() == 3 ? parts[2] : 0;
        } else if (word.find('/') != std::string::npos) {
            if (!std::isnan(year) || !std::isnan(day))
                return NAN;
            std::size_t slash = word.find('/');
            int named = MonthNamed(word.substr(0, slash));
            std::vector<double> parts = Numbers(named >= 0 ? word.substr(slash + 1) : word, '/');
            if (named >= 0 && parts.size() == 2) {
                month = named;
                day = parts[0];
                year = parts[1];
            } else if (parts.size() == 3) {
                month = parts[0] - 1;
                day = parts[1];
                year = parts[2];
            } else {
                return NAN;
            }
        } else if (int named = MonthNamed(word); named >= 0) {
            month = named;
        } else if (IsDayName(word)) {
            continue;
        } else {
            std::vector<double> number = Numbers(word, '\0');
            if (number.size() != 1)
                return NAN;
            if (std::isnan(day) && number[0] <= 31 && !std::isnan(month))
                day = number[0];
            else if (std::isnan(year))
                year = number[0];
            else
                return NAN;
        }
    }
    if (std::isnan(year) || std::isnan(month) || std::isnan(day))
        return NAN;
    if (year < 100)
        year += 1900;
    if (pm && hours < 12)
        hours += 12;
    if (am && hours == 12)
        hours = 0;
    DateFields f{year, month, day, hours, minutes, seconds, 0};
    return TimeClip(MakeTime(f) - offsetMinutes * 60000);
}

} // namespace vidorama::swf::avm2
