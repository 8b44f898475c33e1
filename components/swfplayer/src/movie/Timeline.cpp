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

void Timeline::declareScenes(std::vector<Scene> scenes, std::vector<Label> labels) {
    m_scenes = std::move(scenes);
    m_labels = std::move(labels);
    m_labelsDeclared = true;
}

std::vector<Timeline::Scene> Timeline::scenes() const {
    if (m_scenes.empty())
        return {Scene{"", 1, frameCount()}};
    std::vector<Scene> scenes = m_scenes;
    for (std::size_t i = 0; i < scenes.size(); ++i) {
        FrameNumber end = frameCount() + 1;
        if (i + 1 < scenes.size())
            end = std::min(end, scenes[i + 1].start);
        scenes[i].length = end > scenes[i].start ? end - scenes[i].start : 0;
    }
    return scenes;
}

Timeline::Scene Timeline::sceneAt(FrameNumber frame) const {
    std::vector<Scene> all = scenes();
    auto found = std::find_if(all.rbegin(), all.rend(),
                              [&](const Scene& scene) { return scene.start <= frame; });
    return found != all.rend() ? *found : all.front();
}

StreamBlock Timeline::streamBlock(std::span<const std::uint8_t> data) {
    StreamBlock block{m_streamHead.value_or(StreamHead()), data, !m_hasStreamBlock};
    m_hasStreamBlock = true;
    return block;
}

} // namespace vidorama::swf
