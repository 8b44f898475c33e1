// flash.media: Sound for the sounds of the library linked to classes,
// SoundChannel for one playing voice, SoundTransform for its volume and
// panning, and SoundMixer for all of them, on the player's mixer. Each channel
// plays in a group of its own, so that its transform is its alone.

#include "avm2/DisplayBinding.h"
#include "avm2/Native.h"
#include "player/PlayerSound.h"
#include "sound/SoundMixer.h"

#include <cmath>

namespace vidorama::swf::avm2 {

namespace {

// Groups of the mixer the channels use, clear of those of other scripts.
constexpr std::uint64_t kFirstChannelGroup = std::uint64_t(1) << 40;

enum SoundSlot : std::uint32_t { kSoundId };
enum ChannelSlot : std::uint32_t { kVoice, kGroup };
enum TransformSlot : std::uint32_t {
    kVolume,
    kLeftToLeft,
    kLeftToRight,
    kRightToLeft,
    kRightToRight
};
constexpr std::size_t kTransformSlots = 5;

Object* Checked(Vm& vm, const Value& self, const char* name, std::size_t slots) {
    if (!self.isObject() || !vm.isType(self, FlashClass(vm, "flash.media", name)) ||
        self.object->fields.size() < slots)
        vm.throwError("TypeError", 1034,
                      ErrorMessage(1034, vm.describe(self), std::string("flash.media.") + name));
    return self.object;
}

// The library sound a script's subclass of Sound is linked to.
Value SoundInit(Vm& vm, const Value& self, Args) {
    Object* sound = Checked(vm, self, "Sound", 1);
    if (auto id = LinkedLibraryCharacter(vm, sound->cls()))
        sound->fields[kSoundId] = Value(double(*id));
    return Value();
}

SoundTransform MixerTransform(Vm& vm, const Value& v) {
    Object* t = Checked(vm, v, "SoundTransform", kTransformSlots);
    auto n = [&](std::uint32_t slot) {
        double x = vm.toNumber(t->fields[slot]);
        return std::isfinite(x) ? x * 100 : 0.0;
    };
    return {n(kVolume), n(kLeftToLeft), n(kLeftToRight), n(kRightToLeft), n(kRightToRight)};
}

Value ScriptTransform(Vm& vm, const SoundTransform& t) {
    Value transform = vm.constructClass(FlashClass(vm, "flash.media", "SoundTransform"), {});
    const double parts[] = {t.volume, t.ll, t.lr, t.rl, t.rr};
    for (std::uint32_t i = 0; i < kTransformSlots; ++i)
        transform.object->fields[i] = Value(parts[i] / 100);
    return transform;
}

Value Play(Vm& vm, const Value& self, Args args) {
    Object* sound = Checked(vm, self, "Sound", 1);
    if (!sound->fields[kSoundId].isNumber())
        return Value::null();
    auto id = CharacterId(sound->fields[kSoundId].number);
    double start = vm.toNumber(Arg(args, 0)) / 1000;
    double loops = vm.toNumber(Arg(args, 1));
    // The channels made so far are counted on the SoundChannel class.
    ClassObject* channelClass = FlashClass(vm, "flash.media", "SoundChannel");
    Value* made = channelClass->findDynamic(" made");
    double count = made ? made->number + 1 : 1;
    channelClass->setDynamic(" made", Value(count));
    std::uint64_t group = kFirstChannelGroup + std::uint64_t(count);
    if (!Arg(args, 2).isNullish())
        vm.host().sounds().mixer().setTransform(group, MixerTransform(vm, args[2]));
    auto voice = vm.host().sounds().startScriptSound(
        id, std::isfinite(start) ? start : 0,
        std::isfinite(loops) && loops > 1 ? int(std::min(loops, 65535.0)) : 1, group);
    if (voice == 0)
        return Value::null();
    Value channel = vm.constructClass(channelClass, {});
    channel.object->fields[kVoice] = Value(double(voice));
    channel.object->fields[kGroup] = Value(double(group));
    return channel;
}

Value Length(Vm& vm, const Value& self, Args) {
    Object* sound = Checked(vm, self, "Sound", 1);
    if (!sound->fields[kSoundId].isNumber())
        return Value(0);
    auto ms = vm.host().sounds().durationMs(CharacterId(sound->fields[kSoundId].number));
    return Value(ms ? std::floor(*ms) : 0.0);
}

std::uint64_t ChannelField(Vm& vm, const Value& self, ChannelSlot slot) {
    Object* channel = Checked(vm, self, "SoundChannel", 2);
    return channel->fields[slot].isNumber() ? std::uint64_t(channel->fields[slot].number) : 0;
}

Value ChannelStop(Vm& vm, const Value& self, Args) {
    if (auto voice = ChannelField(vm, self, kVoice))
        vm.host().sounds().mixer().stop(voice);
    return Value();
}

Value GetChannelTransform(Vm& vm, const Value& self, Args) {
    return ScriptTransform(vm,
                           vm.host().sounds().mixer().transform(ChannelField(vm, self, kGroup)));
}

Value SetChannelTransform(Vm& vm, const Value& self, Args args) {
    if (auto group = ChannelField(vm, self, kGroup))
        vm.host().sounds().mixer().setTransform(group, MixerTransform(vm, Arg(args, 0)));
    return Value();
}

Value GetMasterTransform(Vm& vm, const Value&, Args) {
    return ScriptTransform(vm, vm.host().sounds().mixer().transform(0));
}

Value SetMasterTransform(Vm& vm, const Value&, Args args) {
    vm.host().sounds().mixer().setTransform(0, MixerTransform(vm, Arg(args, 0)));
    return Value();
}

Value StopAll(Vm& vm, const Value&, Args) {
    vm.host().sounds().mixer().stopAll();
    return Value();
}

// pan stands for the four gains: it sets each side's own to keep equal power
// (sqrt(1 - pan) on the left) and the crossed ones to nothing, and reads as
// 0 whenever a crossed gain is set.
Value GetPan(Vm& vm, const Value& self, Args) {
    Object* t = Checked(vm, self, "SoundTransform", kTransformSlots);
    if (vm.toNumber(t->fields[kLeftToRight]) != 0 || vm.toNumber(t->fields[kRightToLeft]) != 0)
        return Value(0.0);
    const double left = vm.toNumber(t->fields[kLeftToLeft]);
    return Value(1 - left * left);
}

Value SetPan(Vm& vm, const Value& self, Args args) {
    Object* t = Checked(vm, self, "SoundTransform", kTransformSlots);
    const double pan = vm.toNumber(Arg(args, 0));
    t->fields[kLeftToLeft] = Value(std::sqrt(1 - pan));
    t->fields[kRightToRight] = Value(std::sqrt(1 + pan));
    t->fields[kLeftToRight] = Value(0.0);
    t->fields[kRightToLeft] = Value(0.0);
    return Value();
}

Value TransformInit(Vm& vm, const Value& self, Args args) {
    Object* t = Checked(vm, self, "SoundTransform", kTransformSlots);
    t->fields[kVolume] = Value(args.empty() ? 1.0 : vm.toNumber(args[0]));
    const Value pan[] = {args.size() < 2 ? Value(0.0) : args[1]};
    return SetPan(vm, self, pan);
}

Value Nothing(Vm&, const Value&, Args) {
    return Value();
}

} // namespace

std::optional<CharacterId> LinkedLibraryCharacter(Vm& vm, ClassObject* cls) {
    for (ClassObject* c = cls; c && c->packageName.rfind("flash.", 0) != 0; c = c->base)
        if (auto id = vm.host().linkedCharacter(
                c->packageName.empty() ? c->name : c->packageName + "." + c->name))
            return id;
    return std::nullopt;
}

void InstallMedia(Vm& vm, ClassObject* dispatcher) {
    ClassObject* sound = vm.defineClass("flash.media", "Sound", dispatcher, nullptr, SoundInit);
    vm.defineSlot(sound, " sound", Value());
    vm.defineMethod(sound, "play", Play);
    vm.defineAccessor(sound, "length", Length, nullptr);
    ClassObject* channel =
        vm.defineClass("flash.media", "SoundChannel", dispatcher, nullptr, Nothing);
    vm.defineSlot(channel, " voice", Value());
    vm.defineSlot(channel, " group", Value());
    vm.defineMethod(channel, "stop", ChannelStop);
    vm.defineAccessor(channel, "soundTransform", GetChannelTransform, SetChannelTransform);
    ClassObject* transform =
        vm.defineClass("flash.media", "SoundTransform", vm.natives.object, nullptr, TransformInit);
    const std::pair<const char*, double> settings[] = {{"volume", 1},
                                                       {"leftToLeft", 1},
                                                       {"leftToRight", 0},
                                                       {"rightToLeft", 0},
                                                       {"rightToRight", 1}};
    for (const auto& [name, initial] : settings)
        vm.defineSlot(transform, name, Value(initial));
    vm.defineAccessor(transform, "pan", GetPan, SetPan);
    ClassObject* mixer =
        vm.defineClass("flash.media", "SoundMixer", vm.natives.object, nullptr, Nothing);
    vm.defineAccessor(mixer, "soundTransform", GetMasterTransform, SetMasterTransform, true);
    vm.defineMethod(mixer, "stopAll", StopAll, true);
}

} // namespace vidorama::swf::avm2
