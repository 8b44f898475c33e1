#include "app/layout/StartupPicture.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace vidorama {

namespace {

constexpr int kWidth = 554;
constexpr int kHeight = 307;
constexpr int kStripHeight = 34;
constexpr int kHoleWidth = 14;
constexpr int kHoleHeight = 10;
constexpr int kHolePitch = 26;

// A strip of film across the picture, with its sprocket holes.
void DrawFilmStrip(QPainter& painter, int top) {
    painter.fillRect(QRect(0, top, kWidth, kStripHeight), QColor(24, 24, 28));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(226, 226, 218));
    for (int x = 6; x < kWidth; x += kHolePitch) {
        painter.drawRoundedRect(QRect(x, top + 4, kHoleWidth, kHoleHeight), 2, 2);
        painter.drawRoundedRect(
            QRect(x, top + kStripHeight - 4 - kHoleHeight, kHoleWidth, kHoleHeight), 2, 2);
    }
}

// A round play mark: the movie goes in, a video comes out.
void DrawPlayMark(QPainter& painter, QPointF centre, qreal radius) {
    painter.setPen(QPen(QColor(255, 255, 255, 220), 4));
    painter.setBrush(QColor(255, 255, 255, 40));
    painter.drawEllipse(centre, radius, radius);
    QPainterPath triangle;
    triangle.moveTo(centre + QPointF(-radius * 0.35, -radius * 0.5));
    triangle.lineTo(centre + QPointF(radius * 0.55, 0));
    triangle.lineTo(centre + QPointF(-radius * 0.35, radius * 0.5));
    triangle.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 230));
    painter.drawPath(triangle);
}

void DrawTitle(QPainter& painter, const QRect& area) {
    QFont title(QStringLiteral("DejaVu Sans"), 1, QFont::Bold);
    title.setPixelSize(46);
    painter.setFont(title);
    painter.setPen(QColor(255, 255, 255));
    painter.drawText(area.adjusted(0, 0, 0, -area.height() / 2), Qt::AlignLeft | Qt::AlignBottom,
                     QStringLiteral("Vidorama"));
    QFont subtitle(QStringLiteral("DejaVu Sans"), 1);
    subtitle.setPixelSize(17);
    painter.setFont(subtitle);
    painter.setPen(QColor(214, 232, 240));
    painter.drawText(area.adjusted(2, area.height() / 2 + 6, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("Flash movies to video files"));
}

} // namespace

QImage MakeStartupPicture() {
    QImage picture(kWidth, kHeight, QImage::Format_RGB888);
    if (picture.isNull())
        return picture;
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0, QColor(18, 58, 96));
    sky.setColorAt(1, QColor(30, 128, 140));
    painter.fillRect(picture.rect(), sky);
    DrawFilmStrip(painter, 16);
    DrawFilmStrip(painter, kHeight - 16 - kStripHeight);
    DrawPlayMark(painter, QPointF(140, kHeight / 2.0), 58);
    DrawTitle(painter, QRect(224, 90, 310, 120));
    return picture;
}

} // namespace vidorama
