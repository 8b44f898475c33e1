#pragma once

#include "avm2/AbcFile.h"
#include "avm2/HeapFigures.h"
#include "avm2/Object.h"
#include "avm2/Value.h"
#include "avm2/XmlState.h"
#include "swf/Character.h"
#include "swf/Geometry.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

namespace vidorama::swf {
class DisplayObject;
class MovieClip;
class PlayerSound;
class TimelineHost;
} // namespace vidorama::swf

namespace vidorama::swf::avm2 {

// A script exception on its way to the nearest handler.
struct ScriptThrow {
    Value value;
};

// Thrown when scripts pass one of the limits: every script still running in
// the frame is cut there.
struct ScriptCut {};

// What the machine needs from the player it runs in.
class VmHost {
public:
    virtual ~VmHost() = default;
    virtual void trace(const std::string& line) = 0;
    // getTimer(): the movie's clock, so a conversion gives the same result at
    // any speed.
    virtual double timerMs() const = 0;
    virtual TimelineHost& timelineHost() = 0;
    virtual MovieClip& rootClip() = 0;
    // A clip with an empty timeline for a Sprite or Shape a script makes;
    // nullptr when the display tree is full.
    virtual std::shared_ptr<DisplayObject> newClip(const MovieClip& parent) = 0;
    // A text field of Flash's default settings with these bounds (twips), for
    // new TextField(); nullptr when the display tree is full.
    virtual std::shared_ptr<DisplayObject> newTextField(const Rect& bounds) = 0;
    // A new instance of the library symbol SymbolClass links to the class
    // ("pkg.Name"), its first frame entered; nullptr when no symbol is linked
    // or the tree is full.
    virtual std::shared_ptr<DisplayObject> newLinkedInstance(const std::string& className) = 0;
    // The character SymbolClass links to the class ("pkg.Name").
    virtual std::optional<CharacterId> linkedCharacter(const std::string& className) const = 0;
    // A character of the movie's library; nullptr when there is none.
    virtual std::shared_ptr<const CharacterDef> libraryCharacter(CharacterId id) const = 0;
    // Constructs, as their classes, the children the clip's timeline placed
    // that have no script object yet: the native constructor of a clip does
    // it, so a subclass sees them made once its super() returns.
    virtual void constructChildren(MovieClip& clip) = 0;
    // Runs the frame scripts of every clip whose current frame's script has
    // not run yet, as Flash does when a script's goto returns.
    virtual void runPendingFrameScripts() = 0;
    // The playback's sounds, which Sound objects start, stop and mix.
    virtual PlayerSound& sounds() = 0;
    // The stage's size in pixels and the movie's frame rate.
    virtual double stageWidth() const = 0;
    virtual double stageHeight() const = 0;
    virtual double frameRate() const = 0;
    // The version in the movie's header, which some behaviours follow.
    virtual int swfVersion() const = 0;
    // The length of the movie's file, as LoaderInfo gives it.
    virtual std::size_t movieFileLength() const = 0;
};

// An event listener as addEventListener registers it.
struct Listener {
    std::string type;
    Value function;
    bool capture = false;
    int priority = 0;
};

// The runtime side of one loaded ABC block: its names resolved, its classes
// once made and its scripts' global objects.
struct AbcRuntime {
    std::shared_ptr<const AbcFile> abc;
    std::vector<Ns> namespaces;
    std::vector<Name> names;
    std::vector<ClassObject*> classes;
    std::vector<Object*> globals;
    std::vector<Traits> scriptTraits;
    std::vector<bool> scriptStarted;
    std::unordered_map<std::uint32_t, Traits> activationTraits;
    std::unordered_map<std::uint64_t, Traits> catchTraits;
    // Classes named as parameter and exception types, once found.
    std::unordered_map<std::uint32_t, ClassObject*> typeCache;
    // The method bodies whose code passed its check before their first run.
    std::vector<bool> bodiesChecked;
    // The names stack traces give the block's methods, made when first asked.
    std::vector<std::string> methodNames;
};

struct Frame;

// The ActionScript 3 virtual machine of one player: its heap, the classes of
// the loaded blocks and the built-in ones, and the budgets that keep hostile
// code bounded.
class Vm {
public:
    explicit Vm(VmHost& host);
    ~Vm();
    Vm(const Vm&) = delete;
    Vm& operator=(const Vm&) = delete;

    VmHost& host() { return m_host; }

    // Loads a block; unless lazy, its last script (the entry point) runs now.
    // Errors the scripts throw are reported and end the script, as in Flash.
    void loadAbc(std::shared_ptr<const AbcFile> abc, bool lazy);
    // The class with this qualified name ("pkg.Name" or "Name"), running the
    // script that defines it first; nullptr when there is none.
    ClassObject* findClass(const std::string& qualifiedName);
    // "pkg.Name" or "pkg::Name" as a name in that package.
    static Name qualifiedName(const std::string& text);
    // Makes an instance of a class and runs its constructors; exceptions are
    // reported and give nullptr.
    Object* constructReported(ClassObject* cls);
    // Runs fn and reports an uncaught exception instead of passing it on.
    bool runReported(const std::function<void()>& fn);

    void beginFrame();
    bool frameCut() const { return m_frameCut; }
    // What the movie's scripts reached that is not built, once each.
    const std::set<std::string>& missing() const { return m_missing; }
    void noteMissing(const std::string& what) { m_missing.insert(what); }

    // The heap. A kind of object that does not report its own references
    // could leave the collector blind to what it holds, so it is refused.
    template <typename T = Object>
    T* make(Object::Kind kind, ClassObject* cls, const Traits* traits, Object* proto) {
        static_assert(std::is_same_v<decltype(&T::references), void (T::*)(Tracer&) const>,
                      "each kind of object declares references() for the collector");
        reserveObject(sizeof(T));
        auto object = std::make_unique<T>(kind, cls, traits, proto);
        T* raw = object.get();
        m_heap.push_back(std::move(object));
        return raw;
    }
    // Frees the objects no root reaches when enough were made since the last
    // time. Only between script entries: the interpreter's registers and
    // the natives' locals are no roots.
    void collectIfDue();
    void collect();
    const HeapFigures& heapFigures() const { return m_heapFigures; }
    // Whether scripts were cut for keeping more objects alive than allowed.
    bool memoryCut() const { return m_memoryCut; }
    Object* newObject();
    ArrayObject* newArray(std::vector<Value> elements = {});
    FunctionObject* newFunction(const MethodRef& method, ScopeChain scope, const std::string& name);
    FunctionObject* methodClosure(const Trait& trait, const Value& receiver);
    Object* newError(const std::string& className, int code, const std::string& message);
    [[noreturn]] void throwError(const std::string& className, int code,
                                 const std::string& message);

    // Conversions that may call script methods.
    double toNumber(const Value& v);
    std::string toString(const Value& v);
    Value toPrimitive(const Value& v, bool preferString);
    Object* toObject(const Value& v);
    Value coerce(const Value& v, SlotType type);
    Value coerceTo(const Value& v, ClassObject* cls);
    bool isType(const Value& v, ClassObject* cls);
    bool looseEquals(const Value& a, const Value& b);
    bool strictEquals(const Value& a, const Value& b);
    // a < b as ECMAScript compares: true, false, or undefined for NaN.
    Value lessThan(const Value& a, const Value& b);
    Value add(const Value& a, const Value& b);
    std::string typeOf(const Value& v);
    // Errors for a string or list that would pass the limits.
    void checkStringSize(std::size_t bytes);
    void checkListSize(std::size_t elements);
    // The class a value belongs to, primitives included.
    ClassObject* classOf(const Value& v);
    std::string describe(const Value& v);

    // Properties.
    Value getProperty(const Value& target, const Name& name);
    void setProperty(const Value& target, const Name& name, Value value, bool init = false);
    bool deleteProperty(const Value& target, const Name& name);
    bool hasProperty(const Value& target, const Name& name);
    Value callProperty(const Value& target, const Name& name, Args args);
    Value getSuper(const Value& target, ClassObject* declarer, const Name& name);
    void setSuper(const Value& target, ClassObject* declarer, const Name& name, Value value);
    Value callSuper(const Value& target, ClassObject* declarer, const Name& name, Args args);
    Value call(const Value& fn, const Value& self, Args args);
    Value construct(const Value& ctor, Args args);
    Value constructClass(ClassObject* cls, Args args);
    // Runs a method with the given receiver, arguments and scope.
    Value invoke(const MethodRef& method, const Value& self, Args args, const ScopeChain& scope,
                 ClassObject* declarer, FunctionObject* callee = nullptr);
    // Enumeration for for-in and for-each: the next index after index with
    // something to visit (0 when done), and the name and value there.
    std::uint32_t nextIndex(const Value& target, std::uint32_t index);
    Value nameAt(const Value& target, std::uint32_t index);
    Value valueAt(const Value& target, std::uint32_t index);

    // Global names: the scripts' traits, then the built-in classes.
    Object* findGlobal(const Name& name);
    ClassObject* classByName(const Name& name);

    // Built-in classes.
    struct Natives {
        ClassObject* object = nullptr;
        ClassObject* function = nullptr;
        ClassObject* klass = nullptr;
        ClassObject* array = nullptr;
        ClassObject* string = nullptr;
        ClassObject* number = nullptr;
        ClassObject* intClass = nullptr;
        ClassObject* uintClass = nullptr;
        ClassObject* boolean = nullptr;
        ClassObject* error = nullptr;
        ClassObject* vector = nullptr;
        ClassObject* namespaceClass = nullptr;
        ClassObject* date = nullptr;
        ClassObject* regexp = nullptr;
        Object* global = nullptr;
    };
    Natives natives;
    XmlState xml;
    // Pixels of the live BitmapData objects, against the movie's budget.
    std::uint64_t scriptBitmapPixels = 0;
    // ByteArray.defaultObjectEncoding: the AMF version new ByteArrays use.
    int defaultObjectEncoding = 3;
    // registerClassAlias: the names AMF writes for classes, and reads back.
    std::map<std::string, ClassObject*> classAliases;
    ClassObject* eventClass = nullptr;
    // The Stage, made when first asked for.
    Object* stage = nullptr;
    // Calls waiting on the movie's clock: setTimeout, setInterval and the
    // ticks of running Timers.
    struct Scheduled {
        std::uint32_t id = 0;
        Value function;
        std::vector<Value> args;
        Object* timer = nullptr;
        double intervalMs = 0;
        double dueMs = 0;
        bool repeat = false;
    };
    std::vector<Scheduled> scheduled;
    std::uint32_t lastScheduledId = 0;
    // Runs the calls due by the clock's time, in the order they fall due.
    void runScheduled(double nowMs);
    // Listeners by dispatcher, and the display objects' script objects.
    std::unordered_map<Object*, std::vector<Listener>> listeners;
    std::vector<Object*> enterFrameOrder;
    // While a SWF 9 movie's enterFrame is sent, a goto leaves the frame
    // scripts of the frame it reaches to the frame's script phase; otherwise
    // it runs them before it returns.
    bool gotoScriptsWait = false;
    std::unordered_map<const DisplayObject*, Object*> displayObjects;
    ClassObject* defineClass(const std::string& package, const std::string& name, ClassObject* base,
                             Allocator allocator, NativeFn init);
    void defineMethod(ClassObject* cls, const std::string& name, NativeFn fn,
                      bool isStatic = false);
    void defineAccessor(ClassObject* cls, const std::string& name, NativeFn getter, NativeFn setter,
                        bool isStatic = false);
    // An instance variable of a built-in class; returns its slot index.
    std::uint32_t defineSlot(ClassObject* cls, const std::string& name, Value initial);
    void defineConstant(ClassObject* cls, const std::string& name, Value value);
    void defineGlobalFunction(const std::string& package, const std::string& name, NativeFn fn);
    void defineGlobalConstant(const std::string& package, const std::string& name, Value value);
    Value vectorClass(ClassObject* elementClass);

    // Internals the interpreter shares.
    Name resolveName(AbcRuntime& rt, std::uint32_t index);
    Name typeName(AbcRuntime& rt, std::uint32_t index, int depth);
    ClassObject* newClass(AbcRuntime& rt, std::uint32_t index, ClassObject* base,
                          const ScopeChain& scope);
    Object* newActivation(AbcRuntime& rt, std::uint32_t bodyIndex);
    Value constantValue(AbcRuntime& rt, const AbcConstant& constant);
    SlotType slotTypeOf(AbcRuntime& rt, std::uint32_t typeName, std::string* name);
    void buildTraits(AbcRuntime& rt, Traits& traits, const std::vector<AbcTrait>& abcTraits,
                     ClassObject* declarer, bool fromZero);
    void startScript(AbcRuntime& rt, std::size_t index);
    Value interpret(AbcRuntime& rt, const AbcMethod& method, const Value& self, Args args,
                    const ScopeChain& scope, ClassObject* declarer, FunctionObject* callee);
    void spendSteps(std::uint64_t steps);
    // The block methods running now, outermost first.
    const std::vector<MethodRef>& callStack() const { return m_callStack; }
    // The class a multiname of the block names as a type, or nullptr.
    ClassObject* typeClass(AbcRuntime& rt, std::uint32_t typeName);
    Value coerceToType(AbcRuntime& rt, std::uint32_t typeName, const Value& v);

private:
    void reserveObject(std::size_t bytes);
    void installBuiltins();
    void markRoots(Tracer& tracer);
    void markDisplayRoots(Tracer& tracer);
    void markReachable(Tracer& tracer);
    void forgetUnreached();
    Value getOwn(Object* object, const Name& name, bool& found);

    VmHost& m_host;
    std::vector<std::unique_ptr<Object>> m_heap;
    std::vector<std::unique_ptr<AbcRuntime>> m_runtimes;
    std::map<std::string, Value> m_vectorClasses;
    std::set<std::string> m_missing;
    Traits m_globalTraits;
    std::uint64_t m_steps = 0;
    std::uint64_t m_bytesMadeSinceCollect = 0;
    HeapFigures m_heapFigures;
    bool m_memoryCut = false;
    int m_depth = 0;
    std::vector<MethodRef> m_callStack;
    bool m_frameCut = false;
    std::uint64_t m_nextPrivateId = 1;

    friend struct Frame;
};

// Flash's error messages, by number.
std::string ErrorMessage(int code, const std::string& a = {}, const std::string& b = {},
                         const std::string& c = {});
// What Error.getErrorMessage gives: "Error #N: text" with its placeholders
// left in, or "Error #N" for a number Flash has no text for.
std::string ErrorMessageWithNumber(int code);

} // namespace vidorama::swf::avm2
