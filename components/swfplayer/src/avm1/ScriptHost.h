#pragma once

#include "graphics/StageQuality.h"
#include "movie/Timeline.h"
#include "swf/Character.h"
#include "swf/Geometry.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vidorama::swf {

class DisplayObject;
class BitmapDef;
class MovieClip;
class PlayerSound;
class TimelineHost;

namespace avm1 {

// What scripts need from the player that runs them.
class ScriptHost {
public:
    virtual ~ScriptHost() = default;
    virtual TimelineHost& timelineHost() = 0;
    virtual MovieClip& rootClip() = 0;
    virtual void trace(const std::string& line) = 0;
    // getTimer(): the movie's own clock, frames played times the frame
    // interval, so that a conversion gives the same result at any speed.
    virtual double timerMs() const = 0;
    // The character ExportAssets gives a linkage name, for attachMovie.
    virtual std::optional<CharacterId> exportedCharacter(const std::string& name) const = 0;
    // The library's bitmap of the id as it was decoded, for
    // BitmapData.loadBitmap; nullptr when the id is no bitmap.
    virtual std::shared_ptr<const BitmapDef> libraryBitmap(CharacterId id) const = 0;
    // A clip with an empty timeline, for createEmptyMovieClip; nullptr when
    // the display tree would grow past its limits.
    virtual std::shared_ptr<DisplayObject> emptyClip(Depth depth, const MovieClip& parent) = 0;
    // A text field of Flash's default settings with the given bounds, for
    // createTextField; nullptr when the display tree would grow past its
    // limits.
    virtual std::shared_ptr<DisplayObject> textField(Depth depth, const MovieClip& parent,
                                                     const Rect& bounds) = 0;
    // The stage's quality, which _quality, _highquality and ToggleQuality read
    // and change for the whole movie.
    virtual StageQuality quality() const = 0;
    virtual void setQuality(StageQuality quality) = 0;
    // The stage's size in pixels, as the movie declares it.
    virtual double stageWidth() const = 0;
    virtual double stageHeight() const = 0;
    // The playback's sounds, which Sound objects start, stop and mix.
    virtual PlayerSound& sounds() = 0;
};

} // namespace avm1
} // namespace vidorama::swf
