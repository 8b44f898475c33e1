#pragma once

#include "swf/Character.h"
#include "text/FontDef.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vidorama::swf {

// The fonts a movie has defined so far, found by id or by name and style as
// text fields ask for them. Used while a movie loads.
class FontLibrary {
public:
    // A later font of the same id replaces the earlier one: DefineFontInfo
    // completes a DefineFont that way.
    void add(std::shared_ptr<const FontDef> font);

    std::shared_ptr<const FontDef> byId(CharacterId id) const;
    // The first font defined with that name (without regard to case) and
    // style that has outlines.
    std::shared_ptr<const FontDef> byName(const std::string& name, bool bold, bool italic) const;

private:
    std::map<CharacterId, std::shared_ptr<const FontDef>> m_fonts;
};

bool SameFontName(const std::string& a, const std::string& b);

} // namespace vidorama::swf
