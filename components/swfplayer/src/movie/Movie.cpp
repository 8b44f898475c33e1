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

std::optional<std::string> Movie::symbolClassName(CharacterId id) const {
    for (const auto& [name, character] : m_symbolClasses)
        if (character == id)
            return name;
    return std::nullopt;
}

std::optional<CharacterId> Movie::exported(const std::string& name) const {
    if (auto found = m_exports.find(name); found != m_exports.end())
        return found->second;
    // Linkage names are matched without regard to case before SWF 7.
    auto lower = [](std::string text) {
        for (char& c : text)
            c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
        return text;
    };
    if (version() >= 7)
        return std::nullopt;
    for (const auto& [exportName, id] : m_exports)
        if (lower(exportName) == lower(name))
            return id;
    return std::nullopt;
}

} // namespace vidorama::swf
