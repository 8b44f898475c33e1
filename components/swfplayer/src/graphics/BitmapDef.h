#pragma once

#include "swf/Character.h"

#include <QImage>
#include <mutex>
#include <utility>
#include <vector>

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

    // The bitmap halved level times (level 0 is the bitmap itself), made on
    // first use and kept, since drawing a large bitmap small needs them at
    // every frame.
    QImage halved(int level) const;

private:
    QImage m_image;
    mutable std::mutex m_levelsGuard;
    mutable std::vector<QImage> m_levels;
};

} // namespace vidorama::swf
