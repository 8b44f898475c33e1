#include "graphics/BitmapDef.h"

#include <algorithm>

namespace vidorama::swf {

namespace {

// Halves a premultiplied image, each pixel the mean of up to four (an odd
// last row or column averages what there is).
QImage HalveImage(const QImage& image) {
    int w = (image.width() + 1) / 2, h = (image.height() + 1) / 2;
    QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        const auto* r0 = reinterpret_cast<const QRgb*>(image.constScanLine(2 * y));
        const auto* r1 = reinterpret_cast<const QRgb*>(
            image.constScanLine(std::min(2 * y + 1, image.height() - 1)));
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            int x1 = std::min(2 * x + 1, image.width() - 1);
            QRgb p[4] = {r0[2 * x], r0[x1], r1[2 * x], r1[x1]};
            QRgb mean = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                unsigned sum = 2;
                for (QRgb q : p)
                    sum += (q >> shift) & 0xFF;
                mean |= static_cast<QRgb>(sum / 4) << shift;
            }
            dst[x] = mean;
        }
    }
    return out;
}

} // namespace

QImage BitmapDef::halved(int level) const {
    std::lock_guard lock(m_levelsGuard);
    if (m_levels.empty())
        m_levels.push_back(m_image);
    while (static_cast<int>(m_levels.size()) <= level) {
        const QImage& last = m_levels.back();
        if (last.width() <= 1 || last.height() <= 1)
            break;
        m_levels.push_back(HalveImage(last));
    }
    return m_levels[static_cast<std::size_t>(std::min<int>(level, int(m_levels.size()) - 1))];
}

} // namespace vidorama::swf
