#include "movie/MovieLoader.h"

#include "graphics/CharacterParsers.h"
#include "sound/SoundDef.h"
#include "swf/Limits.h"
#include "swf/TagCodes.h"

#include <string>

namespace vidorama::swf {

namespace {

constexpr std::uint8_t kFileAttributeActionScript3 = 0x08;

// Definitions the engine keeps without drawing them yet, by tag.
std::optional<CharacterDef::Kind> KeptKind(int code) {
    switch (code) {
    case kTagDefineButton:
    case kTagDefineButton2:
        return CharacterDef::Kind::Button;
    case kTagDefineVideoStream:
        return CharacterDef::Kind::Video;
    case kTagDefineBinaryData:
        return CharacterDef::Kind::Other;
    default:
        return std::nullopt;
    }
}

// Control tags kept as they are for the video feature to come.
bool IsKeptControlTag(int code) {
    switch (code) {
    case kTagVideoFrame:
    case kTagDoInitAction:
        return true;
    default:
        return false;
    }
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
    MovieLoader loader(*movie);
    TagReader tags(movie->m_file.tagStream(), movie->m_file.tagsOffset);
    Timeline root = loader.readTimeline(tags, 0, movie->m_file.header.frameCount);
    movie->m_root = std::make_shared<const SpriteDef>(0, std::move(root));
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
    } else if (tag.code == kTagSymbolClass) {
        readSymbolClass(tag);
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
    case kTagDoAction: {
        auto actions =
            std::make_shared<const ActionList>(ReadActions(tag.body, Limits::kMaxActionsPerFrame));
        if (!actions->empty())
            frame.tags.emplace_back(DoAction{std::move(actions)});
        return true;
    }
    case kTagFrameLabel:
        timeline.addLabel(body.string());
        return true;
    case kTagStartSound:
    case kTagStartSound2:
    case kTagSoundStreamHead:
    case kTagSoundStreamHead2:
    case kTagSoundStreamBlock:
        readSoundTag(tag, frame, timeline);
        return true;
    case kTagSetBackgroundColor:
        // The stage colour belongs to the movie; Flash takes the first one.
        if (nesting == 0 && !m_movie.m_hasBackground) {
            m_movie.m_background = ReadRgb(body);
            m_movie.m_hasBackground = true;
        }
        return true;
    default:
        if (!IsKeptControlTag(tag.code))
            return false;
        frame.tags.emplace_back(KeptTag{tag.code, tag.body});
        return true;
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
    ByteReader body = tag.reader();
    std::uint16_t count = body.u16();
    for (std::uint16_t i = 0; i < count && !body.overrun(); ++i) {
        CharacterId id = body.u16();
        std::string name = body.string();
        if (!body.overrun())
            m_movie.m_symbolClasses.emplace(std::move(name), id);
    }
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
