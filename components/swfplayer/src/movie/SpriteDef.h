#pragma once

#include "movie/Timeline.h"
#include "swf/Character.h"

namespace vidorama::swf {

// DefineSprite: a character with a timeline of its own. The movie's root
// timeline is kept as a sprite too (id 0), so that the player treats both alike.
class SpriteDef final : public CharacterDef {
public:
    SpriteDef(CharacterId id, Timeline timeline, bool button = false)
        : CharacterDef(id, Kind::Sprite), m_timeline(std::move(timeline)), m_button(button) {}

    const Timeline& timeline() const { return m_timeline; }
    // Buttons are kept as one-frame sprites that show their up state: a
    // converter has no mouse to move them to another.
    bool isButton() const { return m_button; }

private:
    Timeline m_timeline;
    bool m_button;
};

// A definition the engine reads but does not draw yet (fonts, texts and
// buttons): its tag and body, kept for the features to come.
class KeptCharacterDef final : public CharacterDef {
public:
    KeptCharacterDef(CharacterId id, Kind kind, int tagCode, std::span<const std::uint8_t> body)
        : CharacterDef(id, kind), m_tagCode(tagCode), m_body(body) {}

    int tagCode() const { return m_tagCode; }
    // A view into the movie's data; valid while the movie lives.
    std::span<const std::uint8_t> body() const { return m_body; }

private:
    int m_tagCode;
    std::span<const std::uint8_t> m_body;
};

} // namespace vidorama::swf
