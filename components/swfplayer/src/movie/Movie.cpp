#include "movie/Movie.h"

#include "movie/MovieLoader.h"

namespace vidorama::swf {

Result<std::shared_ptr<const Movie>> Movie::load(std::span<const std::uint8_t> file) {
    return MovieLoader::load(file);
}

Result<std::shared_ptr<const Movie>> Movie::loadFile(const std::string& path) {
    auto bytes = ReadFileBytes(path);
    if (!bytes)
        return bytes.error();
    return load(bytes.value());
}

std::shared_ptr<const CharacterDef> Movie::character(CharacterId id) const {
    auto found = m_dictionary.find(id);
    return found == m_dictionary.end() ? nullptr : found->second;
}

std::optional<CharacterId> Movie::symbolClass(const std::string& name) const {
    auto found = m_symbolClasses.find(name);
    if (found == m_symbolClasses.end())
        return std::nullopt;
    return found->second;
}

} // namespace vidorama::swf
