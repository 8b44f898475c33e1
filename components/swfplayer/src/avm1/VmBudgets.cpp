#include "avm1/Vm.h"
#include "swf/Limits.h"

namespace vidorama::swf::avm1 {

namespace {

// About as many bytes of string as the time of one instruction copies.
constexpr std::size_t kStringBytesPerStep = 32;

} // namespace

void Vm::beginFrame() {
    m_stepsThisFrame = 0;
    m_stringBytesThisFrame = 0;
    m_namesSearchedThisFrame = 0;
    m_frameCut = false;
}

void Vm::cut() {
    m_frameCut = true;
    throw ScriptCut{};
}

void Vm::step() {
    if (m_stopped == Stop::None && ++m_stepsRun > m_stepAllowance)
        m_stopped = Stop::Time;
    if (m_stopped != Stop::None || ++m_stepsThisFrame > Limits::kMaxScriptStepsPerFrame)
        cut();
}

void Vm::chargeNameSearch(std::size_t names) {
    m_namesSearchedThisFrame += names;
    if (m_namesSearchedThisFrame > Limits::kMaxNamesSearchedPerFrame) {
        m_frameCut = true;
        throw ScriptCut{};
    }
}

void Vm::chargeString(std::size_t bytes) {
    m_stringBytesThisFrame += bytes;
    m_bytesMadeSinceCollect += bytes;
    // Copying long strings takes time that no instruction count shows, so
    // their bytes count against the movie's allowance of instructions too.
    m_stepsRun += bytes / kStringBytesPerStep;
    if (bytes > Limits::kMaxScriptStringBytes ||
        m_stringBytesThisFrame > Limits::kMaxScriptStringBytesPerFrame) {
        m_frameCut = true;
        throw ScriptCut{};
    }
}

void Vm::push(Value value) {
    if (m_stack.size() >= Limits::kMaxScriptStackValues) {
        m_frameCut = true;
        throw ScriptCut{};
    }
    // Every string a script makes reaches the stack, so it is paid for here,
    // whichever function made it.
    if (value.holdsUnsharedString())
        chargeString(value.asString().size());
    m_stack.push_back(std::move(value));
}

void Vm::reserveObject() {
    if (m_objects.size() >= Limits::kMaxScriptObjects) {
        m_frameCut = true;
        throw ScriptCut{};
    }
}

} // namespace vidorama::swf::avm1
