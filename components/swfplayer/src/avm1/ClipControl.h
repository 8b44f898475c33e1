#pragma once

#include "avm1/Value.h"
#include "movie/Timeline.h"

#include <optional>
#include <string>

namespace vidorama::swf {
class DisplayObject;
class MovieClip;
} // namespace vidorama::swf

namespace vidorama::swf::avm1 {

class Object;
class Vm;

// Scripts count depths from here down for timeline objects and up for the
// ones they make: getDepth() of a timeline object is negative.
constexpr int kDynamicDepthBase = 16384;

// A frame number given as a number, as Flash wraps it; nullopt for none.
std::optional<FrameNumber> WrappedFrameNumber(double frame);
// Timeline control shared by the action records and the MovieClip methods.
void GotoFrameNumber(Vm& vm, MovieClip& clip, FrameNumber frame, bool play);
// The GotoLabel action: a label of the clip's own timeline only, never a
// path or a number.
void GotoLabel(Vm& vm, MovieClip& clip, std::string_view label);
// A frame given by value: a number, a label, or either after "path:".
void GotoFrameValue(Vm& vm, MovieClip& clip, const Value& frame, bool play);
// The frame a value names, and the clip it belongs to (a "path:" prefix may
// name another clip); nullopt when there is no such frame.
std::optional<FrameNumber> FrameOf(Vm& vm, MovieClip* clip, const Value& frame, MovieClip*& holder);
void NextFrame(Vm& vm, MovieClip& clip);
void PreviousFrame(Vm& vm, MovieClip& clip);
void StopAllSounds(Vm& vm);

// The clip a target value names: a clip reference, or a path from start.
MovieClip* ClipFromTarget(Vm& vm, Object* start, const Value& target);

// duplicateMovieClip: a copy of a clip's placement and clip events on the
// same parent. depth is a script depth (0 and up).
MovieClip* DuplicateClip(Vm& vm, MovieClip& source, const std::string& name, double depth);
// attachMovie and createEmptyMovieClip; id 0 makes an empty clip.
MovieClip* AttachClip(Vm& vm, MovieClip& parent, CharacterId id, const std::string& name,
                      double depth);
// removeMovieClip: only objects at script depths can be removed.
void RemoveClip(Vm& vm, DisplayObject& object);

// createTextField: a field of Flash's default settings, its box `width` x
// `height` pixels at (x, y) in the parent, placed at a script depth.
DisplayObject* CreateTextField(Vm& vm, MovieClip& parent, const std::string& name, double depth,
                               const Rect& pixelBox);
// swapDepths with a depth or with another object of the same parent.
void SwapDepths(Vm& vm, DisplayObject& object, const Value& with);
int ScriptDepth(const DisplayObject& object);
// What a script gets for a child it finds by name or depth; nullptr when the
// child is not an object to scripts.
Object* ScriptFacingObject(Vm& vm, DisplayObject& object);

// The property an index of GetProperty/SetProperty stands for, or nullptr.
const char* ClipPropertyName(double index);

} // namespace vidorama::swf::avm1
