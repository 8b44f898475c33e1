// setTimeout, setInterval and flash.utils.Timer, all on the movie's clock so
// that a conversion runs them at the same frames whatever its speed.

#include "avm2/DisplayBinding.h"
#include "avm2/Native.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf::avm2 {

namespace {

// The fields of a Timer.
enum TimerSlot : std::uint32_t { kDelay, kRepeatCount, kCurrentCount, kRunning, kTimerSlots };

// Flash runs timers at most once a millisecond or so; a zero delay still
// waits for the next frame.
double DelayOf(Vm& vm, const Value& v) {
    double delay = vm.toNumber(v);
    return std::isfinite(delay) && delay > 0 ? delay : 0;
}

Value Schedule(Vm& vm, Args args, bool repeat) {
    Value fn = Arg(args, 0);
    if (!fn.isObject())
        vm.throwError("TypeError", 2007, "Parameter closure must be non-null.");
    Vm::Scheduled call;
    call.id = ++vm.lastScheduledId;
    call.function = fn;
    if (args.size() > 2)
        call.args.assign(args.begin() + 2, args.end());
    call.intervalMs = DelayOf(vm, Arg(args, 1));
    call.dueMs = vm.host().timerMs() + call.intervalMs;
    call.repeat = repeat;
    vm.scheduled.push_back(std::move(call));
    return Value(call.id);
}

Value SetTimeout(Vm& vm, const Value&, Args args) {
    return Schedule(vm, args, false);
}
Value SetInterval(Vm& vm, const Value&, Args args) {
    return Schedule(vm, args, true);
}

Value Clear(Vm& vm, const Value&, Args args) {
    std::uint32_t id = ToUint32(vm.toNumber(Arg(args, 0)));
    vm.scheduled.erase(
        std::remove_if(vm.scheduled.begin(), vm.scheduled.end(),
                       [&](const Vm::Scheduled& s) { return s.id == id && !s.timer; }),
        vm.scheduled.end());
    return Value();
}

Object* ThisTimer(Vm& vm, const Value& self) {
    if (!self.isObject() || self.object->fields.size() < kTimerSlots)
        vm.throwError("TypeError", 1009, ErrorMessage(1009));
    return self.object;
}

Value TimerInit(Vm& vm, const Value& self, Args args) {
    Object* timer = ThisTimer(vm, self);
    double delay = vm.toNumber(Arg(args, 0));
    if (!(delay >= 0) || !std::isfinite(delay))
        vm.throwError("RangeError", 2066, "The Timer delay specified is out of range.");
    timer->fields[kDelay] = Value(delay);
    timer->fields[kRepeatCount] = Value(ToInt32(vm.toNumber(Arg(args, 1))));
    return Value();
}

void Unschedule(Vm& vm, Object* timer) {
    vm.scheduled.erase(std::remove_if(vm.scheduled.begin(), vm.scheduled.end(),
                                      [&](const Vm::Scheduled& s) { return s.timer == timer; }),
                       vm.scheduled.end());
}

Value TimerStart(Vm& vm, const Value& self, Args) {
    Object* timer = ThisTimer(vm, self);
    if (ToBoolean(timer->fields[kRunning]))
        return Value();
    timer->fields[kRunning] = Value(true);
    Vm::Scheduled tick;
    tick.id = ++vm.lastScheduledId;
    tick.timer = timer;
    tick.intervalMs = DelayOf(vm, timer->fields[kDelay]);
    tick.dueMs = vm.host().timerMs() + tick.intervalMs;
    tick.repeat = true;
    vm.scheduled.push_back(std::move(tick));
    return Value();
}

Value TimerStop(Vm& vm, const Value& self, Args) {
    Object* timer = ThisTimer(vm, self);
    timer->fields[kRunning] = Value(false);
    Unschedule(vm, timer);
    return Value();
}

Value TimerReset(Vm& vm, const Value& self, Args args) {
    TimerStop(vm, self, args);
    ThisTimer(vm, self)->fields[kCurrentCount] = Value(0);
    return Value();
}

template <TimerSlot Slot> Value TimerField(Vm& vm, const Value& self, Args) {
    return ThisTimer(vm, self)->fields[Slot];
}

Value SetDelay(Vm& vm, const Value& self, Args args) {
    double delay = vm.toNumber(Arg(args, 0));
    if (!(delay >= 0) || !std::isfinite(delay))
        vm.throwError("RangeError", 2066, "The Timer delay specified is out of range.");
    ThisTimer(vm, self)->fields[kDelay] = Value(delay);
    return Value();
}

Value SetRepeatCount(Vm& vm, const Value& self, Args args) {
    ThisTimer(vm, self)->fields[kRepeatCount] = Value(ToInt32(vm.toNumber(Arg(args, 0))));
    return Value();
}

// One tick of a Timer: its count, its timer event and, on the last tick,
// timerComplete.
void Tick(Vm& vm, Object* timer) {
    int count = ToInt32(vm.toNumber(timer->fields[kCurrentCount])) + 1;
    timer->fields[kCurrentCount] = Value(count);
    int repeat = ToInt32(vm.toNumber(timer->fields[kRepeatCount]));
    bool last = repeat > 0 && count >= repeat;
    if (last) {
        timer->fields[kRunning] = Value(false);
        Unschedule(vm, timer);
    }
    DispatchSimple(vm, timer, "timer");
    if (last)
        DispatchSimple(vm, timer, "timerComplete");
}

} // namespace

void Vm::runScheduled(double nowMs) {
    // Calls made while these run wait for a later frame.
    std::size_t rounds = scheduled.size();
    for (std::size_t round = 0; round < rounds && !m_frameCut; ++round) {
        auto due = std::min_element(
            scheduled.begin(), scheduled.end(),
            [](const Scheduled& a, const Scheduled& b) { return a.dueMs < b.dueMs; });
        if (due == scheduled.end() || due->dueMs > nowMs)
            return;
        Scheduled call = *due;
        if (call.repeat)
            due->dueMs = std::max(due->dueMs + std::max(call.intervalMs, 1.0), nowMs);
        else
            scheduled.erase(due);
        runReported([&] {
            if (call.timer)
                Tick(*this, call.timer);
            else
                this->call(call.function, Value::null(), call.args);
        });
    }
}

void InstallTimers(Vm& vm) {
    vm.defineGlobalFunction("flash.utils", "setTimeout", SetTimeout);
    vm.defineGlobalFunction("flash.utils", "setInterval", SetInterval);
    vm.defineGlobalFunction("flash.utils", "clearTimeout", Clear);
    vm.defineGlobalFunction("flash.utils", "clearInterval", Clear);
    Name dispatcherName;
    dispatcherName.local = "EventDispatcher";
    dispatcherName.namespaces.push_back(Ns{Ns::Group::Public, "flash.events", 0});
    ClassObject* timer =
        vm.defineClass("flash.utils", "Timer", vm.classByName(dispatcherName), nullptr, TimerInit);
    vm.defineSlot(timer, " delay", Value(0));
    vm.defineSlot(timer, " repeatCount", Value(0));
    vm.defineSlot(timer, " currentCount", Value(0));
    vm.defineSlot(timer, " running", Value(false));
    vm.defineMethod(timer, "start", TimerStart);
    vm.defineMethod(timer, "stop", TimerStop);
    vm.defineMethod(timer, "reset", TimerReset);
    vm.defineAccessor(timer, "delay", TimerField<kDelay>, SetDelay);
    vm.defineAccessor(timer, "repeatCount", TimerField<kRepeatCount>, SetRepeatCount);
    vm.defineAccessor(timer, "currentCount", TimerField<kCurrentCount>, nullptr);
    vm.defineAccessor(timer, "running", TimerField<kRunning>, nullptr);
    DefineEventClass(vm, "TimerEvent", {{"TIMER", "timer"}, {"TIMER_COMPLETE", "timerComplete"}});
}

} // namespace vidorama::swf::avm2
