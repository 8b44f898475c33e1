// Date: a time value in milliseconds since 1970 UTC, read and set in local
// time or in UTC.

#include "avm1/DateTime.h"
#include "avm1/Native.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace vidorama::swf::avm1 {

namespace {

class DateObject final : public Object {
public:
    DateObject(Object* proto, double time) : Object(proto), time(time) {}
    double time;
};

DateObject* DateOf(const Value& value) {
    return dynamic_cast<DateObject*>(value.asObject());
}

double Now(Vm& vm) {
    return vm.dateClock().startMs + vm.host().timerMs();
}

double OffsetMs(Vm& vm) {
    return vm.dateClock().utcOffsetMinutes * 60000;
}

double Number(Vm& vm, std::span<const Value> args, std::size_t index) {
    return vm.toNumber(Arg(args, index));
}

// Fields from arguments in the order year, month, date, hours, minutes,
// seconds, ms, starting at the first field given; missing ones keep what
// fields holds.
void TakeFields(Vm& vm, std::span<const Value> args, DateFields& fields, std::size_t first) {
    double* slots[] = {&fields.year,    &fields.month,   &fields.date, &fields.hours,
                       &fields.minutes, &fields.seconds, &fields.ms};
    for (std::size_t i = 0; i < args.size() && first + i < std::size(slots); ++i)
        *slots[first + i] = vm.toNumber(args[i]);
}

// Years below 100 given to the constructor, Date.UTC or setYear count
// from 1900: 99 is 1999 and -1 is 1899.
void FullYear(DateFields& fields) {
    const double year = std::trunc(fields.year);
    if (year <= 99)
        fields.year = year + 1900;
}

Value ConstructDate(Vm& vm, const Value&, std::span<const Value> args) {
    double time = Now(vm);
    if (args.size() == 1) {
        // A time given as a number is kept as it is, fractions too.
        time = DateOf(args[0]) ? DateOf(args[0])->time : vm.toNumber(args[0]);
    } else if (args.size() > 1) {
        DateFields fields;
        TakeFields(vm, args, fields, 0);
        FullYear(fields);
        time = MakeTime(fields) - OffsetMs(vm);
    }
    Object* proto =
        vm.getMember(vm.getMember(vm.builtins().global, "Date").asObject(), "prototype").asObject();
    return Value::object(vm.make<DateObject>(proto, time));
}

std::string DateText(Vm& vm, double time) {
    if (!std::isfinite(time))
        return "Invalid Date";
    static constexpr std::array<const char*, 7> kDays = {"Sun", "Mon", "Tue", "Wed",
                                                         "Thu", "Fri", "Sat"};
    static constexpr std::array<const char*, 12> kMonths = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const DateFields f = SplitTime(time + OffsetMs(vm));
    const double offset = vm.dateClock().utcOffsetMinutes;
    const int zone = static_cast<int>(std::abs(offset));
    char text[96];
    std::snprintf(
        text, sizeof text, "%s %s %d %02d:%02d:%02d GMT%c%02d%02d %.0f",
        kDays[static_cast<std::size_t>(f.weekday)], kMonths[static_cast<std::size_t>(f.month)],
        static_cast<int>(f.date), static_cast<int>(f.hours), static_cast<int>(f.minutes),
        static_cast<int>(f.seconds), offset < 0 ? '-' : '+', zone / 60, zone % 60, f.year);
    return text;
}

Value DateCall(Vm& vm, const Value&, std::span<const Value>) {
    return Value::string(DateText(vm, Now(vm)));
}

Value ToString(Vm& vm, const Value& self, std::span<const Value>) {
    DateObject* date = DateOf(self);
    return date ? Value::string(DateText(vm, date->time)) : Value();
}

Value GetTime(Vm&, const Value& self, std::span<const Value>) {
    DateObject* date = DateOf(self);
    return date ? Value::number(date->time) : Value();
}

Value GetTimezoneOffset(Vm& vm, const Value& self, std::span<const Value>) {
    DateObject* date = DateOf(self);
    if (!date)
        return {};
    return Value::number(std::isfinite(date->time) ? -vm.dateClock().utcOffsetMinutes : NAN);
}

enum class Zone { Local, Utc };

// A getter of one field, in local time or UTC; getYear counts from 1900.
template <double DateFields::*Field, Zone In, int Shift>
Value GetField(Vm& vm, const Value& self, std::span<const Value>) {
    DateObject* date = DateOf(self);
    if (!date)
        return {};
    if (!std::isfinite(date->time))
        return Value::number(NAN);
    const DateFields f = SplitTime(date->time + (In == Zone::Utc ? 0 : OffsetMs(vm)));
    return Value::number(f.*Field + Shift);
}

// A setter of fields from `first` on (0 year ... 6 ms), in local time or
// UTC; answers the new time.
template <std::size_t First, bool Utc, bool TwoDigitYear = false>
Value SetFields(Vm& vm, const Value& self, std::span<const Value> args) {
    DateObject* date = DateOf(self);
    if (!date)
        return {};
    const double shift = Utc ? 0 : OffsetMs(vm);
    // An invalid date stays invalid, whatever is set.
    DateFields fields = SplitTime(date->time + shift);
    if (args.empty()) {
        date->time = NAN;
        return Value::number(NAN);
    }
    TakeFields(vm, args, fields, First);
    if (TwoDigitYear)
        FullYear(fields);
    date->time = std::trunc(MakeTime(fields) - shift);
    return Value::number(date->time);
}

Value SetTime(Vm& vm, const Value& self, std::span<const Value> args) {
    DateObject* date = DateOf(self);
    if (!date)
        return {};
    date->time = args.empty() ? NAN : std::trunc(Number(vm, args, 0));
    return Value::number(date->time);
}

// Date.UTC(year, month, ...): at least a year and a month.
Value Utc(Vm& vm, const Value&, std::span<const Value> args) {
    if (args.size() < 2)
        return {};
    DateFields fields;
    TakeFields(vm, args, fields, 0);
    FullYear(fields);
    return Value::number(MakeTime(fields));
}

} // namespace

void InstallDateClass(Vm& vm) {
    Object* proto = vm.newObject();
    FunctionObject* date = Class(vm, "Date", proto, DateCall, ConstructDate);
    Method(vm, date, "UTC", Utc);
    Method(vm, proto, "toString", ToString);
    Method(vm, proto, "valueOf", GetTime);
    Method(vm, proto, "getTime", GetTime);
    Method(vm, proto, "getTimezoneOffset", GetTimezoneOffset);
    Method(vm, proto, "getFullYear", GetField<&DateFields::year, Zone::Local, 0>);
    Method(vm, proto, "getYear", GetField<&DateFields::year, Zone::Local, -1900>);
    Method(vm, proto, "getMonth", GetField<&DateFields::month, Zone::Local, 0>);
    Method(vm, proto, "getDate", GetField<&DateFields::date, Zone::Local, 0>);
    Method(vm, proto, "getDay", GetField<&DateFields::weekday, Zone::Local, 0>);
    Method(vm, proto, "getHours", GetField<&DateFields::hours, Zone::Local, 0>);
    Method(vm, proto, "getMinutes", GetField<&DateFields::minutes, Zone::Local, 0>);
    Method(vm, proto, "getSeconds", GetField<&DateFields::seconds, Zone::Local, 0>);
    Method(vm, proto, "getMilliseconds", GetField<&DateFields::ms, Zone::Local, 0>);
    Method(vm, proto, "getUTCFullYear", GetField<&DateFields::year, Zone::Utc, 0>);
    Method(vm, proto, "getUTCYear", GetField<&DateFields::year, Zone::Utc, -1900>);
    Method(vm, proto, "getUTCMonth", GetField<&DateFields::month, Zone::Utc, 0>);
    Method(vm, proto, "getUTCDate", GetField<&DateFields::date, Zone::Utc, 0>);
    Method(vm, proto, "getUTCDay", GetField<&DateFields::weekday, Zone::Utc, 0>);
    Method(vm, proto, "getUTCHours", GetField<&DateFields::hours, Zone::Utc, 0>);
    Method(vm, proto, "getUTCMinutes", GetField<&DateFields::minutes, Zone::Utc, 0>);
    Method(vm, proto, "getUTCSeconds", GetField<&DateFields::seconds, Zone::Utc, 0>);
    Method(vm, proto, "getUTCMilliseconds", GetField<&DateFields::ms, Zone::Utc, 0>);
    Method(vm, proto, "setTime", SetTime);
    Method(vm, proto, "setFullYear", SetFields<0, false>);
    Method(vm, proto, "setYear", SetFields<0, false, true>);
    Method(vm, proto, "setMonth", SetFields<1, false>);
    Method(vm, proto, "setDate", SetFields<2, false>);
    Method(vm, proto, "setHours", SetFields<3, false>);
    Method(vm, proto, "setMinutes", SetFields<4, false>);
    Method(vm, proto, "setSeconds", SetFields<5, false>);
    Method(vm, proto, "setMilliseconds", SetFields<6, false>);
    Method(vm, proto, "setUTCFullYear", SetFields<0, true>);
    Method(vm, proto, "setUTCMonth", SetFields<1, true>);
    Method(vm, proto, "setUTCDate", SetFields<2, true>);
    Method(vm, proto, "setUTCHours", SetFields<3, true>);
    Method(vm, proto, "setUTCMinutes", SetFields<4, true>);
    Method(vm, proto, "setUTCSeconds", SetFields<5, true>);
    Method(vm, proto, "setUTCMilliseconds", SetFields<6, true>);
}

} // namespace vidorama::swf::avm1
