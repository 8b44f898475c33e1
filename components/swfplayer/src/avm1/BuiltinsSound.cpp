// Sound: sounds a script attaches and starts, and the volume and balance of
// a clip's sounds or, without a clip, of every sound of the movie.

#include "avm1/ClipControl.h"
#include "avm1/Native.h"
#include "player/MovieClip.h"
#include "player/PlayerSound.h"

#include <cmath>
#include <limits>

namespace vidorama::swf::avm1 {

namespace {

constexpr const char* kTarget = "__target";
constexpr const char* kSound = "__sound";
constexpr const char* kVoice = "__voice";

// Whose sounds the object controls: a clip's (its serial), or the whole
// movie's (0); nullopt when its clip is gone.
std::optional<std::uint64_t> Group(Vm& vm, const Value& self) {
    Object* sound = self.asObject();
    if (!sound)
        return std::nullopt;
    Value target = vm.getMember(sound, kTarget);
    if (target.isUndefined())
        return 0;
    DisplayObject* object = vm.displayObjectOf(target);
    if (!object)
        object = ClipFromTarget(vm, vm.clipObject(vm.host().rootClip()), target);
    if (!object || object->removed())
        return std::nullopt;
    return object->serial();
}

std::optional<CharacterId> Attached(Vm& vm, const Value& self) {
    Value id = self.isObject() ? vm.getMember(self.asObject(), kSound) : Value();
    if (!id.isNumber())
        return std::nullopt;
    return static_cast<CharacterId>(id.asNumber());
}

SoundMixer& Mixer(Vm& vm) {
    return vm.host().sounds().mixer();
}

// The clip is kept as its path, found again at every call: a Sound of a
// clip that is renamed or removed controls nothing until a clip answers to
// the path again. Any other target is made text once, here.
Value Construct(Vm& vm, const Value& self, std::span<const Value> args) {
    Object* sound = self.asObject();
    const Value& target = Arg(args, 0);
    if (!sound || target.isNullish())
        return {};
    DisplayObject* clip = vm.displayObjectOf(target);
    Value path = Value::string(clip ? vm.targetPath(*clip) : vm.toString(target));
    vm.defineValue(sound, kTarget, path, kDontEnum);
    return {};
}

Value AttachSound(Vm& vm, const Value& self, std::span<const Value> args) {
    auto id = vm.host().exportedCharacter(vm.toString(Arg(args, 0)));
    if (!self.isObject() || !id || !vm.host().sounds().durationMs(*id))
        return {};
    vm.defineValue(self.asObject(), kSound, Value::number(*id), kDontEnum);
    return {};
}

Value Start(Vm& vm, const Value& self, std::span<const Value> args) {
    auto group = Group(vm, self);
    auto id = Attached(vm, self);
    if (!group || !id)
        return {};
    double offset = args.empty() ? 0 : vm.toNumber(args[0]);
    double loops = args.size() < 2 ? 1 : vm.toNumber(args[1]);
    int count = std::isfinite(loops) && loops > 1 ? static_cast<int>(std::min(loops, 65535.0)) : 1;
    auto voice =
        vm.host().sounds().startScriptSound(*id, std::isfinite(offset) ? offset : 0, count, *group);
    if (voice == 0)
        return {};
    vm.defineValue(self.asObject(), kVoice, Value::number(static_cast<double>(voice)), kDontEnum);
    vm.watchSoundEnd(self.asObject(), voice);
    return {};
}

// stop() ends every sound of the object's clip (of the movie, without one);
// stop(name) only those of the sound exported under that name.
Value Stop(Vm& vm, const Value& self, std::span<const Value> args) {
    auto group = Group(vm, self);
    if (!group)
        return {};
    std::optional<CharacterId> only;
    if (!args.empty()) {
        only = vm.host().exportedCharacter(vm.toString(args[0]));
        if (!only)
            return {};
    }
    Mixer(vm).stopGroup(*group, only);
    return {};
}

// A number as the setters take it: 0 when missing, else a whole 32-bit
// number, the lowest one for anything that is none.
double Whole(Vm& vm, std::span<const Value> args, std::size_t index) {
    if (index >= args.size())
        return 0;
    double n = std::trunc(vm.toNumber(args[index]));
    constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
    constexpr double kHighest = std::numeric_limits<std::int32_t>::max();
    return n >= kLowest && n <= kHighest ? n : kLowest;
}

Value GetVolume(Vm& vm, const Value& self, std::span<const Value>) {
    auto group = Group(vm, self);
    return group ? Value::number(Mixer(vm).transform(*group).volume) : Value();
}

Value SetVolume(Vm& vm, const Value& self, std::span<const Value> args) {
    auto group = Group(vm, self);
    if (!group)
        return {};
    SoundTransform t = Mixer(vm).transform(*group);
    t.volume = Whole(vm, args, 0);
    Mixer(vm).setTransform(*group, t);
    return {};
}

// The balance from -100 (left only) to 100 (right only): how far one side
// is turned down.
Value GetPan(Vm& vm, const Value& self, std::span<const Value>) {
    auto group = Group(vm, self);
    if (!group)
        return {};
    const SoundTransform t = Mixer(vm).transform(*group);
    // Flash measures how far a side is from full by its size alone.
    return Value::number(t.ll != 100 ? 100 - std::abs(t.ll) : std::abs(t.rr) - 100);
}

Value SetPan(Vm& vm, const Value& self, std::span<const Value> args) {
    auto group = Group(vm, self);
    if (!group)
        return {};
    SoundTransform t = Mixer(vm).transform(*group);
    const double pan = Whole(vm, args, 0);
    t.ll = pan > 0 ? 100 - pan : 100;
    t.rr = pan < 0 ? 100 + pan : 100;
    t.lr = t.rl = 0;
    Mixer(vm).setTransform(*group, t);
    return {};
}

Value GetTransform(Vm& vm, const Value& self, std::span<const Value>) {
    auto group = Group(vm, self);
    if (!group)
        return {};
    const SoundTransform t = Mixer(vm).transform(*group);
    Object* result = vm.newObject();
    vm.setMember(result, "ll", Value::number(t.ll));
    vm.setMember(result, "lr", Value::number(t.lr));
    vm.setMember(result, "rr", Value::number(t.rr));
    vm.setMember(result, "rl", Value::number(t.rl));
    return Value::object(result);
}

Value SetTransform(Vm& vm, const Value& self, std::span<const Value> args) {
    auto group = Group(vm, self);
    Object* source = Arg(args, 0).asObject();
    if (!group || !source)
        return {};
    SoundTransform t = Mixer(vm).transform(*group);
    auto take = [&](const char* name, double& field) {
        // The object's own members only, not those of its prototypes.
        if (source->properties().find(vm.key(name))) {
            // Unlike the other setters, these wrap round to 32 bits.
            field = ToInt32(vm.toNumber(vm.getMember(source, name)));
        }
    };
    take("ll", t.ll);
    take("lr", t.lr);
    take("rl", t.rl);
    take("rr", t.rr);
    Mixer(vm).setTransform(*group, t);
    return {};
}

Value GetDuration(Vm& vm, const Value& self, std::span<const Value>) {
    auto id = Attached(vm, self);
    if (!Group(vm, self) || !id)
        return {};
    auto duration = vm.host().sounds().durationMs(*id);
    return duration ? Value::number(*duration) : Value();
}

// Where the last started sound plays, in milliseconds; where it ended once
// it has.
Value GetPosition(Vm& vm, const Value& self, std::span<const Value>) {
    auto id = Attached(vm, self);
    if (!Group(vm, self) || !id)
        return {};
    Value voice = vm.getMember(self.asObject(), kVoice);
    if (!voice.isNumber())
        return Value::number(0);
    const Voice* playing = Mixer(vm).voice(static_cast<std::uint64_t>(voice.asNumber()));
    if (!playing)
        return GetDuration(vm, self, {});
    return Value::number(std::round(double(playing->position()) * 1000.0 / kOutputRate));
}

// setDuration, setPosition and the loading methods belong to sounds
// loaded from files, which a movie converted on its own never has: they
// change nothing and answer nothing.
Value Nothing(Vm&, const Value&, std::span<const Value>) {
    return {};
}

// duration, position and id3 are computed, but a script that assigns one
// gets its own value in its place, until it deletes it.
template <const char* Name> Value Shadow(Vm& vm, const Value& self, std::span<const Value> args) {
    if (Object* sound = self.asObject())
        vm.defineValue(sound, Name, Arg(args, 0));
    return {};
}

constexpr char kDuration[] = "duration";
constexpr char kPosition[] = "position";
constexpr char kId3[] = "id3";

} // namespace

void InstallSoundClass(Vm& vm, Builtins& b) {
    Object* proto = vm.newObject();
    b.sound = proto;
    Class(vm, "Sound", proto, Construct);
    Method(vm, proto, "attachSound", AttachSound);
    Method(vm, proto, "start", Start);
    Method(vm, proto, "stop", Stop);
    Method(vm, proto, "getVolume", GetVolume);
    Method(vm, proto, "setVolume", SetVolume);
    Method(vm, proto, "getPan", GetPan);
    Method(vm, proto, "setPan", SetPan);
    Method(vm, proto, "getTransform", GetTransform);
    Method(vm, proto, "setTransform", SetTransform);
    Accessor(vm, proto, kDuration, GetDuration, Shadow<kDuration>);
    Accessor(vm, proto, kPosition, GetPosition, Shadow<kPosition>);
    Accessor(vm, proto, kId3, Nothing, Shadow<kId3>);
    // The methods of sounds loaded from files came with Flash 6.
    if (vm.version() < 6)
        return;
    Method(vm, proto, "getDuration", GetDuration);
    Method(vm, proto, "getPosition", GetPosition);
    for (const char* name :
         {"setDuration", "setPosition", "loadSound", "getBytesLoaded", "getBytesTotal"})
        Method(vm, proto, name, Nothing);
}

} // namespace vidorama::swf::avm1
