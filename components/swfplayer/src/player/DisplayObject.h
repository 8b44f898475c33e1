#pragma once

#include "movie/Filters.h"
#include "movie/PlaceObject.h"
#include "movie/Timeline.h"
#include "swf/Character.h"
#include "swf/Color.h"
#include "swf/Geometry.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vidorama::swf {

class MovieClip;
namespace avm1 {
class ClipObject;
}

// What PlaceObject sets on an instance.
struct DisplayProperties {
    Matrix matrix;
    ColorTransform colorTransform;
    std::uint16_t ratio = 0;
    std::string name;
    std::uint16_t clipDepth = 0;
    BlendMode blendMode = BlendMode::Normal;
    std::vector<Filter> filters;
    bool cacheAsBitmap = false;
    bool visible = true;
    std::optional<Rgba> backgroundColor;
    // scrollRect: the part of the object's own space it shows, moved to its
    // origin (twips).
    std::optional<Rect> scrollRect;

    // Sets the fields that the tag carries and leaves the others alone.
    void apply(const PlaceObject& place);
};

// An instance of a character on a display list: the shared definition plus
// the per-instance state. Clips (sprites and the root) add a timeline.
class DisplayObject : public std::enable_shared_from_this<DisplayObject> {
public:
    DisplayObject(std::shared_ptr<const CharacterDef> character, Depth depth)
        : m_character(std::move(character)), m_depth(depth) {}
    virtual ~DisplayObject() = default;
    DisplayObject(const DisplayObject&) = delete;
    DisplayObject& operator=(const DisplayObject&) = delete;

    const CharacterDef& character() const { return *m_character; }
    // Shapes, morph shapes and other static characters can swap their
    // definition in place (PlaceObject with "move" and a new character).
    void setCharacter(std::shared_ptr<const CharacterDef> character) {
        m_character = std::move(character);
    }
    Depth depth() const { return m_depth; }
    void setDepth(Depth depth) { m_depth = depth; }

    DisplayProperties& properties() { return m_properties; }
    const DisplayProperties& properties() const { return m_properties; }
    // Once a script has moved, scaled, turned or recoloured the object, the
    // timeline's placements no longer change its matrix or colours.
    bool transformedByScript() const { return m_transformedByScript; }
    void setTransformedByScript() { m_transformedByScript = true; }
    void applyPlacement(const PlaceObject& place);
    // Takes the properties of a fresh placement again, as a backward goto
    // does for an object that survives it; the name stays.
    void resetPlacement(const PlaceObject& place);

    // The parent's frame in which this instance was placed; a backward goto
    // keeps the instances placed before the frame it goes to.
    FrameNumber placeFrame() const { return m_placeFrame; }
    void setPlaceFrame(FrameNumber frame) { m_placeFrame = frame; }

    // Creation order within a player; newer objects have larger serials.
    std::uint64_t serial() const { return m_serial; }
    void setSerial(std::uint64_t serial) { m_serial = serial; }

    MovieClip* parent() const { return m_parent; }
    void setParent(MovieClip* parent) { m_parent = parent; }
    // Set once the instance has left the display list, so that queued work
    // that still holds it can tell.
    bool removed() const { return m_removed; }
    virtual void markRemoved();
    // An ActionScript 3 object put back on a display list after its removal.
    virtual void markRestored() { m_removed = false; }

    virtual MovieClip* asClip() { return nullptr; }
    virtual const MovieClip* asClip() const { return nullptr; }

    // The script object of the instance, owned by the script heap; it clears
    // this when it is collected.
    avm1::ClipObject* scriptObject() const { return m_scriptObject; }
    void setScriptObject(avm1::ClipObject* object) { m_scriptObject = object; }
    // Made by a script (attachMovie...): timeline replays leave it alone.
    bool createdByScript() const { return m_createdByScript; }
    void setCreatedByScript() { m_createdByScript = true; }
    // ActionScript 3 has constructed the object's script side and told it
    // it joined its list; the timeline's objects wait for that until the
    // frame's construction.
    bool scriptConstructed() const { return m_scriptConstructed; }
    void setScriptConstructed() { m_scriptConstructed = true; }
    // The clip events of its placement (onClipEvent handlers).
    const std::shared_ptr<const std::vector<std::uint8_t>>& clipActions() const {
        return m_clipActions;
    }
    void setClipActions(std::shared_ptr<const std::vector<std::uint8_t>> actions) {
        m_clipActions = std::move(actions);
    }
    // setMask(): the object whose filled area shows this one.
    const std::weak_ptr<DisplayObject>& scriptMask() const { return m_scriptMask; }
    void setScriptMask(std::weak_ptr<DisplayObject> mask) { m_scriptMask = std::move(mask); }
    // Used as another object's mask: only drawn as that mask, for as long
    // as that object keeps it as its mask and stays on the stage.
    bool isScriptMask() const;
    void setMaskee(std::weak_ptr<DisplayObject> maskee) { m_maskee = std::move(maskee); }
    const std::weak_ptr<DisplayObject>& maskee() const { return m_maskee; }

private:
    std::shared_ptr<const CharacterDef> m_character;
    Depth m_depth;
    DisplayProperties m_properties;
    FrameNumber m_placeFrame = 0;
    std::uint64_t m_serial = 0;
    MovieClip* m_parent = nullptr;
    bool m_removed = false;
    avm1::ClipObject* m_scriptObject = nullptr;
    bool m_createdByScript = false;
    bool m_transformedByScript = false;
    bool m_scriptConstructed = false;
    std::shared_ptr<const std::vector<std::uint8_t>> m_clipActions;
    std::weak_ptr<DisplayObject> m_scriptMask;
    std::weak_ptr<DisplayObject> m_maskee;
};

} // namespace vidorama::swf
