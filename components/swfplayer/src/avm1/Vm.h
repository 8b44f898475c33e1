#pragma once

#include "avm1/Code.h"
#include "avm1/Object.h"
#include "avm1/ScriptHost.h"
#include "avm1/Value.h"

#include <cstdint>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vidorama::swf {
class DisplayObject;
class MovieClip;
} // namespace vidorama::swf

namespace vidorama::swf::avm1 {

// Thrown when a script passes one of the limits: the script, and every
// script still to run in the same frame, is cut there.
struct ScriptCut {};

// ActionThrow: carries the thrown value to the nearest try block.
struct ScriptThrow {
    Value value;
};

// The built-in objects scripts start with.
struct Builtins {
    Object* global = nullptr;
    Object* object = nullptr; // Object.prototype
    Object* function = nullptr;
    Object* array = nullptr;
    Object* string = nullptr;
    Object* number = nullptr;
    Object* boolean = nullptr;
    Object* movieClip = nullptr;
    Object* button = nullptr;
    Object* color = nullptr;
    Object* textField = nullptr;
    Object* textFormat = nullptr;
    Object* rectangle = nullptr; // flash.geom.Rectangle.prototype
    Object* sound = nullptr;
    Object* selection = nullptr;
    Object* textSnapshot = nullptr;
    Object* bitmapData = nullptr; // flash.display.BitmapData.prototype
};

struct Activation;

// The ActionScript 1/2 virtual machine of one player: the heap, the global
// object, the operand stack and the budgets that keep hostile code bounded.
class Vm {
public:
    Vm(ScriptHost& host, int swfVersion);
    ~Vm();
    Vm(const Vm&) = delete;
    Vm& operator=(const Vm&) = delete;

    int version() const { return m_version; }
    ScriptHost& host() { return m_host; }
    const Builtins& builtins() const { return m_builtins; }

    // Budgets start again with every frame; after a cut nothing more runs
    // until the next frame.
    void beginFrame();
    bool frameCut() const { return m_frameCut; }

    // Budgets of the whole movie, past which scripts stop for good: the
    // instructions a host allows so far (all of them unless it says), and
    // the script heap's memory.
    enum class Stop { None, Time, Memory };
    void setStepAllowance(std::uint64_t steps) { m_stepAllowance = steps; }
    std::uint64_t stepsRun() const { return m_stepsRun; }
    Stop stopped() const { return m_stopped; }

    // Runs a block of timeline or event code on a clip. A removed clip runs
    // only the unload handlers it left behind.
    enum class OnRemoved { Skip, Run };
    void runBlock(MovieClip& clip, const Code& code, OnRemoved removed = OnRemoved::Skip);
    // Runs code on a clip inside a running script (ActionCall); limits and
    // throws pass through to the caller.
    void runNested(MovieClip& clip, const Code& code);
    // Calls a method of the clip's script object if it has one (onEnterFrame).
    void callClipMethod(MovieClip& clip, std::string_view name,
                        OnRemoved removed = OnRemoved::Skip);
    // Frees objects nothing refers to any more; runs between blocks only.
    void collectIfDue();

    // setInterval and setTimeout on the movie's own clock: calls of a
    // function, or of a method of an object by name, every ms milliseconds
    // (once for a timeout). Returns the id clearInterval takes.
    double addTimer(const Value& object, const Value& function, std::vector<Value> args, double ms,
                    bool once);
    void clearTimer(double id);
    // A Sound object whose voice plays: told onSoundComplete when it ends.
    void watchSoundEnd(Object* sound, std::uint64_t voice);
    // Runs the timers that are due and reports the sounds that ended; once
    // every frame, before the frame's actions.
    void runTimedEvents();
    // Calls a method of any object as an event, outside a running script.
    void callEventMethod(const Value& object, std::string_view name,
                         std::span<const Value> args = {});

    // Names: compared without regard to case before SWF 7.
    std::string key(std::string_view name) const;
    bool sameName(std::string_view a, std::string_view b) const;

    // Properties, through prototypes, getters and the special hooks.
    // holder, when asked, is where the property was found.
    Value getMember(Object* object, std::string_view name, Object** holder = nullptr);
    void setMember(Object* object, std::string_view name, const Value& value);
    // Object.watch() and unwatch(); false when nothing was (un)set.
    bool watch(Object* object, std::string_view name, Object* callback, const Value& userData);
    bool unwatch(Object* object, std::string_view name);
    // Reads a property of any value: primitives use their prototypes.
    Value getProperty(const Value& target, std::string_view name);
    bool hasProperty(Object* object, std::string_view name);
    void defineValue(Object* object, std::string_view name, const Value& value,
                     std::uint8_t flags = 0);
    bool deleteMember(Object* object, std::string_view name);
    // Enumerable names of an object and its prototypes, as for..in lists them.
    std::vector<std::string> enumerate(Object* object);

    // Conversions as the movie's version makes them.
    double toNumber(const Value& value);
    std::string toString(const Value& value);
    bool toBoolean(const Value& value) const;
    Value toPrimitive(const Value& value, bool preferString = false);
    Object* toObject(const Value& value);
    // What an object's valueOf gives (undefined without one); other values
    // as they are.
    Value valueOf(const Value& value);
    std::string typeOf(const Value& value) const;
    // Abstract equality (==) and the strict kind (===).
    bool looselyEqual(const Value& a, const Value& b);
    static bool strictlyEqual(const Value& a, const Value& b);

    // Calls and construction. home is the object the function was found on,
    // which `super` inside it looks above; without one, self's prototype.
    Value call(const Value& function, const Value& self, std::span<const Value> args,
               Object* home = nullptr);
    Value callMethod(const Value& target, std::string_view name, std::span<const Value> args);
    Value construct(const Value& constructor, std::span<const Value> args);
    Value runFunction(FunctionObject& function, const Value& self, std::span<const Value> args,
                      Object* home);

    // Objects.
    Object* newObject();
    ArrayObject* newArray(std::vector<Value> elements = {});
    FunctionObject* newNative(NativeFunction native, NativeFunction construct = nullptr);
    FunctionObject* newScriptFunction(std::shared_ptr<const ScriptFunction> function,
                                      std::vector<ScopeEntry> scope,
                                      std::weak_ptr<DisplayObject> baseClip);
    // Gives a constructor its prototype object; proto may be given.
    Object* linkPrototype(FunctionObject* constructor, Object* proto = nullptr);
    // The script object of a display object, made when first asked for.
    ClipObject* clipObject(DisplayObject& object);
    // The live clip a value refers to, or nullptr.
    MovieClip* clipOf(const Value& value) const;
    DisplayObject* displayObjectOf(const Value& value) const;
    // "_level0.a.b": the dot path Flash gives clips.
    std::string targetPath(const DisplayObject& object) const;
    // Slash or dot path from a clip; nullptr when nothing matches.
    Object* resolvePath(Object* start, std::string_view path);

    // Budgets; each throws ScriptCut when spent.
    void step();
    // Children and frame labels looked through by name, from the frame's
    // own budget: a clip may have thousands of children.
    void chargeNameSearch(std::size_t names);
    void chargeString(std::size_t bytes);
    std::string makeString(std::string text) {
        chargeString(text.size());
        return text;
    }

    // The operand stack, shared by every activation of the frame.
    std::vector<Value>& stack() { return m_stack; }
    void push(Value value);
    int callDepth() const { return m_callDepth; }
    // What the Date class takes for now and for local time: the instant the
    // movie starts at (its own clock runs on from it) and the local zone's
    // offset east of UTC. Both 0 unless the host sets them, so a movie
    // converts the same on every machine.
    struct DateClock {
        double startMs = 0;
        double utcOffsetMinutes = 0;
    };
    DateClock& dateClock() { return m_dateClock; }
    // Pixels of the live bitmaps scripts made (BitmapData).
    std::uint64_t& scriptBitmapPixels() { return m_scriptBitmapPixels; }
    std::mt19937& random() { return m_random; }

    template <typename T, typename... Args> T* make(Args&&... args) {
        reserveObject();
        auto object = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = object.get();
        m_objects.push_back(std::move(object));
        return raw;
    }

private:
    // Assignment after any watcher has had its say.
    void storeMember(Object* object, std::string_view name, const Value& value);
    void setThroughSuper(SuperObject& super, std::string_view name, const Value& value);
    friend class Interpreter;
    void reserveObject();
    void collect();
    void markFrom(std::vector<Object*>& pending);
    std::uint64_t measureHeapBytes() const;
    [[noreturn]] void cut();
    Value runActivation(Activation& activation);
    Value getSpecialChain(Object* object, const std::string& key, std::string_view name,
                          bool& found);

    struct Timer {
        double id = 0;
        Value object;
        Value function;
        std::vector<Value> args;
        double intervalMs = 0;
        double dueMs = 0;
        bool once = false;
    };
    struct SoundEnd {
        Object* sound = nullptr;
        std::uint64_t voice = 0;
    };
    // A call made by the player, not by a script: limits and throws end here.
    void callEvent(const Value& function, const Value& self, std::span<const Value> args);
    // An uncaught throw ends the code it came from; Flash's log says so.
    void reportUncaught(const ScriptThrow& thrown);

    ScriptHost& m_host;
    int m_version;
    // The innermost running activation, which SWF 5 functions run on.
    const Activation* m_running = nullptr;
    std::vector<Timer> m_timers;
    double m_nextTimerId = 1;
    std::vector<SoundEnd> m_soundEnds;
    Builtins m_builtins;
    // Before the objects, which give their pixels back when destroyed.
    std::uint64_t m_scriptBitmapPixels = 0;
    DateClock m_dateClock;
    std::vector<std::unique_ptr<Object>> m_objects;
    std::size_t m_objectsAfterCollect = 0;
    std::vector<Value> m_stack;
    int m_callDepth = 0;
    std::uint64_t m_stepsThisFrame = 0;
    std::uint64_t m_stringBytesThisFrame = 0;
    std::uint64_t m_namesSearchedThisFrame = 0;
    std::uint64_t m_cellsInUse = 0;
    std::uint64_t m_stepsRun = 0;
    std::uint64_t m_stepAllowance = UINT64_MAX;
    std::uint64_t m_bytesMadeSinceCollect = 0;
    Stop m_stopped = Stop::None;
    bool m_frameCut = false;
    std::mt19937 m_random{20050101u};
};

// Sets up the global object and the built-in classes.
void InstallBuiltins(Vm& vm, Builtins& builtins);

} // namespace vidorama::swf::avm1
