#include "video/YuvPicture.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vidorama::swf {

namespace {

// Contributions of each sample value to the colour channels, in 12.4 fixed
// point: luma stretched from 16..235 to 0..255, chroma centred on 128 and
// stretched by 255/224 before BT.601's weights apply. Single precision, as
// the tables Flash's output was matched with were made.
struct ConversionTables {
    std::array<int, 256> gray{}, crToRed{}, crToGreen{}, cbToGreen{}, cbToBlue{};

    ConversionTables() {
        const float lumaScale = 255.0f / 219.0f, chromaScale = 255.0f / 224.0f;
        const float crRed = chromaScale * 1.402f;
        const float crGreen = -chromaScale * 1.402f * (0.299f / 0.587f);
        const float cbGreen = -chromaScale * 1.772f * (0.114f / 0.587f);
        const float cbBlue = chromaScale * 1.772f;
        auto fixed = [](float value) {
            return int(std::lround(value * 16.0f));
        };
        for (int i = 0; i < 256; ++i) {
            auto f = float(i);
            gray[i] = fixed(lumaScale * (f - 16.0f));
            crToRed[i] = fixed(crRed * (f - 128.0f));
            crToGreen[i] = fixed(crGreen * (f - 128.0f));
            cbToGreen[i] = fixed(cbGreen * (f - 128.0f));
            cbToBlue[i] = fixed(cbBlue * (f - 128.0f));
        }
    }
};

const ConversionTables& Tables() {
    static const ConversionTables tables;
    return tables;
}

int ToChannel(int fixed) {
    return std::clamp((fixed + 8) >> 4, 0, 255);
}

} // namespace

QImage YuvToArgb(const YuvPlanes& p) {
    QImage image(p.width, p.height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    const ConversionTables& t = Tables();
    for (int y = 0; y < p.height; ++y) {
        const std::uint8_t* luma = p.y + std::ptrdiff_t(y) * p.yStride;
        const std::uint8_t* u = p.u + std::ptrdiff_t(y / 2) * p.chromaStride;
        const std::uint8_t* v = p.v + std::ptrdiff_t(y / 2) * p.chromaStride;
        const std::uint8_t* alpha = p.alpha ? p.alpha + std::ptrdiff_t(y) * p.alphaStride : nullptr;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < p.width; ++x) {
            int cb = u[x / 2], cr = v[x / 2];
            int gray = t.gray[luma[x]];
            int r = ToChannel(gray + t.crToRed[cr]);
            int g = ToChannel(gray + t.crToGreen[cr] + t.cbToGreen[cb]);
            int b = ToChannel(gray + t.cbToBlue[cb]);
            int a = 255;
            if (alpha) {
                a = alpha[x];
                r = std::min(r, a);
                g = std::min(g, a);
                b = std::min(b, a);
            }
            out[x] = qRgba(r, g, b, a);
        }
    }
    return image;
}

} // namespace vidorama::swf
