#include "avm1/ClipControl.h"

#include "avm1/NumberText.h"
#include "avm1/Selection.h"
#include "avm1/TextFieldProperties.h"
#include "avm1/Vm.h"
#include "player/MovieClip.h"

#include <charconv>
#include <cmath>

namespace vidorama::swf::avm1 {

namespace {

// The highest depth Flash lets a script use; it keeps the rest of the
// 32-bit range to itself.
constexpr int kMaxScriptDepth = 2130690044;
// removeMovieClip leaves objects at the top of the range alone.
constexpr int kMaxRemovableDepth = 2130690031;

// Flash takes a script depth as a 32-bit integer, wrapping as its integers
// do (NaN is 0), and then checks the range.
std::optional<Depth> InternalDepth(double depth) {
    int wrapped = ToInt32(depth);
    if (wrapped < -kDynamicDepthBase || wrapped > kMaxScriptDepth)
        return std::nullopt;
    return wrapped + kDynamicDepthBase;
}

// An object given as a reference or as a path from `from`.
DisplayObject* ObjectFromTarget(Vm& vm, DisplayObject& from, const Value& target) {
    if (DisplayObject* object = vm.displayObjectOf(target))
        return object;
    if (!target.isString())
        return nullptr;
    return vm.displayObjectOf(
        Value::object(vm.resolvePath(vm.clipObject(from), target.asString())));
}

std::optional<FrameNumber> ParseFrameNumber(std::string_view text) {
    FrameNumber frame = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), frame);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return frame;
}

// A new clip at a script depth, not yet started: whoever makes it gives it
// what its first frame and load events need first.
MovieClip* PlaceScriptClip(Vm& vm, MovieClip& parent, CharacterId id, const std::string& name,
                           double depth) {
    auto internal = InternalDepth(depth);
    if (!internal)
        return nullptr;
    auto object = id ? vm.host().timelineHost().instantiate(id, *internal, parent)
                     : vm.host().emptyClip(*internal, parent);
    if (!object || !object->asClip())
        return nullptr;
    object->properties().name = name;
    parent.addScriptChild(object, *internal);
    return object->asClip();
}

} // namespace

// Flash takes a frame number as a 32-bit integer, wrapping, and counts from
// zero inside: 0 and below do nothing, while 2^31 wraps round to the largest
// frame index and so to the last frame.
std::optional<FrameNumber> WrappedFrameNumber(double frame) {
    auto index = static_cast<std::int32_t>(static_cast<std::uint32_t>(ToInt32(frame)) - 1u);
    if (index < 0)
        return std::nullopt;
    return static_cast<FrameNumber>(index) + 1;
}

void GotoFrameNumber(Vm& vm, MovieClip& clip, FrameNumber frame, bool play) {
    if (frame < 1)
        frame = 1;
    clip.gotoFrame(vm.host().timelineHost(), frame, play);
}

std::optional<FrameNumber> FrameOf(Vm& vm, MovieClip* clip, const Value& frame,
                                   MovieClip*& holder) {
    holder = clip;
    if (!clip)
        return std::nullopt;
    // Whole numbers are frame numbers; anything else is read as text.
    if (frame.isNumber() && std::trunc(frame.asNumber()) == frame.asNumber())
        return WrappedFrameNumber(frame.asNumber());
    std::string converted = frame.isString() ? std::string() : vm.toString(frame);
    std::string_view text = frame.isString() ? frame.asString() : std::string_view(converted);
    if (auto colon = text.rfind(':'); colon != std::string_view::npos) {
        holder =
            vm.clipOf(Value::object(vm.resolvePath(vm.clipObject(*clip), text.substr(0, colon))));
        text = text.substr(colon + 1);
        if (!holder)
            return std::nullopt;
    }
    if (auto number = ParseFrameNumber(text))
        return *number;
    vm.chargeNameSearch(holder->timeline().labelCount());
    return holder->timeline().findLabel(text);
}

void GotoLabel(Vm& vm, MovieClip& clip, std::string_view label) {
    vm.chargeNameSearch(clip.timeline().labelCount());
    if (auto frame = clip.timeline().findLabel(label))
        GotoFrameNumber(vm, clip, *frame, false);
}

void GotoFrameValue(Vm& vm, MovieClip& clip, const Value& frame, bool play) {
    MovieClip* holder = nullptr;
    if (auto number = FrameOf(vm, &clip, frame, holder))
        GotoFrameNumber(vm, *holder, *number, play);
}

void NextFrame(Vm& vm, MovieClip& clip) {
    if (clip.currentFrame() < clip.totalFrames())
        clip.gotoFrame(vm.host().timelineHost(), clip.currentFrame() + 1, false);
    else
        clip.stop();
}

void PreviousFrame(Vm& vm, MovieClip& clip) {
    if (clip.currentFrame() > 1)
        clip.gotoFrame(vm.host().timelineHost(), clip.currentFrame() - 1, false);
    else
        clip.stop();
}

void StopAllSounds(Vm& vm) {
    vm.host().timelineHost().stopAllSounds();
}

MovieClip* ClipFromTarget(Vm& vm, Object* start, const Value& target) {
    if (MovieClip* clip = vm.clipOf(target))
        return clip;
    std::string path = vm.toString(target);
    if (path.empty())
        return vm.clipOf(Value::object(start));
    return vm.clipOf(Value::object(vm.resolvePath(start, path)));
}

MovieClip* AttachClip(Vm& vm, MovieClip& parent, CharacterId id, const std::string& name,
                      double depth) {
    MovieClip* clip = PlaceScriptClip(vm, parent, id, name, depth);
    if (clip)
        vm.host().timelineHost().startClip(*clip);
    return clip;
}

// The copy takes the source's placement, clip events and drawing before it
// starts, so that its load handlers run as the source's did.
MovieClip* DuplicateClip(Vm& vm, MovieClip& source, const std::string& name, double depth) {
    MovieClip* parent = source.parent();
    if (!parent)
        return nullptr;
    MovieClip* copy = PlaceScriptClip(vm, *parent, source.character().id(), name, depth);
    if (!copy)
        return nullptr;
    DisplayProperties properties = source.properties();
    properties.name = name;
    properties.clipDepth = 0;
    copy->properties() = properties;
    copy->setClipActions(source.clipActions());
    copy->copyDrawing(source);
    vm.host().timelineHost().startClip(*copy);
    return copy;
}

DisplayObject* CreateTextField(Vm& vm, MovieClip& parent, const std::string& name, double depth,
                               const Rect& pixelBox) {
    auto internal = InternalDepth(depth);
    if (!internal)
        return nullptr;
    auto twips = [](std::int32_t pixels) {
        return static_cast<std::int32_t>(pixels * kTwipsPerPixel);
    };
    Rect bounds{0, twips(std::max(pixelBox.width(), 0)), 0, twips(std::max(pixelBox.height(), 0))};
    auto object = vm.host().textField(*internal, parent, bounds);
    if (!object)
        return nullptr;
    object->properties().name = name;
    object->properties().matrix = Matrix::translate(twips(pixelBox.xMin), twips(pixelBox.yMin));
    parent.addScriptChild(object, *internal);
    return object.get();
}

void RemoveClip(Vm& vm, DisplayObject& object) {
    MovieClip* parent = object.parent();
    int depth = ScriptDepth(object);
    if (!parent || depth < 0 || depth > kMaxRemovableDepth)
        return;
    LoseFocusWith(vm, object);
    vm.host().timelineHost().timelineRemoving(object);
    if (object.parent() == parent)
        parent->removeChild(object.depth());
}

int ScriptDepth(const DisplayObject& object) {
    return object.depth() - kDynamicDepthBase;
}

// Clips, buttons, videos and (from Flash 6) text fields are objects of their
// own; a shape, a static text or a bitmap stands for the clip that holds it.
Object* ScriptFacingObject(Vm& vm, DisplayObject& object) {
    if (object.asClip() || object.character().kind() == CharacterDef::Kind::Video)
        return vm.clipObject(object);
    if (TextFieldOf(object))
        return vm.version() >= 6 ? vm.clipObject(object) : nullptr;
    return object.parent() ? vm.clipObject(*object.parent()) : nullptr;
}

void SwapDepths(Vm& vm, DisplayObject& object, const Value& with) {
    MovieClip* parent = object.parent();
    if (!parent)
        return;
    // A number is a depth, nothing is nothing; anything else names an
    // object of the same parent, or is read as a number when it names none.
    std::optional<Depth> depth;
    if (with.isNumber()) {
        depth = InternalDepth(with.asNumber());
    } else if (with.isUndefined()) {
        return;
    } else if (DisplayObject* other = ObjectFromTarget(vm, object, with)) {
        if (other->parent() == parent)
            depth = other->depth();
    } else {
        depth = InternalDepth(vm.toNumber(with));
    }
    if (depth)
        parent->swapChildDepths(object.depth(), *depth);
}

const char* ClipPropertyName(double index) {
    static const char* const kNames[] = {
        "_x",           "_y",           "_xscale",       "_yscale",       "_currentframe",
        "_totalframes", "_alpha",       "_visible",      "_width",        "_height",
        "_rotation",    "_target",      "_framesloaded", "_name",         "_droptarget",
        "_url",         "_highquality", "_focusrect",    "_soundbuftime", "_quality",
        "_xmouse",      "_ymouse"};
    // The index is cut toward zero: -0.8 names _x.
    if (!(index > -1 && index < std::size(kNames)))
        return nullptr;
    return kNames[static_cast<std::size_t>(index)];
}

} // namespace vidorama::swf::avm1
