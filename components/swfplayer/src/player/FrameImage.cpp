#include "player/FrameImage.h"

#include "graphics/QPainterRenderer.h"
#include "player/DisplayTreeDrawer.h"
#include "player/Player.h"

#include <QImage>
#include <QPainter>

namespace vidorama::swf {

namespace {

void RenderPremultiplied(const Player& player, QImage& target) {
    QPainterRenderer renderer(target);
    DrawFrame(player, renderer, target.width(), target.height());
}

} // namespace

void DrawFrame(const Player& player, Renderer& renderer, int width, int height) {
    player.render(renderer, ExactFitView(player.movie().frameRect(), width, height));
}

void RenderFrame(const Player& player, QImage& target) {
    if (target.isNull())
        return;
    switch (target.format()) {
    case QImage::Format_ARGB32_Premultiplied:
        RenderPremultiplied(player, target);
        break;
    case QImage::Format_RGB32: {
        // The stage background is opaque, so every pixel ends with full alpha
        // and the premultiplied picture is also a valid RGB32 one: draw
        // straight into the caller's pixels.
        QImage view(target.bits(), target.width(), target.height(), target.bytesPerLine(),
                    QImage::Format_ARGB32_Premultiplied);
        RenderPremultiplied(player, view);
        break;
    }
    default: {
        QImage frame(target.size(), QImage::Format_ARGB32_Premultiplied);
        RenderPremultiplied(player, frame);
        QPainter painter(&target);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, frame);
        break;
    }
    }
}

} // namespace vidorama::swf
