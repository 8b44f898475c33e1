#include "capture/FrameScaler.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace vidorama {

namespace {
constexpr int kChannels = 3; // blue, green, red; the fourth byte is unused
} // namespace

bool FrameScaler::MakeAxis(int sourceSize, int targetSize, Axis& axis) {
    axis.taps.assign(static_cast<std::size_t>(targetSize), {});
    axis.weights.clear();
    double scale = static_cast<double>(sourceSize) / targetSize;
    for (int d = 0; d < targetSize; ++d) {
        Taps& taps = axis.taps[static_cast<std::size_t>(d)];
        taps.weightOffset = static_cast<int>(axis.weights.size());
        if (scale >= 1.0) {
            // Shrinking: the covered span [d * scale, (d + 1) * scale).
            double begin = d * scale, end = (d + 1) * scale;
            taps.first = static_cast<int>(std::floor(begin));
            int last = std::min(static_cast<int>(std::ceil(end)), sourceSize) - 1;
            for (int s = taps.first; s <= last; ++s) {
                double covered = std::min<double>(end, s + 1) - std::max<double>(begin, s);
                axis.weights.push_back(static_cast<float>(covered / scale));
            }
            taps.count = last - taps.first + 1;
        } else {
            // Enlarging: blend the two source pixels around the centre.
            double centre = (d + 0.5) * scale - 0.5;
            int left = static_cast<int>(std::floor(centre));
            double t = centre - left;
            int a = std::clamp(left, 0, sourceSize - 1);
            int b = std::clamp(left + 1, 0, sourceSize - 1);
            taps.first = a;
            if (a == b) {
                taps.count = 1;
                axis.weights.push_back(1.0f);
            } else {
                taps.count = 2;
                axis.weights.push_back(static_cast<float>(1.0 - t));
                axis.weights.push_back(static_cast<float>(t));
            }
        }
    }
    return true;
}

bool FrameScaler::Prepare(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight) {
    if (sourceWidth <= 0 || sourceHeight <= 0 || targetWidth <= 0 || targetHeight <= 0)
        return false;
    try {
        MakeAxis(sourceWidth, targetWidth, m_horizontal);
        MakeAxis(sourceHeight, targetHeight, m_vertical);
        m_rows.assign(static_cast<std::size_t>(sourceHeight) *
                          static_cast<std::size_t>(targetWidth) * kChannels,
                      0.0f);
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_sourceWidth = sourceWidth;
    m_sourceHeight = sourceHeight;
    m_targetWidth = targetWidth;
    m_targetHeight = targetHeight;
    return true;
}

void FrameScaler::Scale(const QImage& source, encoder::ByteArray& frame) {
    std::size_t rowFloats = static_cast<std::size_t>(m_targetWidth) * kChannels;
    for (int y = 0; y < m_sourceHeight; ++y) {
        const std::uint8_t* in = source.constScanLine(y);
        float* out = m_rows.data() + static_cast<std::size_t>(y) * rowFloats;
        for (const Taps& taps : m_horizontal.taps) {
            const float* w = m_horizontal.weights.data() + taps.weightOffset;
            float sum[kChannels] = {};
            for (int i = 0; i < taps.count; ++i) {
                const std::uint8_t* pixel = in + static_cast<std::size_t>(taps.first + i) * 4;
                for (int c = 0; c < kChannels; ++c)
                    sum[c] += w[i] * pixel[c];
            }
            for (int c = 0; c < kChannels; ++c)
                *out++ = sum[c];
        }
    }
    // Rows are written bottom-up: output row y goes to line (height - 1 - y).
    std::uint8_t* pixels = frame.Data();
    for (int y = 0; y < m_targetHeight; ++y) {
        const Taps& taps = m_vertical.taps[static_cast<std::size_t>(y)];
        const float* w = m_vertical.weights.data() + taps.weightOffset;
        std::uint8_t* out = pixels + static_cast<std::size_t>(m_targetHeight - 1 - y) *
                                         static_cast<std::size_t>(m_targetWidth) * 4;
        for (std::size_t x = 0; x < rowFloats; x += kChannels, out += 4) {
            float sum[kChannels] = {};
            for (int i = 0; i < taps.count; ++i) {
                const float* value =
                    m_rows.data() + static_cast<std::size_t>(taps.first + i) * rowFloats + x;
                for (int c = 0; c < kChannels; ++c)
                    sum[c] += w[i] * value[c];
            }
            for (int c = 0; c < kChannels; ++c)
                out[c] = static_cast<std::uint8_t>(std::clamp(sum[c] + 0.5f, 0.0f, 255.0f));
            out[3] = 0;
        }
    }
}

} // namespace vidorama
