#include "CorpusImages.h"

#include "SnapshotJob.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>

namespace vidorama::test {

double MatchingShare(const QImage& ours, const QImage& reference, QImage* diff) {
    if (ours.size() != reference.size())
        return 0;
    const QImage a = ours.convertToFormat(QImage::Format_RGB32);
    const QImage b = reference.convertToFormat(QImage::Format_RGB32);
    if (diff)
        *diff = QImage(a.size(), QImage::Format_RGB32);
    long matching = 0;
    for (int y = 0; y < a.height(); ++y) {
        auto* left = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        auto* right = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            int d = std::max({std::abs(qRed(left[x]) - qRed(right[x])),
                              std::abs(qGreen(left[x]) - qGreen(right[x])),
                              std::abs(qBlue(left[x]) - qBlue(right[x]))});
            matching += d <= kChannelTolerance ? 1 : 0;
            if (diff)
                diff->setPixel(x, y, d <= kChannelTolerance ? qRgb(0, 0, 0) : qRgb(255, 0, 255));
        }
    }
    return double(matching) / (double(a.width()) * a.height());
}

QImage ReferencePicture(const std::string& corpusDir, const ImageCase& c) {
    QImage image(QString::fromStdString(corpusDir + "/" + c.caseDir + "/" + c.reference));
    if (image.isNull() || !image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter(&flat).drawImage(0, 0, image);
    return flat;
}

QImage RenderCase(const std::shared_ptr<const swf::Movie>& movie, const ImageCase& c) {
    return cli::RenderSnapshot(movie, c.frames, c.width, c.height, c.quality)
        .convertToFormat(QImage::Format_RGB32);
}

} // namespace vidorama::test
