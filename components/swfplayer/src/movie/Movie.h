#pragma once

#include "movie/SpriteDef.h"
#include "swf/Character.h"
#include "swf/Color.h"
#include "swf/Result.h"
#include "swf/SwfFile.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace vidorama::swf {

struct TextFieldSource;

// A parsed movie: header, dictionary of characters and the root timeline.
// Immutable once loaded and shared by every player that plays it.
class Movie {
public:
    // Reads a movie from the bytes of a file. A movie damaged part way (cut
    // short, a lying tag length, corrupt compressed data) still loads up to
    // the damage, which damage() then describes; a movie whose header cannot
    // be read is refused.
    static Result<std::shared_ptr<const Movie>> load(std::span<const std::uint8_t> file);
    static Result<std::shared_ptr<const Movie>> loadFile(const std::string& path);

    const SwfHeader& header() const { return m_file.header; }
    std::uint8_t version() const { return m_file.header.version; }
    const Rect& frameRect() const { return m_file.header.frameRect; }
    double frameRate() const { return m_file.header.frameRate; }
    // The length of the file it was read from, compressed as it was.
    std::size_t fileLength() const { return m_fileLength; }
    // True for movies written for ActionScript 3 (FileAttributes): their
    // scripts are not run, their timelines are.
    bool isActionScript3() const { return m_actionScript3; }
    // The first SetBackgroundColor of the movie; white when there is none.
    Rgba backgroundColor() const { return m_background; }
    const std::string& damage() const { return m_damage; }

    const SpriteDef& root() const { return *m_root; }
    std::shared_ptr<const SpriteDef> rootSprite() const { return m_root; }
    std::shared_ptr<const CharacterDef> character(CharacterId id) const;
    // The character SymbolClass gives this class name, if any.
    std::optional<CharacterId> symbolClass(const std::string& name) const;
    // The class name SymbolClass gives a character (0: the root), if any.
    std::optional<std::string> symbolClassName(CharacterId id) const;
    // The ActionScript 3 blocks of the movie, in the order they come.
    struct AbcBlock {
        std::span<const std::uint8_t> code;
        // DoABC's lazy-initialise flag: the block's entry script waits until
        // one of its definitions is needed.
        bool lazy = false;
    };
    const std::vector<AbcBlock>& abcBlocks() const { return m_abcBlocks; }
    // The character ExportAssets gives this linkage name, if any.
    std::optional<CharacterId> exported(const std::string& name) const;
    // What createTextField lays its fields out from: Flash's default field
    // settings, every font of the movie and the device fonts.
    const std::shared_ptr<const TextFieldSource>& scriptTextField() const {
        return m_scriptTextField;
    }

private:
    friend class MovieLoader;
    Movie() = default;

    SwfFile m_file;
    std::size_t m_fileLength = 0;
    bool m_actionScript3 = false;
    Rgba m_background{255, 255, 255, 255};
    bool m_hasBackground = false;
    std::string m_damage;
    std::shared_ptr<const SpriteDef> m_root;
    std::unordered_map<CharacterId, std::shared_ptr<const CharacterDef>> m_dictionary;
    std::unordered_map<std::string, CharacterId> m_symbolClasses;
    std::unordered_map<std::string, CharacterId> m_exports;
    std::vector<AbcBlock> m_abcBlocks;
    std::vector<std::uint8_t> m_jpegTables;
    std::uint64_t m_bitmapPixels = 0;
    std::shared_ptr<const TextFieldSource> m_scriptTextField;
};

} // namespace vidorama::swf
