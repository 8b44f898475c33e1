#include "pipeline/FramePool.h"

#include <algorithm>
#include <atomic>

namespace vidorama::cli {

FramePool::FramePool(QSize size, int pictures)
    : m_rect(QPoint(0, 0), size), m_limit(std::max(1, pictures)),
      m_current(size, QImage::Format_ARGB32_Premultiplied) {}

QRect FramePool::prepare() {
    // A receiver on another thread lets a picture go once it has read it:
    // what it read must come before what is drawn into the picture now.
    const auto freed = [](const QImage& image) {
        const bool alone = image.isDetached();
        std::atomic_thread_fence(std::memory_order_acquire);
        return alone;
    };
    if (freed(m_current))
        return {};
    m_spares.push_back({std::move(m_current), m_frame});
    // The free picture that shows the latest frame needs the least drawing.
    auto chosen = m_spares.end();
    for (auto spare = m_spares.begin(); spare != m_spares.end(); ++spare)
        if (freed(spare->image) && (chosen == m_spares.end() || spare->frame > chosen->frame))
            chosen = spare;
    if (chosen == m_spares.end() && static_cast<int>(m_spares.size()) < m_limit) {
        m_current = QImage(m_rect.size(), QImage::Format_ARGB32_Premultiplied);
        if (!m_current.isNull())
            return m_rect;
    }
    if (chosen == m_spares.end())
        chosen = std::min_element(m_spares.begin(), m_spares.end(),
                                  [](const Spare& a, const Spare& b) { return a.frame < b.frame; });
    m_current = std::move(chosen->image);
    const std::int64_t shown = chosen->frame;
    m_spares.erase(chosen);
    return changedSince(shown);
}

void FramePool::frameDrawn(const QRect& changed) {
    ++m_frame;
    m_changes.push_back(changed & m_rect);
    // Every picture shows one of the last few frames, unless it was never
    // drawn into; older changes are not needed.
    while (m_changes.size() > static_cast<std::size_t>(2 * m_limit))
        m_changes.pop_front();
}

QRect FramePool::changedSince(std::int64_t frame) const {
    const std::int64_t behind = m_frame - frame;
    if (frame < 0 || behind > static_cast<std::int64_t>(m_changes.size()))
        return m_rect;
    QRect changed;
    for (auto change = m_changes.end() - behind; change != m_changes.end(); ++change)
        changed |= *change;
    return changed;
}

} // namespace vidorama::cli
