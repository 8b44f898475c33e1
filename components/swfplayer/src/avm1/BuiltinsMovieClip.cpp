// MovieClip: timeline control, clips made and removed by script, depths,
// masks and geometry.

#include "avm1/ClipControl.h"
#include "avm1/Native.h"
#include "avm1/NumberText.h"
#include "player/DisplayBounds.h"
#include "player/MovieClip.h"
#include "swf/Limits.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf::avm1 {

namespace {

MovieClip* Clip(Vm& vm, const Value& self) {
    return vm.clipOf(self);
}

Matrix GlobalMatrix(const DisplayObject& object) {
    Matrix m = object.properties().matrix;
    for (const DisplayObject* at = object.parent(); at; at = at->parent())
        m = at->properties().matrix * m;
    return m;
}

Value Play(Vm& vm, const Value& self, std::span<const Value>) {
    if (MovieClip* clip = Clip(vm, self))
        clip->play();
    return {};
}

Value Stop(Vm& vm, const Value& self, std::span<const Value>) {
    if (MovieClip* clip = Clip(vm, self))
        clip->stop();
    return {};
}

Value Next(Vm& vm, const Value& self, std::span<const Value>) {
    if (MovieClip* clip = Clip(vm, self))
        NextFrame(vm, *clip);
    return {};
}

Value Previous(Vm& vm, const Value& self, std::span<const Value>) {
    if (MovieClip* clip = Clip(vm, self))
        PreviousFrame(vm, *clip);
    return {};
}

Value GotoAndPlay(Vm& vm, const Value& self, std::span<const Value> args) {
    if (MovieClip* clip = Clip(vm, self); clip && !args.empty())
        GotoFrameValue(vm, *clip, args[0], true);
    return {};
}

Value GotoAndStop(Vm& vm, const Value& self, std::span<const Value> args) {
    if (MovieClip* clip = Clip(vm, self); clip && !args.empty())
        GotoFrameValue(vm, *clip, args[0], false);
    return {};
}

// Properties of an init object are copied onto the new clip.
Value Initialized(Vm& vm, MovieClip* clip, const Value& init) {
    if (!clip)
        return {};
    ClipObject* object = vm.clipObject(*clip);
    if (Object* source = init.asObject())
        for (const std::string& name : vm.enumerate(source))
            vm.setMember(object, name, vm.getMember(source, name));
    return Value::object(object);
}

Value AttachMovie(Vm& vm, const Value& self, std::span<const Value> args) {
    MovieClip* parent = Clip(vm, self);
    if (!parent || args.size() < 3)
        return {};
    auto id = vm.host().exportedCharacter(vm.toString(args[0]));
    if (!id)
        return {};
    MovieClip* clip = AttachClip(vm, *parent, *id, vm.toString(args[1]), vm.toNumber(args[2]));
    return Initialized(vm, clip, Arg(args, 3));
}

Value CreateEmptyMovieClip(Vm& vm, const Value& self, std::span<const Value> args) {
    MovieClip* parent = Clip(vm, self);
    if (!parent || args.empty())
        return {};
    MovieClip* clip = AttachClip(vm, *parent, 0, vm.toString(args[0]), vm.toNumber(Arg(args, 1)));
    return clip ? Value::object(vm.clipObject(*clip)) : Value();
}

// createTextField(name, depth, x, y, width, height); Flash 8 returns the
// field. Sizes are whole pixels, wrapped into the range a field can take.
Value NewTextField(Vm& vm, const Value& self, std::span<const Value> args) {
    MovieClip* parent = Clip(vm, self);
    if (!parent || args.size() < 6)
        return {};
    std::string name = vm.toString(args[0]);
    double depth = vm.toNumber(args[1]);
    auto pixels = [&](std::size_t i) {
        return std::clamp(ToInt32(vm.toNumber(args[i])), -Limits::kMaxScriptFieldPixels,
                          Limits::kMaxScriptFieldPixels);
    };
    std::int32_t x = pixels(2), y = pixels(3);
    Rect box{x, x + pixels(4), y, y + pixels(5)};
    DisplayObject* field = CreateTextField(vm, *parent, name, depth, box);
    return field && vm.version() >= 8 ? Value::object(vm.clipObject(*field)) : Value();
}

Value Duplicate(Vm& vm, const Value& self, std::span<const Value> args) {
    MovieClip* source = Clip(vm, self);
    if (!source || args.size() < 2)
        return {};
    // The name is converted before the depth, as Flash does.
    std::string name = vm.toString(args[0]);
    MovieClip* copy = DuplicateClip(vm, *source, name, vm.toNumber(args[1]));
    return Initialized(vm, copy, Arg(args, 2));
}

Value Remove(Vm& vm, const Value& self, std::span<const Value>) {
    if (DisplayObject* object = vm.displayObjectOf(self))
        RemoveClip(vm, *object);
    return {};
}

Value Swap(Vm& vm, const Value& self, std::span<const Value> args) {
    if (DisplayObject* object = vm.displayObjectOf(self))
        SwapDepths(vm, *object, Arg(args, 0));
    return {};
}

Value GetDepth(Vm& vm, const Value& self, std::span<const Value>) {
    DisplayObject* object = vm.displayObjectOf(self);
    return object ? Value::number(ScriptDepth(*object)) : Value();
}

Value NextHighestDepth(Vm& vm, const Value& self, std::span<const Value>) {
    MovieClip* clip = Clip(vm, self);
    if (!clip)
        return {};
    int depth = 0;
    if (!clip->children().empty())
        depth = std::max(0, ScriptDepth(*clip->children().rbegin()->second) + 1);
    return Value::number(depth);
}

Value InstanceAtDepth(Vm& vm, const Value& self, std::span<const Value> args) {
    MovieClip* clip = Clip(vm, self);
    if (!clip || Arg(args, 0).isUndefined())
        return {};
    auto found = clip->children().find(
        Depth(std::int64_t(ToInt32(vm.toNumber(args[0]))) + kDynamicDepthBase));
    Object* object =
        found == clip->children().end() ? nullptr : ScriptFacingObject(vm, *found->second);
    return object ? Value::object(object) : Value();
}

Value SetMask(Vm& vm, const Value& self, std::span<const Value> args) {
    DisplayObject* object = vm.displayObjectOf(self);
    if (!object)
        return {};
    DisplayObject* mask = vm.displayObjectOf(Arg(args, 0));
    if (mask == object)
        mask = nullptr;
    // A mask placed by the timeline that gets a mask from a script stops
    // masking the depths above it, and does not start again when the
    // script's mask is taken away.
    object->properties().clipDepth = 0;
    // A mask masks one object: the one it masked before shows unmasked.
    if (auto previous = mask ? mask->maskee().lock() : nullptr;
        previous && previous.get() != object)
        previous->setScriptMask({});
    object->setScriptMask(mask ? mask->weak_from_this() : std::weak_ptr<DisplayObject>());
    if (mask)
        mask->setMaskee(object->weak_from_this());
    return Value::boolean(true);
}

Value GetBounds(Vm& vm, const Value& self, std::span<const Value> args) {
    DisplayObject* object = vm.displayObjectOf(self);
    if (!object)
        return {};
    Matrix toTarget = GlobalMatrix(*object);
    if (DisplayObject* space = vm.displayObjectOf(Arg(args, 0)))
        toTarget = GlobalMatrix(*space).inverted() * toTarget;
    else
        toTarget = Matrix();
    Rect r = BoundsOf(*object, toTarget);
    Object* result = vm.newObject();
    vm.setMember(result, "xMin", Value::number(r.xMin / kTwipsPerPixel));
    vm.setMember(result, "xMax", Value::number(r.xMax / kTwipsPerPixel));
    vm.setMember(result, "yMin", Value::number(r.yMin / kTwipsPerPixel));
    vm.setMember(result, "yMax", Value::number(r.yMax / kTwipsPerPixel));
    return Value::object(result);
}

void MapPoint(Vm& vm, const Value& self, const Value& point, bool toGlobal) {
    DisplayObject* object = vm.displayObjectOf(self);
    Object* p = point.asObject();
    if (!object || !p)
        return;
    Matrix m = object->asClip() ? GlobalMatrix(*object) : Matrix();
    if (!toGlobal)
        m = m.invertible() ? m.inverted() : Matrix();
    double x = vm.toNumber(vm.getMember(p, "x")) * kTwipsPerPixel;
    double y = vm.toNumber(vm.getMember(p, "y")) * kTwipsPerPixel;
    double outX = 0, outY = 0;
    m.map(x, y, outX, outY);
    vm.setMember(p, "x", Value::number(outX / kTwipsPerPixel));
    vm.setMember(p, "y", Value::number(outY / kTwipsPerPixel));
}

Value LocalToGlobal(Vm& vm, const Value& self, std::span<const Value> args) {
    MapPoint(vm, self, Arg(args, 0), true);
    return {};
}

Value GlobalToLocal(Vm& vm, const Value& self, std::span<const Value> args) {
    MapPoint(vm, self, Arg(args, 0), false);
    return {};
}

Value ReturnFalse(Vm&, const Value&, std::span<const Value>) {
    return Value::boolean(false);
}

Value Nothing(Vm&, const Value&, std::span<const Value>) {
    return {};
}

Value BytesTotal(Vm&, const Value&, std::span<const Value>) {
    // Every movie is fully loaded before it plays.
    return Value::number(1024);
}

Value MovieClipCall(Vm&, const Value&, std::span<const Value>) {
    return {};
}

Value SwfVersion(Vm& vm, const Value&, std::span<const Value>) {
    return Value::number(vm.version());
}

} // namespace

void InstallMovieClipClass(Vm& vm, Builtins& b) {
    Object* p = b.movieClip;
    Class(vm, "MovieClip", p, MovieClipCall);
    Class(vm, "Button", b.button, MovieClipCall);
    Method(vm, p, "play", Play);
    Method(vm, p, "getSWFVersion", SwfVersion);
    // Every clip's until a script gives a clip its own.
    vm.defineValue(p, "enabled", Value::boolean(true), kDontEnum);
    vm.defineValue(p, "useHandCursor", Value::boolean(true), kDontEnum);
    Method(vm, p, "stop", Stop);
    Method(vm, p, "nextFrame", Next);
    Method(vm, p, "prevFrame", Previous);
    Method(vm, p, "gotoAndPlay", GotoAndPlay);
    Method(vm, p, "gotoAndStop", GotoAndStop);
    Method(vm, p, "attachMovie", AttachMovie);
    Method(vm, p, "createEmptyMovieClip", CreateEmptyMovieClip);
    Method(vm, p, "duplicateMovieClip", Duplicate);
    Method(vm, p, "removeMovieClip", Remove);
    Method(vm, p, "swapDepths", Swap);
    Method(vm, p, "getDepth", GetDepth);
    Method(vm, p, "getNextHighestDepth", NextHighestDepth);
    Method(vm, p, "getInstanceAtDepth", InstanceAtDepth);
    Method(vm, p, "setMask", SetMask);
    Method(vm, p, "getBounds", GetBounds);
    Method(vm, p, "getRect", GetBounds);
    Method(vm, p, "localToGlobal", LocalToGlobal);
    Method(vm, p, "globalToLocal", GlobalToLocal);
    Method(vm, p, "hitTest", ReturnFalse);
    Method(vm, p, "startDrag", Nothing);
    Method(vm, p, "stopDrag", Nothing);
    Method(vm, p, "getURL", Nothing);
    Method(vm, p, "loadMovie", Nothing);
    Method(vm, p, "loadVariables", Nothing);
    Method(vm, p, "unloadMovie", Nothing);
    Method(vm, p, "createTextField", NewTextField);
    Method(vm, p, "getBytesLoaded", BytesTotal);
    Method(vm, p, "getBytesTotal", BytesTotal);
    InstallDrawingMethods(vm, p);
    Method(vm, b.button, "getDepth", GetDepth);
    Method(vm, b.button, "swapDepths", Swap);
}

} // namespace vidorama::swf::avm1
