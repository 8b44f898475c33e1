// Pixel operations of script-made bitmaps.

#include "avm1/BitmapPixels.h"

#include <algorithm>
#include <vector>

namespace vidorama::swf::avm1 {

namespace {

std::uint32_t Premultiply(std::uint32_t argb) {
    const std::uint32_t a = argb >> 24;
    if (a == 255)
        return argb;
    auto channel = [a](std::uint32_t c) {
        return (c * a + 127) / 255;
    };
    return (a << 24) | (channel((argb >> 16) & 0xff) << 16) | (channel((argb >> 8) & 0xff) << 8) |
           channel(argb & 0xff);
}

} // namespace

BitmapPixels::BitmapPixels(int width, int height, bool transparent, std::uint32_t fill)
    : m_image(width, height, QImage::Format_ARGB32_Premultiplied), m_transparent(transparent) {
    m_image.fill(stored(fill));
}

BitmapPixels::BitmapPixels(const QImage& premultiplied, bool transparent)
    : m_image(premultiplied.convertToFormat(QImage::Format_ARGB32_Premultiplied)),
      m_transparent(transparent) {}

std::uint32_t BitmapPixels::stored(std::uint32_t argb) const {
    return m_transparent ? Premultiply(argb) : (argb | 0xff000000u);
}

// Back from premultiplied, halves rounded down: Flash reads 0xAABBCCDD,
// once stored, as 0xAABBCCDC.
std::uint32_t BitmapPixels::Straight(std::uint32_t premultiplied) {
    const std::uint32_t a = premultiplied >> 24;
    if (a == 255 || a == 0)
        return a == 0 ? 0 : premultiplied;
    auto channel = [a](std::uint32_t c) {
        return std::min<std::uint32_t>(255, (2 * c * 255 + a - 1) / (2 * a));
    };
    return (a << 24) | (channel((premultiplied >> 16) & 0xff) << 16) |
           (channel((premultiplied >> 8) & 0xff) << 8) | channel(premultiplied & 0xff);
}

std::uint32_t BitmapPixels::pixel32(int x, int y) const {
    return contains(x, y) ? Straight(row(y)[x]) : 0;
}

void BitmapPixels::setPixel(int x, int y, std::uint32_t rgb) {
    if (!contains(x, y))
        return;
    const std::uint32_t alpha = Straight(row(y)[x]) & 0xff000000u;
    row(y)[x] = stored(alpha | (rgb & 0xffffff));
}

void BitmapPixels::setPixel32(int x, int y, std::uint32_t argb) {
    if (contains(x, y))
        row(y)[x] = stored(argb);
}

void BitmapPixels::fillRect(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
                            std::uint32_t argb) {
    const std::int64_t left = std::max<std::int64_t>(x, 0), top = std::max<std::int64_t>(y, 0);
    const std::int64_t right = std::min<std::int64_t>(x + w, width());
    const std::int64_t bottom = std::min<std::int64_t>(y + h, height());
    const QRgb value = stored(argb);
    for (std::int64_t at = top; at < bottom; ++at)
        std::fill(row(static_cast<int>(at)) + left, row(static_cast<int>(at)) + right, value);
}

bool BitmapPixels::floodFill(int x, int y, std::uint32_t argb) {
    if (!contains(x, y))
        return false;
    const QRgb from = row(y)[x], to = stored(argb);
    if (from == to)
        return false;
    // Row spans, so that the pending list stays small on large areas.
    std::vector<std::pair<int, int>> pending{{x, y}};
    while (!pending.empty()) {
        auto [px, py] = pending.back();
        pending.pop_back();
        QRgb* line = row(py);
        if (line[px] != from)
            continue;
        int left = px, right = px;
        while (left > 0 && line[left - 1] == from)
            --left;
        while (right + 1 < width() && line[right + 1] == from)
            ++right;
        std::fill(line + left, line + right + 1, to);
        for (int ny : {py - 1, py + 1}) {
            if (ny < 0 || ny >= height())
                continue;
            const QRgb* next = row(ny);
            for (int nx = left; nx <= right; ++nx)
                if (next[nx] == from && (nx == left || next[nx - 1] != from))
                    pending.emplace_back(nx, ny);
        }
    }
    return true;
}

void BitmapPixels::scroll(int dx, int dy) {
    const QImage before = m_image.copy();
    for (int y = std::max(0, dy); y < std::min(height(), height() + dy); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(before.constScanLine(y - dy));
        QRgb* out = row(y);
        for (int x = std::max(0, dx); x < std::min(width(), width() + dx); ++x)
            out[x] = in[x - dx];
    }
}

bool BitmapPixels::clipCopy(const BitmapPixels& from, std::int64_t& x, std::int64_t& y,
                            std::int64_t& w, std::int64_t& h, std::int64_t& toX,
                            std::int64_t& toY) const {
    // The source to its bitmap, then the destination to this one.
    auto clipStart = [](std::int64_t& start, std::int64_t& size, std::int64_t& other) {
        if (start < 0) {
            size += start;
            other -= start;
            start = 0;
        }
    };
    clipStart(x, w, toX);
    clipStart(y, h, toY);
    clipStart(toX, w, x);
    clipStart(toY, h, y);
    w = std::min({w, from.width() - x, width() - toX});
    h = std::min({h, from.height() - y, height() - toY});
    return w > 0 && h > 0;
}

void BitmapPixels::copyPixels(const BitmapPixels& from, std::int64_t x, std::int64_t y,
                              std::int64_t w, std::int64_t h, std::int64_t toX, std::int64_t toY) {
    if (!clipCopy(from, x, y, w, h, toX, toY))
        return;
    // A copy within one bitmap may overlap itself.
    const QImage source = &from == this ? m_image.copy() : from.m_image;
    for (std::int64_t line = 0; line < h; ++line) {
        const QRgb* in =
            reinterpret_cast<const QRgb*>(source.constScanLine(static_cast<int>(y + line))) + x;
        QRgb* out = row(static_cast<int>(toY + line)) + toX;
        for (std::int64_t i = 0; i < w; ++i)
            out[i] = m_transparent ? in[i] : stored(Straight(in[i]));
    }
}

int ChannelShift(std::uint32_t flag) {
    switch (flag) {
    case 1:
        return 16;
    case 2:
        return 8;
    case 4:
        return 0;
    case 8:
        return 24;
    default:
        return -1;
    }
}

} // namespace vidorama::swf::avm1
