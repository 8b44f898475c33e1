#pragma once

#include "graphics/BitmapDef.h"
#include "graphics/QPainterRenderer.h"

#include <QImage>
#include <map>
#include <memory>

namespace vidorama::test {

// Bitmaps by id for renderer tests.
class TestBitmaps final : public swf::BitmapSource {
public:
    void add(std::shared_ptr<const swf::BitmapDef> bitmap) { m_bitmaps[bitmap->id()] = bitmap; }
    const swf::BitmapDef* bitmap(swf::CharacterId id) const override {
        auto it = m_bitmaps.find(id);
        return it == m_bitmaps.end() ? nullptr : it->second.get();
    }

private:
    std::map<swf::CharacterId, std::shared_ptr<const swf::BitmapDef>> m_bitmaps;
};

// A small target cleared to a background, with the renderer that draws on
// it. Shapes are drawn at one twip per 1/20 pixel unless a matrix says else.
struct Canvas {
    explicit Canvas(int width, int height, swf::Rgba background = {255, 255, 255, 255},
                    swf::StageQuality quality = swf::StageQuality::High)
        : image(width, height, QImage::Format_ARGB32_Premultiplied), renderer(image) {
        renderer.beginFrame(background, quality, bitmaps);
    }
    QRgb at(int x, int y) const { return image.pixel(x, y); }

    static swf::Matrix pixels() { return swf::Matrix::scale(1 / 20.0, 1 / 20.0); }

    TestBitmaps bitmaps;
    QImage image;
    swf::QPainterRenderer renderer;
};

} // namespace vidorama::test
