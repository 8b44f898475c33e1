#include "video/VideoPlayback.h"

#include "swf/Limits.h"

#include <algorithm>
#include <utility>

namespace vidorama::swf {

bool VideoDecoderBudget::acquire(std::uint64_t pixels) {
    if (m_used + pixels > Limits::kMaxLiveVideoPixels)
        return false;
    m_used += pixels;
    return true;
}

void VideoDecoderBudget::release(std::uint64_t pixels) {
    m_used -= std::min(pixels, m_used);
}

VideoPlayback::VideoPlayback(std::shared_ptr<const VideoDef> video,
                             std::shared_ptr<VideoDecoderBudget> budget)
    : m_video(std::move(video)), m_budget(std::move(budget)) {}

VideoPlayback::~VideoPlayback() {
    release();
}

void VideoPlayback::release() {
    m_decoder.reset();
    m_budget->release(m_allowance);
    m_allowance = 0;
    m_unavailable = true;
}

bool VideoPlayback::ensureDecoder() {
    if (m_decoder)
        return true;
    std::uint64_t box = std::uint64_t{m_video->width()} * m_video->height();
    std::uint64_t allowance =
        std::clamp(4 * box, Limits::kMinVideoDecoderPixels, Limits::kMaxVideoPixels);
    if (m_unavailable || !m_budget->acquire(allowance)) {
        m_unavailable = true;
        return false;
    }
    m_allowance = allowance;
    m_decoder = VideoDecoder::Create(m_video->header(), allowance);
    if (!m_decoder)
        release();
    return m_decoder != nullptr;
}

// The next frame, and the first, are decoded by themselves. Any other frame
// is reached from the last keyframe before it, or, going forward, from the
// frame after the one shown when that is nearer.
std::uint16_t VideoPlayback::sweepStart(std::uint16_t target) const {
    if (target == 0 || (m_shown && target == *m_shown + 1))
        return target;
    std::uint16_t keyframe = m_video->keyframeBefore(target).value_or(0);
    if (m_shown && target > *m_shown)
        return std::max<std::uint16_t>(keyframe, static_cast<std::uint16_t>(*m_shown + 1));
    return keyframe;
}

bool VideoPlayback::seek(std::uint32_t ratio, std::uint64_t& decodeBudget) {
    std::uint32_t frameCount = m_video->header().frameCount;
    auto target = static_cast<std::uint16_t>(frameCount ? ratio % frameCount : 0);
    if (m_shown == target || !ensureDecoder())
        return false;
    std::uint16_t start = sweepStart(target);
    if (!m_shown || start != *m_shown + 1)
        m_decoder->restart();
    std::uint64_t cost = std::max<std::uint64_t>(
        std::uint64_t{m_video->width()} * m_video->height(), Limits::kMinVideoDecodeCost);
    bool decoded = false;
    bool finished = true;
    const auto& frames = m_video->frames();
    for (auto it = frames.lower_bound(start); it != frames.end() && it->first <= target; ++it) {
        if (decodeBudget < cost) {
            finished = false;
            break;
        }
        decodeBudget -= cost;
        m_shown = it->first;
        decoded = m_decoder->decode(it->second.packet) || decoded;
    }
    if (finished)
        m_shown = target;
    if (!decoded)
        return false;
    if (QImage picture = m_decoder->picture(); !picture.isNull())
        m_picture = std::move(picture);
    return true;
}

} // namespace vidorama::swf
