// Date: a time value with getters and setters per field. Local time is UTC
// (see DateMath.h), so each field has one implementation for both names.

#include "avm2/DateMath.h"
#include "avm2/Native.h"

#include <cmath>

namespace vidorama::swf::avm2 {

namespace {

enum Field { kYear, kMonth, kDate, kHours, kMinutes, kSeconds, kMs, kFieldCount };

double* FieldOf(DateFields& f, int field) {
    double* fields[kFieldCount] = {&f.year,    &f.month,   &f.date, &f.hours,
                                   &f.minutes, &f.seconds, &f.ms};
    return fields[field];
}

Object* AllocateDate(Vm& vm, ClassObject* cls) {
    return vm.make<BoxObject>(Object::Kind::Date, cls, &cls->instanceTraits, cls->prototype);
}

BoxObject* ThisDate(Vm& vm, const Value& self) {
    if (!self.isObject() || self.object->kind() != Object::Kind::Date)
        vm.throwError("TypeError", 1034, ErrorMessage(1034, vm.describe(self), "Date"));
    return static_cast<BoxObject*>(self.object);
}

double TimeOf(Vm& vm, const Value& self) {
    return ThisDate(vm, self)->value.number;
}

// The movie's clock stands for the present: the engine reads no real clock,
// so a conversion gives the same frames whenever it runs.
double Now(Vm& vm) {
    return std::floor(vm.host().timerMs());
}

Value FromFields(Vm& vm, Args args) {
    DateFields f;
    for (std::size_t i = 0; i < args.size() && i < kFieldCount; ++i)
        *FieldOf(f, int(i)) = vm.toNumber(args[i]);
    if (f.year >= 0 && f.year <= 99 && std::trunc(f.year) == f.year)
        f.year += 1900;
    return Value(TimeClip(MakeTime(f)));
}

Value DateInit(Vm& vm, const Value& self, Args args) {
    BoxObject* date = ThisDate(vm, self);
    if (args.empty()) {
        date->value = Value(Now(vm));
    } else if (args.size() == 1) {
        Value v = args[0];
        // Only text given as such is parsed; an object's valueOf() is a number.
        if (v.isObject() && v.object->kind() == Object::Kind::Date)
            v = static_cast<BoxObject*>(v.object)->value;
        date->value = Value(v.isString() ? ParseDate(v.string) : TimeClip(vm.toNumber(v)));
    } else {
        date->value = FromFields(vm, args);
    }
    return Value();
}

Value DateCall(Vm& vm, const Value&, Args) {
    return Value(DateText(Now(vm)));
}

template <int F> Value GetField(Vm& vm, const Value& self, Args) {
    double t = TimeOf(vm, self);
    if (std::isnan(t))
        return Value(t);
    DateFields f = SplitTime(t);
    return Value(*FieldOf(f, F));
}

Value GetDay(Vm& vm, const Value& self, Args) {
    double t = TimeOf(vm, self);
    return Value(std::isnan(t) ? t : WeekDay(t));
}

// setHours(h, m, s, ms) and the like: the arguments fill the fields from F on.
template <int F> Value SetFields(Vm& vm, const Value& self, Args args) {
    BoxObject* date = ThisDate(vm, self);
    double t = date->value.number;
    if (std::isnan(t)) {
        if (F != kYear)
            return Value(t);
        t = 0;
    }
    DateFields f = SplitTime(t);
    std::size_t count = std::max<std::size_t>(args.size(), 1);
    for (std::size_t i = 0; i < count && F + int(i) < kFieldCount; ++i)
        *FieldOf(f, F + int(i)) = vm.toNumber(Arg(args, i));
    date->value = Value(TimeClip(MakeTime(f)));
    return date->value;
}

Value GetTime(Vm& vm, const Value& self, Args) {
    return Value(TimeOf(vm, self));
}
Value SetTime(Vm& vm, const Value& self, Args args) {
    BoxObject* date = ThisDate(vm, self);
    date->value = Value(TimeClip(vm.toNumber(Arg(args, 0))));
    return date->value;
}
Value TimezoneOffset(Vm&, const Value&, Args) {
    return Value(0);
}

Value ToText(Vm& vm, const Value& self, Args) {
    return Value(DateText(TimeOf(vm, self)));
}
Value ToUtcText(Vm& vm, const Value& self, Args) {
    return Value(DateUtcText(TimeOf(vm, self)));
}
Value ToDateText(Vm& vm, const Value& self, Args) {
    return Value(DateOnlyText(TimeOf(vm, self)));
}
Value ToTimeText(Vm& vm, const Value& self, Args) {
    return Value(TimeOnlyText(TimeOf(vm, self)));
}
Value ToLocaleText(Vm& vm, const Value& self, Args) {
    return Value(LocaleDateText(TimeOf(vm, self), true, true));
}
Value ToLocaleDate(Vm& vm, const Value& self, Args) {
    return Value(LocaleDateText(TimeOf(vm, self), true, false));
}
Value ToLocaleTime(Vm& vm, const Value& self, Args) {
    return Value(LocaleDateText(TimeOf(vm, self), false, true));
}

Value Parse(Vm& vm, const Value&, Args args) {
    return Value(ParseDate(vm.toString(Arg(args, 0))));
}
Value Utc(Vm& vm, const Value&, Args args) {
    return FromFields(vm, args);
}

struct FieldNames {
    NativeFn get;
    NativeFn set;
    const char* property;
    const char* method;
};

} // namespace

void InstallDate(Vm& vm) {
    ClassObject* cls = vm.defineClass("", "Date", vm.natives.object, AllocateDate, DateInit);
    cls->sealedInstances = false;
    cls->callAsFunction = DateCall;
    vm.natives.date = cls;
    const FieldNames fields[] = {{GetField<kYear>, SetFields<kYear>, "fullYear", "FullYear"},
                                 {GetField<kMonth>, SetFields<kMonth>, "month", "Month"},
                                 {GetField<kDate>, SetFields<kDate>, "date", "Date"},
                                 {GetField<kHours>, SetFields<kHours>, "hours", "Hours"},
                                 {GetField<kMinutes>, SetFields<kMinutes>, "minutes", "Minutes"},
                                 {GetField<kSeconds>, SetFields<kSeconds>, "seconds", "Seconds"},
                                 {GetField<kMs>, SetFields<kMs>, "milliseconds", "Milliseconds"}};
    for (const FieldNames& field : fields) {
        for (std::string utc : {"", "UTC"}) {
            vm.defineAccessor(cls, field.property + utc, field.get, field.set);
            vm.defineMethod(cls, "get" + utc + field.method, field.get);
            vm.defineMethod(cls, "set" + utc + field.method, field.set);
        }
    }
    for (std::string utc : {"", "UTC"}) {
        vm.defineAccessor(cls, "day" + utc, GetDay, nullptr);
        vm.defineMethod(cls, "get" + utc + "Day", GetDay);
    }
    vm.defineAccessor(cls, "time", GetTime, SetTime);
    vm.defineMethod(cls, "getTime", GetTime);
    vm.defineMethod(cls, "setTime", SetTime);
    vm.defineMethod(cls, "valueOf", GetTime);
    vm.defineAccessor(cls, "timezoneOffset", TimezoneOffset, nullptr);
    vm.defineMethod(cls, "getTimezoneOffset", TimezoneOffset);
    vm.defineMethod(cls, "toString", ToText);
    vm.defineMethod(cls, "toUTCString", ToUtcText);
    vm.defineMethod(cls, "toDateString", ToDateText);
    vm.defineMethod(cls, "toTimeString", ToTimeText);
    vm.defineMethod(cls, "toLocaleString", ToLocaleText);
    vm.defineMethod(cls, "toLocaleDateString", ToLocaleDate);
    vm.defineMethod(cls, "toLocaleTimeString", ToLocaleTime);
    vm.defineMethod(cls, "parse", Parse, true);
    vm.defineMethod(cls, "UTC", Utc, true);
}

} // namespace vidorama::swf::avm2
