#pragma once

#include <cstdint>
#include <memory>

namespace vidorama::swf {

using CharacterId = std::uint16_t;

// A parsed definition from the movie's dictionary: immutable once made and
// shared by every instance placed on a display list. Whoever keeps a frame's
// drawing for later can hold the definitions it draws.
class CharacterDef : public std::enable_shared_from_this<CharacterDef> {
public:
    enum class Kind { Shape, MorphShape, Bitmap, Sprite, Font, Text, Button, Sound, Video, Other };

    CharacterDef(CharacterId id, Kind kind) : m_id(id), m_kind(kind) {}
    virtual ~CharacterDef() = default;
    CharacterDef(const CharacterDef&) = delete;
    CharacterDef& operator=(const CharacterDef&) = delete;

    CharacterId id() const { return m_id; }
    Kind kind() const { return m_kind; }

private:
    CharacterId m_id;
    Kind m_kind;
};

} // namespace vidorama::swf
