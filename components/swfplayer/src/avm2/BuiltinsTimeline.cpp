// MovieClip's timeline from scripts: the playhead, gotos, frame scripts,
// scenes and labels.

#include "avm2/DisplayBinding.h"
#include "avm2/Native.h"
#include "player/MovieClip.h"
#include "player/TimelineHost.h"

#include <cmath>
#include <optional>

namespace vidorama::swf::avm2 {

namespace {

using Scene = Timeline::Scene;

MovieClip& TimelineOf(Vm& vm, const Value& self) {
    return ContainerOf(vm, self);
}

Scene CurrentSceneOf(const MovieClip& clip) {
    return clip.timeline().sceneAt(clip.currentFrame());
}

// Scripts count frames from the start of the scene that shows them.
FrameNumber InScene(const Scene& scene, FrameNumber frame) {
    return frame >= scene.start ? frame - scene.start + 1 : frame;
}

bool SceneHolds(const Scene& scene, FrameNumber frame) {
    return frame >= scene.start && frame - scene.start < scene.length;
}

Value Stop(Vm& vm, const Value& self, Args) {
    TimelineOf(vm, self).stop();
    return Value();
}
Value Play(Vm& vm, const Value& self, Args) {
    TimelineOf(vm, self).play();
    return Value();
}
Value CurrentFrame(Vm& vm, const Value& self, Args) {
    MovieClip& clip = TimelineOf(vm, self);
    return Value(double(InScene(CurrentSceneOf(clip), clip.currentFrame())));
}
// A clip of one frame has nowhere to go, and Flash reports it stopped.
Value IsPlaying(Vm& vm, const Value& self, Args) {
    MovieClip& clip = TimelineOf(vm, self);
    return Value(clip.playing() && clip.totalFrames() > 1);
}
Value TotalFrames(Vm& vm, const Value& self, Args) {
    return Value(TimelineOf(vm, self).totalFrames());
}

// The label of the current frame, or of the last labelled frame before it
// in any scene.
template <bool Exact> Value CurrentLabel(Vm& vm, const Value& self, Args) {
    MovieClip& clip = TimelineOf(vm, self);
    const Timeline::Label* found = nullptr;
    for (const auto& label : clip.timeline().labels())
        if (label.frame <= clip.currentFrame() && (!found || label.frame >= found->frame))
            found = &label;
    if (!found || (Exact && found->frame != clip.currentFrame()))
        return Value::null();
    return Value(found->name);
}

Value LabelsOf(Vm& vm, const MovieClip& clip, const Scene& scene) {
    ClassObject* frameLabel = FlashClass(vm, "flash.display", "FrameLabel");
    std::vector<Value> labels;
    for (const auto& label : clip.timeline().labels()) {
        if (!SceneHolds(scene, label.frame))
            continue;
        Value args[] = {Value(label.name), Value(double(InScene(scene, label.frame)))};
        labels.push_back(vm.constructClass(frameLabel, args));
    }
    return Value(vm.newArray(std::move(labels)));
}

Value SceneObject(Vm& vm, const MovieClip& clip, const Scene& scene) {
    Value args[] = {Value(scene.name), LabelsOf(vm, clip, scene), Value(double(scene.length))};
    return vm.constructClass(FlashClass(vm, "flash.display", "Scene"), args);
}

Value CurrentLabels(Vm& vm, const Value& self, Args) {
    MovieClip& clip = TimelineOf(vm, self);
    return LabelsOf(vm, clip, CurrentSceneOf(clip));
}
Value CurrentScene(Vm& vm, const Value& self, Args) {
    MovieClip& clip = TimelineOf(vm, self);
    return SceneObject(vm, clip, CurrentSceneOf(clip));
}
Value Scenes(Vm& vm, const Value& self, Args) {
    MovieClip& clip = TimelineOf(vm, self);
    std::vector<Value> scenes;
    for (const Scene& scene : clip.timeline().scenes())
        scenes.push_back(SceneObject(vm, clip, scene));
    return Value(vm.newArray(std::move(scenes)));
}

// FrameLabel and Scene keep what they are made with in hidden slots.
template <std::size_t Count> Value KeepArgs(Vm&, const Value& self, Args args) {
    if (self.isObject() && self.object->fields.size() >= Count)
        for (std::size_t i = 0; i < Count; ++i)
            self.object->fields[i] = Arg(args, i);
    return Value();
}
Value FrameLabelInit(Vm& vm, const Value& self, Args args) {
    Value kept[] = {Value(vm.toString(Arg(args, 0))),
                    Value(double(ToInt32(vm.toNumber(Arg(args, 1)))))};
    return KeepArgs<2>(vm, self, kept);
}
Value SceneInit(Vm& vm, const Value& self, Args args) {
    Value kept[] = {Value(vm.toString(Arg(args, 0))), Arg(args, 1),
                    Value(double(ToInt32(vm.toNumber(Arg(args, 2)))))};
    return KeepArgs<3>(vm, self, kept);
}
template <std::uint32_t Slot> Value Field(Vm&, const Value& self, Args) {
    return self.isObject() && self.object->fields.size() > Slot ? self.object->fields[Slot]
                                                                : Value();
}

// A whole number written in decimal, as a frame given as a string may be;
// white space around it is allowed.
std::optional<double> DecimalInteger(const std::string& text) {
    auto space = [](char c) {
        return c == ' ' || (c >= '\t' && c <= '\r');
    };
    std::size_t begin = 0, end = text.size();
    while (begin < end && space(text[begin]))
        ++begin;
    while (end > begin && space(text[end - 1]))
        --end;
    std::size_t digits =
        begin < end && (text[begin] == '-' || text[begin] == '+') ? begin + 1 : begin;
    if (digits == end)
        return std::nullopt;
    for (std::size_t i = digits; i < end; ++i)
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
    return StringToNumber(text.substr(begin, end - begin));
}

std::int32_t SaturatedInt32(double n) {
    if (std::isnan(n))
        return 0;
    return std::int32_t(std::clamp(std::trunc(n), -2147483648.0, 2147483647.0));
}

// Flash counts the frame in 32 bits from the scene's start, wrapping around,
// so numbers far out of range may land on either end of the timeline.
FrameNumber NumberedFrame(double number, const Scene& scene, FrameNumber total) {
    std::int64_t index = std::int64_t(SaturatedInt32(number)) - 1 + std::int64_t(scene.start) - 1;
    auto wrapped = std::int64_t(std::int32_t(std::uint32_t(std::uint64_t(index))));
    std::int64_t frame = std::min<std::int64_t>(wrapped + 1, 2147483647);
    return FrameNumber(std::clamp<std::int64_t>(frame, 1, std::max<FrameNumber>(total, 1)));
}

std::optional<FrameNumber> FindLabel(const MovieClip& clip, const std::string& name,
                                     const std::optional<Scene>& scene) {
    for (const auto& label : clip.timeline().labels())
        if (label.name == name && (!scene || SceneHolds(*scene, label.frame)))
            return label.frame;
    return clip.timeline().findLabel(name);
}

// A goto's target: a whole number counts from the start of the scene named
// (the current one by default); anything else is read as a string, which
// may still spell a whole number, or else names a label. Before SWF 11 a
// label that is nowhere sends the clip to its first frame.
FrameNumber GotoTarget(Vm& vm, MovieClip& clip, const Value& frame, const Value& sceneArg) {
    std::optional<Scene> named;
    Scene scene = CurrentSceneOf(clip);
    if (!sceneArg.isNullish()) {
        std::string name = vm.toString(sceneArg);
        for (const Scene& candidate : clip.timeline().scenes())
            if (!named && candidate.name == name)
                named = candidate;
        if (!named)
            vm.throwError("ArgumentError", 2108, ErrorMessage(2108, name));
        scene = *named;
    }
    std::optional<double> number;
    std::string text;
    if (frame.isNumber() && std::trunc(frame.number) == frame.number) {
        number = frame.number;
    } else {
        text = vm.toString(frame);
        number = DecimalInteger(text);
    }
    if (number)
        return NumberedFrame(*number, scene, clip.totalFrames());
    auto found = FindLabel(clip, text, named);
    if (found && (!named || SceneHolds(*named, *found)))
        return *found;
    if (named || vm.host().swfVersion() >= 11)
        vm.throwError("ArgumentError", 2109, ErrorMessage(2109, text, scene.name));
    return 1;
}

// What the frame a script's goto reaches placed is constructed, and the
// frame scripts it and other clips have pending run, before the goto
// returns; before SWF 10 a goto in an enterFrame handler leaves the scripts
// to the frame's script phase.
void Goto(Vm& vm, MovieClip& clip, FrameNumber target, bool play) {
    clip.gotoFrame(vm.host().timelineHost(), target, play);
    if (clip.scriptConstructed())
        vm.host().constructChildren(clip);
    if (!vm.gotoScriptsWait)
        vm.host().runPendingFrameScripts();
}

template <bool Playing> Value GotoAnd(Vm& vm, const Value& self, Args args) {
    MovieClip& clip = TimelineOf(vm, self);
    Goto(vm, clip, GotoTarget(vm, clip, Arg(args, 0), Arg(args, 1)), Playing);
    return Value();
}

template <int Step> Value StepFrame(Vm& vm, const Value& self, Args) {
    MovieClip& clip = TimelineOf(vm, self);
    std::int64_t target = std::int64_t(clip.currentFrame()) + Step;
    if (target >= 1 && target <= std::int64_t(clip.totalFrames()))
        Goto(vm, clip, FrameNumber(target), false);
    else
        clip.stop();
    return Value();
}

// Flash plays on from the start of the next (or previous) scene; from the
// last scene nextScene goes back to the start of the current one.
template <int Step> Value StepScene(Vm& vm, const Value& self, Args) {
    MovieClip& clip = TimelineOf(vm, self);
    std::vector<Scene> scenes = clip.timeline().scenes();
    Scene current = CurrentSceneOf(clip);
    std::size_t index = 0;
    while (index + 1 < scenes.size() && scenes[index].start != current.start)
        ++index;
    std::int64_t next = std::int64_t(index) + Step;
    if (next >= 0 && next < std::int64_t(scenes.size()))
        current = scenes[std::size_t(next)];
    Goto(vm, clip, current.start, true);
    return Value();
}

Value AddFrameScript(Vm& vm, const Value& self, Args args) {
    if (!self.isObject() || self.object->kind() != Object::Kind::Display)
        return Value();
    auto* script = static_cast<DisplayScriptObject*>(self.object);
    for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
        FrameNumber frame = FrameNumber(ToUint32(vm.toNumber(args[i]))) + 1;
        // Anything but a function takes the frame's script away, silently.
        const Value& function = args[i + 1];
        if (!function.isObject() || function.object->kind() != Object::Kind::Function)
            script->frameScripts.erase(frame);
        else
            script->frameScripts[frame] = args[i + 1];
    }
    return Value();
}

void InstallLabelClasses(Vm& vm) {
    ClassObject* frameLabel =
        vm.defineClass("flash.display", "FrameLabel", vm.natives.object, nullptr, FrameLabelInit);
    vm.defineSlot(frameLabel, " name", Value::null());
    vm.defineSlot(frameLabel, " frame", Value(0));
    vm.defineAccessor(frameLabel, "name", Field<0>, nullptr);
    vm.defineAccessor(frameLabel, "frame", Field<1>, nullptr);
    ClassObject* scene =
        vm.defineClass("flash.display", "Scene", vm.natives.object, nullptr, SceneInit);
    vm.defineSlot(scene, " name", Value::null());
    vm.defineSlot(scene, " labels", Value::null());
    vm.defineSlot(scene, " numFrames", Value(0));
    vm.defineAccessor(scene, "name", Field<0>, nullptr);
    vm.defineAccessor(scene, "labels", Field<1>, nullptr);
    vm.defineAccessor(scene, "numFrames", Field<2>, nullptr);
}

} // namespace

void InstallTimeline(Vm& vm, ClassObject* clip) {
    vm.defineMethod(clip, "stop", Stop);
    vm.defineMethod(clip, "play", Play);
    vm.defineMethod(clip, "gotoAndStop", GotoAnd<false>);
    vm.defineMethod(clip, "gotoAndPlay", GotoAnd<true>);
    vm.defineMethod(clip, "nextFrame", StepFrame<1>);
    vm.defineMethod(clip, "prevFrame", StepFrame<-1>);
    vm.defineMethod(clip, "nextScene", StepScene<1>);
    vm.defineMethod(clip, "prevScene", StepScene<-1>);
    vm.defineMethod(clip, "addFrameScript", AddFrameScript);
    vm.defineAccessor(clip, "currentFrame", CurrentFrame, nullptr);
    vm.defineAccessor(clip, "totalFrames", TotalFrames, nullptr);
    vm.defineAccessor(clip, "isPlaying", IsPlaying, nullptr);
    vm.defineAccessor(clip, "framesLoaded", TotalFrames, nullptr);
    vm.defineAccessor(clip, "currentLabel", CurrentLabel<false>, nullptr);
    vm.defineAccessor(clip, "currentFrameLabel", CurrentLabel<true>, nullptr);
    vm.defineAccessor(clip, "currentLabels", CurrentLabels, nullptr);
    vm.defineAccessor(clip, "currentScene", CurrentScene, nullptr);
    vm.defineAccessor(clip, "scenes", Scenes, nullptr);
    InstallLabelClasses(vm);
}

} // namespace vidorama::swf::avm2
