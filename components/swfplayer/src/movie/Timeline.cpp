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

void Timeline::padTo(FrameNumber count) {
    while (frameCount() < count)
        m_frames.emplace_back();
}

} // namespace vidorama::swf
