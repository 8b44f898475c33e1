#include "movie/MovieLoader.h"

#include "graphics/CharacterParsers.h"
#include "movie/ButtonDef.h"
#include "sound/SoundDef.h"
#include "swf/Limits.h"
#include "swf/TagCodes.h"
#include "video/VideoDef.h"

#include <string>
#include <unordered_map>

namespace vidorama::swf {

namespace {

constexpr std::uint8_t kFileAttributeActionScript3 = 0x08;

// Definitions the engine keeps without drawing them yet, by tag.
std::optional<CharacterDef::Kind> KeptKind(int code) {
    switch (code) {
    case kTagDefineBinaryData:
        return CharacterDef::Kind::Other;
    default:
        return std::nullopt;
    }
}

// A count, then pairs of a character id and a name; a name given twice keeps
// its first character.
void ReadNamedCharacters(const Tag& tag, std::unordered_map<std::string, CharacterId>& names) {
    ByteReader body = tag.reader();
    std::uint16_t count = body.u16();
    for (std::uint16_t i = 0; i < count && !body.overrun(); ++i) {
        CharacterId id = body.u16();
        std::string name = body.string();
        if (!body.overrun())
            names.emplace(std::move(name), id);
    }
}

// Scene starts and label frames are stored counted from 0. A list cut short
// keeps the entries read whole.
void ReadScenes(ByteReader& body, Timeline& timeline) {
    std::vector<Timeline::Scene> scenes;
    std::uint32_t count = body.encodedU32();
    for (std::uint32_t i = 0; i < count && !body.overrun(); ++i) {
        std::uint32_t offset = body.encodedU32();
        std::string name = body.string();
        if (!body.overrun() && offset < Limits::kMaxFrames)
            scenes.push_back({std::move(name), offset + 1});
    }
    std::vector<Timeline::Label> labels;
    count = body.encodedU32();
    for (std::uint32_t i = 0; i < count && !body.overrun(); ++i) {
        std::uint32_t offset = body.encodedU32();
        std::string name = body.string();
        if (!body.overrun() && offset < Limits::kMaxFrames)
            labels.push_back({std::move(name), offset + 1});
    }
    // Without a scene the tag says nothing: the FrameLabel tags stand.
    if (!scenes.empty())
        timeline.declareScenes(std::move(scenes), std::move(labels));
}

int PlaceVersion(int code) {
    return code == kTagPlaceObject ? 1 : code == kTagPlaceObject2 ? 2 : 3;
}

} // namespace

Result<std::shared_ptr<const Movie>> MovieLoader::load(std::span<const std::uint8_t> file) {
    auto swf = ReadSwf(file);
    if (!swf)
        return swf.error();
    std::shared_ptr<Movie> movie(new Movie());
    movie->m_file = std::move(swf.value());
    movie->m_damage = movie->m_file.damage;
    movie->m_fileLength = file.size();
    MovieLoader loader(*movie);
    TagReader tags(movie->m_file.tagStream(), movie->m_file.tagsOffset);
    Timeline root = loader.readTimeline(tags, 0, movie->m_file.header.frameCount);
    movie->m_root = std::make_shared<const SpriteDef>(0, std::move(root));
    movie->m_scriptTextField = loader.scriptTextField();
    return std::shared_ptr<const Movie>(std::move(movie));
}

Timeline MovieLoader::readTimeline(TagReader& tags, int nesting, FrameNumber declaredFrames) {
    Timeline timeline;
    Frame frame;
    bool pending = false;
    while (auto tag = tags.next()) {
        if (tag->code == kTagShowFrame) {
            if (timeline.frameCount() >= Limits::kMaxFrames) {
                reportDamage(MakeError(Error::Category::LimitExceeded, "too many frames", tag->code,
                                       static_cast<std::int64_t>(tag->offset)));
                return timeline;
            }
            timeline.appendFrame(std::move(frame));
            frame = Frame();
            pending = false;
            continue;
        }
        pending = true;
        readTag(*tag, frame, timeline, nesting);
    }
    // Tags after the last ShowFrame still make a frame: a movie cut short
    // shows what it has.
    if (pending && !frame.tags.empty())
        timeline.appendFrame(std::move(frame));
    if (tags.damage())
        reportDamage(*tags.damage());
    else
        timeline.padTo(std::min<FrameNumber>(declaredFrames, Limits::kMaxFrames));
    if (timeline.frameCount() == 0)
        timeline.appendFrame(Frame());
    return timeline;
}

void MovieLoader::readTag(const Tag& tag, Frame& frame, Timeline& timeline, int nesting) {
    if (readControlTag(tag, frame, timeline, nesting))
        return;
    if (tag.code == kTagFileAttributes && nesting == 0) {
        m_movie.m_actionScript3 = (tag.reader().u8() & kFileAttributeActionScript3) != 0;
    } else if (tag.code == kTagJpegTables && nesting == 0) {
        m_movie.m_jpegTables.assign(tag.body.begin(), tag.body.end());
    } else if (tag.code == kTagDoAbc || tag.code == kTagDoAbcUnnamed) {
        readDoAbc(tag);
    } else if (tag.code == kTagSymbolClass) {
        readSymbolClass(tag);
    } else if (tag.code == kTagExportAssets) {
        readExportAssets(tag);
    } else {
        readDefinition(tag, nesting);
    }
}

bool MovieLoader::readControlTag(const Tag& tag, Frame& frame, Timeline& timeline, int nesting) {
    auto offset = static_cast<std::int64_t>(tag.offset);
    ByteReader body = tag.reader();
    switch (tag.code) {
    case kTagPlaceObject:
    case kTagPlaceObject2:
    case kTagPlaceObject3: {
        auto place = ReadPlaceObject(body, PlaceVersion(tag.code));
        if (place)
            frame.tags.emplace_back(std::move(place.value()));
        else
            reportDamage(
                MakeError(place.error().category, place.error().message, tag.code, offset));
        return true;
    }
    case kTagRemoveObject:
    case kTagRemoveObject2: {
        auto remove = ReadRemoveObject(body, tag.code == kTagRemoveObject ? 1 : 2);
        if (remove)
            frame.tags.emplace_back(remove.value());
        return true;
    }
    case kTagDoAction:
        frame.tags.emplace_back(DoAction{tag.body});
        return true;
    case kTagDoInitAction: {
        CharacterId sprite = body.u16();
        if (!body.overrun())
            frame.tags.emplace_back(DoInitAction{sprite, body.rest()});
        return true;
    }
    case kTagFrameLabel:
        timeline.addLabel(body.string());
        return true;
    case kTagDefineSceneAndFrameLabelData:
        if (nesting == 0)
            ReadScenes(body, timeline);
        return true;
    case kTagStartSound:
    case kTagStartSound2:
    case kTagSoundStreamHead:
    case kTagSoundStreamHead2:
    case kTagSoundStreamBlock:
        readSoundTag(tag, frame, timeline);
        return true;
    case kTagVideoFrame:
        addVideoFrame(tag);
        return true;
    case kTagSetBackgroundColor:
        // The stage colour belongs to the movie; Flash takes the first one.
        if (nesting == 0 && !m_movie.m_hasBackground) {
            m_movie.m_background = ReadRgb(body);
            m_movie.m_hasBackground = true;
        }
        return true;
    default:
        return false;
    }
}

// Sound tags are read leniently: a StartSound cut short still plays with what
// it has, and a stream block before any head has no format and is dropped, as
// Flash drops it.
void MovieLoader::readSoundTag(const Tag& tag, Frame& frame, Timeline& timeline) {
    ByteReader body = tag.reader();
    if (tag.code == kTagStartSound || tag.code == kTagStartSound2) {
        frame.tags.emplace_back(tag.code == kTagStartSound ? ReadStartSound(body)
                                                           : ReadStartSound2(body));
    } else if (tag.code == kTagSoundStreamBlock) {
        if (timeline.streamHead())
            frame.tags.emplace_back(timeline.streamBlock(tag.body));
    } else {
        StreamHead head = ReadStreamHead(body);
        if (!body.overrun())
            timeline.setStreamHead(head);
    }
}

// SymbolClass names the characters that ActionScript 3 code and StartSound2
// refer to by class.
void MovieLoader::readSymbolClass(const Tag& tag) {
    ReadNamedCharacters(tag, m_movie.m_symbolClasses);
}

// DoABC2 starts with flags and a name; the older DoABC has only the code.
void MovieLoader::readDoAbc(const Tag& tag) {
    constexpr std::uint32_t kLazyInitialize = 1;
    ByteReader body = tag.reader();
    Movie::AbcBlock block;
    if (tag.code == kTagDoAbc) {
        block.lazy = (body.u32() & kLazyInitialize) != 0;
        body.string();
    }
    block.code = body.rest();
    if (!body.overrun())
        m_movie.m_abcBlocks.push_back(block);
}

void MovieLoader::readDefinition(const Tag& tag, int nesting) {
    if (tag.code == kTagDefineSprite) {
        defineSprite(tag, nesting);
    } else if (tag.code == kTagDefineSound) {
        auto sound = ReadDefineSound(tag.body);
        if (sound)
            define(std::move(sound.value()));
        else
            reportDamage(MakeError(sound.error().category, sound.error().message, tag.code,
                                   static_cast<std::int64_t>(tag.offset)));
    } else if (tag.code == kTagDefineButton || tag.code == kTagDefineButton2 ||
               tag.code == kTagDefineButtonCxform) {
        defineButton(tag);
    } else if (tag.code == kTagDefineVideoStream) {
        defineVideo(tag);
    } else if (IsGraphicsCharacterTag(tag.code)) {
        defineGraphics(tag);
    } else if (readTextDefinition(tag)) {
        return;
    } else if (auto kind = KeptKind(tag.code)) {
        ByteReader body = tag.reader();
        CharacterId id = body.u16();
        if (!body.overrun())
            define(std::make_shared<const KeptCharacterDef>(id, *kind, tag.code, tag.body));
    }
}

// ExportAssets gives characters the linkage names attachMovie uses.
void MovieLoader::readExportAssets(const Tag& tag) {
    ReadNamedCharacters(tag, m_movie.m_exports);
}

// DefineButtonCxform comes after the DefineButton it colours, so the up
// state of version 1 buttons is kept until the movie is read.
void MovieLoader::defineButton(const Tag& tag) {
    ByteReader body = tag.reader();
    if (tag.code == kTagDefineButtonCxform) {
        CharacterId id = body.u16();
        ColorTransform colors = ReadColorTransform(body, false);
        auto button = m_buttonUpStates.find(id);
        if (body.overrun() || button == m_buttonUpStates.end())
            return;
        for (PlaceObject& place : button->second)
            place.colorTransform = colors;
        m_movie.m_dictionary[id] = MakeButtonSprite(id, button->second);
        return;
    }
    CharacterId id = ByteReader(tag.body).u16();
    int version = tag.code == kTagDefineButton ? 1 : 2;
    auto upState = ReadButtonUpState(body, version);
    if (!upState) {
        reportDamage(MakeError(Error::Category::Truncated, "button records are cut short", tag.code,
                               static_cast<std::int64_t>(tag.offset)));
        return;
    }
    if (m_movie.m_dictionary.contains(id))
        return;
    if (version == 1)
        m_buttonUpStates[id] = *upState;
    define(MakeButtonSprite(id, *upState));
}

void MovieLoader::defineSprite(const Tag& tag, int nesting) {
    if (nesting + 1 > Limits::kMaxSpriteNesting) {
        reportDamage(MakeError(Error::Category::LimitExceeded, "sprites nest too deeply", tag.code,
                               static_cast<std::int64_t>(tag.offset)));
        return;
    }
    ByteReader body = tag.reader();
    CharacterId id = body.u16();
    FrameNumber declaredFrames = body.u16();
    if (body.overrun()) {
        reportDamage(MakeError(Error::Category::Truncated, "DefineSprite is cut short", tag.code,
                               static_cast<std::int64_t>(tag.offset)));
        return;
    }
    std::size_t streamOffset = tag.bodyOffset + body.position();
    TagReader tags(body.rest(), streamOffset);
    Timeline timeline = readTimeline(tags, nesting + 1, declaredFrames);
    define(std::make_shared<const SpriteDef>(id, std::move(timeline)));
}

void MovieLoader::defineGraphics(const Tag& tag) {
    GraphicsParseContext context;
    context.swfVersion = m_movie.version();
    context.jpegTables = m_movie.m_jpegTables;
    context.totalBitmapPixels = &m_movie.m_bitmapPixels;
    auto character = ParseGraphicsCharacter(tag.code, tag.reader(), context);
    if (character)
        define(std::move(character.value()));
    else
        reportDamage(MakeError(character.error().category, character.error().message, tag.code,
                               static_cast<std::int64_t>(tag.offset)));
}

void MovieLoader::defineVideo(const Tag& tag) {
    ByteReader body = tag.reader();
    auto video = ReadDefineVideoStream(body);
    if (!video) {
        reportDamage(MakeError(video.error().category, video.error().message, tag.code,
                               static_cast<std::int64_t>(tag.offset)));
        return;
    }
    // Only the definition the dictionary keeps receives frames.
    if (m_movie.m_dictionary.contains(video.value()->id()))
        return;
    m_videos.emplace(video.value()->id(), video.value());
    define(std::move(video.value()));
}

// Video frames belong to their stream, wherever they stand in the movie: a
// placement may show a frame whose tag comes later.
void MovieLoader::addVideoFrame(const Tag& tag) {
    ByteReader body = tag.reader();
    auto frame = ReadVideoFrame(body);
    if (!frame) {
        reportDamage(MakeError(frame.error().category, frame.error().message, tag.code,
                               static_cast<std::int64_t>(tag.offset)));
        return;
    }
    auto stream = m_videos.find(frame.value().streamId);
    if (stream == m_videos.end())
        return;
    if (m_videoFrames >= Limits::kMaxVideoFramesPerMovie) {
        reportDamage(MakeError(Error::Category::LimitExceeded, "too many video frames", tag.code,
                               static_cast<std::int64_t>(tag.offset)));
        return;
    }
    if (stream->second->addFrame(frame.value().number, frame.value().packet))
        ++m_videoFrames;
}

void MovieLoader::define(std::shared_ptr<const CharacterDef> character) {
    // Flash keeps the first definition of an id and ignores redefinitions.
    m_movie.m_dictionary.emplace(character->id(), std::move(character));
}

void MovieLoader::reportDamage(const Error& error) {
    if (m_movie.m_damage.empty())
        m_movie.m_damage = error.message + " (tag " + std::to_string(error.tagCode) + " at byte " +
                           std::to_string(error.offset) + ")";
}

} // namespace vidorama::swf
