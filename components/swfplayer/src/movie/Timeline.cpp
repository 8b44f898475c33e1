#include "movie/Timeline.h"

#include <algorithm>

namespace vidorama::swf {

namespace {
bool EqualNoCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) {
        return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}
} // namespace

std::optional<FrameNumber> Timeline::findLabel(std::string_view label) const {
    for (const Label& entry : m_labels)
        if (EqualNoCase(entry.name, label) && entry.frame <= frameCount())
            return entry.frame;
    return std::nullopt;
}

StreamBlock Timeline::streamBlock(std::span<const std::uint8_t> data) {
    StreamBlock block{m_streamHead.value_or(StreamHead()), data, !m_hasStreamBlock};
    m_hasStreamBlock = true;
    return block;
}

} // namespace vidorama::swf
