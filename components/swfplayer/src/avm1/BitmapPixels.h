#pragma once

#include <QImage>
#include <cstdint>

namespace vidorama::swf::avm1 {

// The pixels of a script-made bitmap (BitmapData), kept premultiplied as
// Flash keeps them: a colour with partial alpha reads back with the
// precision premultiplying leaves it. Colours in and out of the class are
// straight 0xAARRGGBB; coordinates outside the bitmap are ignored.
class BitmapPixels {
public:
    BitmapPixels(int width, int height, bool transparent, std::uint32_t fill);

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
    // Fills the four-way connected area of the colour at (x, y).
    void floodFill(int x, int y, std::uint32_t argb);
    // Copies a rectangle of another bitmap (or this one) to (toX, toY), both
    // clipped to their bitmaps.
    void copyPixels(const BitmapPixels& from, std::int64_t x, std::int64_t y, std::int64_t w,
                    std::int64_t h, std::int64_t toX, std::int64_t toY);

    // A straight colour as this bitmap stores it, and back.
    std::uint32_t stored(std::uint32_t argb) const;
    static std::uint32_t Straight(std::uint32_t premultiplied);

private:
    QRgb* row(int y) { return reinterpret_cast<QRgb*>(m_image.scanLine(y)); }
    const QRgb* row(int y) const { return reinterpret_cast<const QRgb*>(m_image.constScanLine(y)); }

    QImage m_image;
    bool m_transparent;
};

} // namespace vidorama::swf::avm1
