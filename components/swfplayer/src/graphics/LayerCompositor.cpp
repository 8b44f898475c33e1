#include "graphics/LayerCompositor.h"

#include "graphics/PixelOps.h"

namespace vidorama::swf {

void CompositeMasked(QImage& destination, const QImage& content, const QImage& mask, QRect area,
                     MaskedContent kind) {
    area &= destination.rect() & content.rect() & mask.rect();
    bool coverageOnly = destination.format() == QImage::Format_Alpha8;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(content.constScanLine(y));
        const uchar* cover = mask.constScanLine(y);
        uchar* dstLine = destination.scanLine(y);
        if (kind == MaskedContent::OverBackdrop) {
            auto* dst = reinterpret_cast<QRgb*>(dstLine);
            for (int x = area.left(); x <= area.right(); ++x)
                dst[x] = Interpolate(dst[x], src[x], cover[x]);
            continue;
        }
        for (int x = area.left(); x <= area.right(); ++x) {
            QRgb s = src[x];
            if (s == 0 || cover[x] == 0)
                continue;
            QRgb shown = cover[x] == 255 ? s : ScalePixel(s, cover[x]);
            if (coverageOnly) {
                unsigned a = shown >> 24;
                dstLine[x] = static_cast<uchar>(a + ((dstLine[x] * (255 - a) + 127) / 255));
                continue;
            }
            auto* dst = reinterpret_cast<QRgb*>(dstLine) + x;
            *dst = (shown >> 24) == 255 ? shown : SourceOver(shown, *dst);
        }
    }
}

void AddAlphaToMask(QImage& mask, const QImage& picture, QRect area) {
    area &= mask.rect() & picture.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        uchar* cover = mask.scanLine(y);
        const auto* pixels = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            const unsigned added = qAlpha(pixels[x]);
            cover[x] = static_cast<uchar>(added + (cover[x] * (255 - added) + 127) / 255);
        }
    }
}

void UnderlayArea(QImage& layer, const QImage& beneath, QRect area) {
    area &= layer.rect() & beneath.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* top = reinterpret_cast<QRgb*>(layer.scanLine(y));
        const auto* under = reinterpret_cast<const QRgb*>(beneath.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x)
            top[x] = SourceOver(top[x], under[x]);
    }
}

} // namespace vidorama::swf
