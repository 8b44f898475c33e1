#include "swf/TagReader.h"

#include "swf/TagCodes.h"

#include <string>

namespace vidorama::swf {

namespace {
constexpr std::uint32_t kLongLengthMarker = 0x3f;
}

std::optional<Tag> TagReader::next() {
    if (m_done)
        return std::nullopt;
    if (m_reader.atEnd()) {
        m_done = true;
        return std::nullopt;
    }
    Tag tag;
    tag.offset = m_streamOffset + m_reader.position();
    std::uint16_t codeAndLength = m_reader.u16();
    tag.code = codeAndLength >> 6;
    std::uint32_t length = codeAndLength & kLongLengthMarker;
    if (length == kLongLengthMarker)
        length = m_reader.u32();
    if (m_reader.overrun()) {
        m_done = true;
        m_damage = MakeError(Error::Category::Truncated, "the data ends inside a tag header",
                             tag.code, static_cast<std::int64_t>(tag.offset));
        return std::nullopt;
    }
    if (length > m_reader.remaining()) {
        m_done = true;
        m_damage =
            MakeError(Error::Category::Truncated,
                      "tag " + std::to_string(tag.code) + " declares " + std::to_string(length) +
                          " bytes but only " + std::to_string(m_reader.remaining()) + " remain",
                      tag.code, static_cast<std::int64_t>(tag.offset));
        return std::nullopt;
    }
    tag.bodyOffset = m_streamOffset + m_reader.position();
    tag.body = m_reader.take(length);
    if (tag.code == kTagEnd) {
        m_done = true;
        return std::nullopt;
    }
    return tag;
}

} // namespace vidorama::swf
