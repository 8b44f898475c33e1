#pragma once

#include "movie/SpriteDef.h"
#include "player/DisplayObject.h"
#include "player/DrawingCanvas.h"
#include "player/TimelineHost.h"

#include <map>
#include <memory>
#include <string_view>

namespace vidorama::swf {

struct GotoCommand;

// An instance of a timeline (a sprite, or the movie's root): its playhead and
// the display list its frames build.
class MovieClip final : public DisplayObject {
public:
    using DisplayList = std::map<Depth, std::shared_ptr<DisplayObject>>;

    MovieClip(std::shared_ptr<const SpriteDef> sprite, Depth depth, int nesting);
    ~MovieClip() override;

    MovieClip* asClip() override { return this; }
    const MovieClip* asClip() const override { return this; }
    void markRemoved() override;
    void markRestored() override;

    const Timeline& timeline() const { return m_sprite->timeline(); }
    bool isButton() const { return m_sprite->isButton(); }
    // 1-based; 0 before the first frame has run.
    FrameNumber currentFrame() const { return m_currentFrame; }
    FrameNumber totalFrames() const { return timeline().frameCount(); }
    bool playing() const { return m_playing; }
    void play() { m_playing = true; }
    void stop() { m_playing = false; }
    // How many clips enclose this one; bounds the display tree's depth.
    int nesting() const { return m_nesting; }

    const DisplayList& children() const { return m_children; }
    // The child with the given instance name, compared as the movie's
    // version asks (without regard to case before SWF 7).
    DisplayObject* childByName(std::string_view name, bool caseSensitive) const;

    // Runs the first frame; a clip shows its first frame as soon as it is placed.
    void enterFirstFrame(TimelineHost& host);
    // One tick of the playhead: the next frame, or back to the first after
    // the last. Does nothing while stopped.
    void advance(TimelineHost& host);
    // Goes to a frame (clamped to the timeline) as Flash does, and sets the
    // play state. Going to the current frame only sets the play state. A
    // frame past the end shows the last frame without running its actions
    // or sounds.
    void gotoFrame(TimelineHost& host, FrameNumber frame, bool play);

    // Children made by scripts: placed at a depth (replacing what is there),
    // removed, or moved to another depth (swapping with what is there).
    void addScriptChild(std::shared_ptr<DisplayObject> child, Depth depth);
    void removeChild(Depth depth);
    void swapChildDepths(Depth from, Depth to);

    // What the drawing methods drew, under the children.
    DrawingCanvas& drawing() { return m_drawing; }
    const ShapeDef* drawingShape() const { return m_drawing.shape(); }
    void copyDrawing(const MovieClip& other) { m_drawing = other.m_drawing; }
    const std::optional<LineStyle>& lastLineStyle() const { return m_lastLineStyle; }
    void setLastLineStyle(const LineStyle& line) { m_lastLineStyle = line; }

private:
    void runFrame(TimelineHost& host, FrameNumber frame);
    void runFrameEvent(TimelineHost& host, const ControlTag& tag);
    void place(TimelineHost& host, const PlaceObject& place);
    void removeAt(Depth depth);
    void removeByTimeline(TimelineHost& host, Depth depth);
    // Whether a goto runs the actions and sounds of the frame it lands on.
    enum class TargetFrameEvents { Run, Skip };
    void runGoto(TimelineHost& host, FrameNumber target,
                 TargetFrameEvents events = TargetFrameEvents::Run);
    void collectGotoCommands(TimelineHost& host, FrameNumber target, bool rewind,
                             std::vector<GotoCommand>& commands);
    void applyGotoCommand(TimelineHost& host, const GotoCommand& command, bool rewind);
    // Creates, places and starts a new child; false when it could not be made.
    bool addChild(TimelineHost& host, const PlaceObject& place, FrameNumber placeFrame);
    void swapCharacter(TimelineHost& host, DisplayObject& child, CharacterId id);
    static bool IsSprite(TimelineHost& host, CharacterId id);

    std::shared_ptr<const SpriteDef> m_sprite;
    int m_nesting;
    FrameNumber m_currentFrame = 0;
    bool m_playing = true;
    DisplayList m_children;
    DrawingCanvas m_drawing;
    std::optional<LineStyle> m_lastLineStyle;
};

} // namespace vidorama::swf
