#pragma once

#include "movie/Movie.h"
#include "swf/TagReader.h"
#include "text/DeviceFonts.h"
#include "text/FontLibrary.h"
#include "text/TextFieldSource.h"

#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

namespace vidorama::swf {

class VideoDef;

// Builds a Movie from its tag stream: definitions go into the dictionary,
// control tags into the timeline being read (the root's or a sprite's).
class MovieLoader {
public:
    static Result<std::shared_ptr<const Movie>> load(std::span<const std::uint8_t> file);

private:
    explicit MovieLoader(Movie& movie) : m_movie(movie) {}

    // Reads tags up to End or the stream's end; declaredFrames pads the result
    // when the stream holds fewer frames than its header promises.
    Timeline readTimeline(TagReader& tags, int nesting, FrameNumber declaredFrames);
    void readTag(const Tag& tag, Frame& frame, Timeline& timeline, int nesting);
    bool readControlTag(const Tag& tag, Frame& frame, Timeline& timeline, int nesting);
    void readSoundTag(const Tag& tag, Frame& frame, Timeline& timeline);
    void readSymbolClass(const Tag& tag);
    void readDoAbc(const Tag& tag);
    void readExportAssets(const Tag& tag);
    void defineButton(const Tag& tag);
    void readDefinition(const Tag& tag, int nesting);
    void defineSprite(const Tag& tag, int nesting);
    void defineGraphics(const Tag& tag);
    // Fonts, font information, static text and text fields; false for other
    // tags.
    bool readTextDefinition(const Tag& tag);
    void defineFont(const Tag& tag);
    void applyFontInfo(const Tag& tag);
    void applyTextSettings(const Tag& tag);
    void defineText(const Tag& tag);
    void defineTextField(const Tag& tag);
    // The source of the fields scripts create, once every font is known.
    std::shared_ptr<const TextFieldSource> scriptTextField();
    void defineVideo(const Tag& tag);
    void addVideoFrame(const Tag& tag);
    void define(std::shared_ptr<const CharacterDef> character);
    // Movie content is read leniently: a broken tag is reported and skipped.
    void reportDamage(const Error& error);

    Movie& m_movie;
    FontLibrary m_fonts;
    // The fonts as text fields see them, shared by all fields defined
    // before the next font.
    std::shared_ptr<const FontLibrary> m_fontsForFields;
    // Opened when a text field first asks for a device font.
    std::shared_ptr<DeviceFonts> m_deviceFonts;
    std::map<CharacterId, std::vector<PlaceObject>> m_buttonUpStates;
    // The video streams defined so far, which the frames read later join.
    std::unordered_map<CharacterId, std::shared_ptr<VideoDef>> m_videos;
    std::size_t m_videoFrames = 0;
};

} // namespace vidorama::swf
