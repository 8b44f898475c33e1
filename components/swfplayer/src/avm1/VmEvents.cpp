// Script events that come from the player's clock rather than a frame:
// setInterval and setTimeout timers and the ends of Sound objects' sounds.

#include "avm1/Vm.h"
#include "player/PlayerSound.h"
#include "swf/Limits.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf::avm1 {

double Vm::addTimer(const Value& object, const Value& function, std::vector<Value> args, double ms,
                    bool once) {
    if (m_timers.size() >= Limits::kMaxScriptTimers)
        return 0;
    // A zero or unreadable interval runs once a frame, as Flash's timers run
    // no faster than the player checks them.
    const double interval = std::isfinite(ms) && ms > 0 ? ms : 0;
    Timer timer{m_nextTimerId++,
                object,
                function,
                std::move(args),
                interval,
                m_host.timerMs() + interval,
                once};
    m_timers.push_back(std::move(timer));
    return m_timers.back().id;
}

void Vm::clearTimer(double id) {
    std::erase_if(m_timers, [id](const Timer& timer) { return timer.id == id; });
}

void Vm::watchSoundEnd(Object* sound, std::uint64_t voice) {
    for (SoundEnd& end : m_soundEnds)
        if (end.sound == sound) {
            end.voice = voice;
            return;
        }
    m_soundEnds.push_back({sound, voice});
}

void Vm::callEventMethod(const Value& object, std::string_view name, std::span<const Value> args) {
    if (!m_frameCut && object.isObject())
        callEvent(getMember(object.asObject(), name), object, args);
}

void Vm::callEvent(const Value& function, const Value& self, std::span<const Value> args) {
    if (m_frameCut)
        return;
    m_stack.clear();
    try {
        call(function, self, args);
    } catch (const ScriptCut&) {
        m_frameCut = true;
    } catch (const ScriptThrow& thrown) {
        reportUncaught(thrown);
    }
    m_stack.clear();
}

void Vm::runTimedEvents() {
    const double now = m_host.timerMs();
    // Timers added or cleared by the calls take effect from the next frame.
    std::vector<double> due;
    for (const Timer& timer : m_timers)
        if (timer.dueMs <= now)
            due.push_back(timer.id);
    for (double id : due) {
        for (int calls = 0; calls < Limits::kMaxTimerCallsPerFrame && !m_frameCut; ++calls) {
            auto found = std::find_if(m_timers.begin(), m_timers.end(),
                                      [id](const Timer& timer) { return timer.id == id; });
            if (found == m_timers.end() || found->dueMs > now)
                break;
            Timer timer = *found;
            if (timer.once)
                m_timers.erase(found);
            else
                found->dueMs += timer.intervalMs > 0 ? timer.intervalMs : now - found->dueMs + 1;
            if (timer.object.isObject())
                callEventMethod(timer.object, toString(timer.function), timer.args);
            else
                callEvent(timer.function, Value(), timer.args);
        }
    }
    std::vector<SoundEnd> ended;
    std::erase_if(m_soundEnds, [&](const SoundEnd& end) {
        if (m_host.sounds().mixer().voice(end.voice))
            return false;
        ended.push_back(end);
        return true;
    });
    for (const SoundEnd& end : ended)
        callEventMethod(Value::object(end.sound), "onSoundComplete");
}

} // namespace vidorama::swf::avm1
