#pragma once

#include "swf/Character.h"

#include <QImage>
#include <utility>

namespace vidorama::swf {

// A decoded bitmap character. Pixels are kept premultiplied
// (QImage::Format_ARGB32_Premultiplied), as the renderer consumes them.
class BitmapDef final : public CharacterDef {
public:
    BitmapDef(CharacterId id, QImage image)
        : CharacterDef(id, Kind::Bitmap), m_image(std::move(image)) {}

    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    const QImage& image() const { return m_image; }

private:
    QImage m_image;
};

} // namespace vidorama::swf
