#pragma once

#include <QImage>
#include <algorithm>
#include <cstdint>

namespace vidorama::swf::avm1 {

// The pixels of a script-made bitmap (BitmapData), kept premultiplied as
// Flash keeps them: a colour with partial alpha reads back with the
// precision premultiplying leaves it. Colours in and out of the class are
// straight 0xAARRGGBB; coordinates outside the bitmap are ignored.
class BitmapPixels {
public:
    BitmapPixels(int width, int height, bool transparent, std::uint32_t fill);
    // A copy of a premultiplied picture (a bitmap of the movie's library).
    BitmapPixels(const QImage& premultiplied, bool transparent);

    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    bool transparent() const { return m_transparent; }
    bool contains(std::int64_t x, std::int64_t y) const {
        return x >= 0 && y >= 0 && x < width() && y < height();
    }
    const QImage& image() const { return m_image; }

    // 0 outside the bitmap.
    std::uint32_t pixel32(int x, int y) const;
    // Keeps the alpha where the bitmap has it (setPixel), or takes the
    // colour's own (setPixel32; opaque bitmaps stay opaque).
    void setPixel(int x, int y, std::uint32_t rgb);
    void setPixel32(int x, int y, std::uint32_t argb);
    // The rectangle, clipped to the bitmap.
    void fillRect(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
                  std::uint32_t argb);
    // Fills the four-way connected area of the colour at (x, y); false when
    // there is nothing to change.
    bool floodFill(int x, int y, std::uint32_t argb);
    // Copies a rectangle of another bitmap (or this one) to (toX, toY), both
    // clipped to their bitmaps.
    void copyPixels(const BitmapPixels& from, std::int64_t x, std::int64_t y, std::int64_t w,
                    std::int64_t h, std::int64_t toX, std::int64_t toY);

    // Runs change on the straight colour of every pixel of the rectangle
    // (clipped), storing what it gives.
    template <typename Change>
    void transform(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h, Change change) {
        const std::int64_t left = std::max<std::int64_t>(x, 0), top = std::max<std::int64_t>(y, 0);
        const std::int64_t right = std::min<std::int64_t>(x + w, width());
        const std::int64_t bottom = std::min<std::int64_t>(y + h, height());
        for (std::int64_t at = top; at < bottom; ++at) {
            QRgb* line = row(static_cast<int>(at));
            for (std::int64_t i = left; i < right; ++i)
                line[i] = stored(change(Straight(line[i])));
        }
    }
    // Runs combine on the straight colours of each pixel of a rectangle of
    // another bitmap (or this one) and the pixel of this one at (toX, toY)
    // on, both clipped, storing what it gives here.
    template <typename Combine>
    void combine(const BitmapPixels& from, std::int64_t x, std::int64_t y, std::int64_t w,
                 std::int64_t h, std::int64_t toX, std::int64_t toY, Combine combine) {
        if (!clipCopy(from, x, y, w, h, toX, toY))
            return;
        const QImage source = &from == this ? m_image.copy() : from.m_image;
        for (std::int64_t line = 0; line < h; ++line) {
            const QRgb* in =
                reinterpret_cast<const QRgb*>(source.constScanLine(static_cast<int>(y + line))) + x;
            QRgb* out = row(static_cast<int>(toY + line)) + toX;
            for (std::int64_t i = 0; i < w; ++i)
                out[i] = stored(combine(Straight(in[i]), Straight(out[i])));
        }
    }
    // Moves every pixel by (dx, dy); what nothing moves onto stays.
    void scroll(int dx, int dy);

    // A straight colour as this bitmap stores it, and back.
    std::uint32_t stored(std::uint32_t argb) const;
    static std::uint32_t Straight(std::uint32_t premultiplied);

private:
    // Clips a copy from a rectangle of another bitmap to (toX, toY) to both
    // bitmaps; false when nothing is left.
    bool clipCopy(const BitmapPixels& from, std::int64_t& x, std::int64_t& y, std::int64_t& w,
                  std::int64_t& h, std::int64_t& toX, std::int64_t& toY) const;
    QRgb* row(int y) { return reinterpret_cast<QRgb*>(m_image.scanLine(y)); }
    const QRgb* row(int y) const { return reinterpret_cast<const QRgb*>(m_image.constScanLine(y)); }

    QImage m_image;
    bool m_transparent;
};

// The shift of a channel in a pixel for BitmapData's channel flags (1 red,
// 2 green, 4 blue, 8 alpha), or -1 for anything else.
int ChannelShift(std::uint32_t flag);

} // namespace vidorama::swf::avm1
