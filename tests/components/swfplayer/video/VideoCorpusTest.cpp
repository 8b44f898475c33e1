// The corpus's video cases drawn through the snapshot path: every pixel of
// the picture must be near the reference, as the conformance run counts them.

#include "CorpusManifest.h"
#include "SnapshotJob.h"
#include "movie/Movie.h"

#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

constexpr int kChannelTolerance = 16;
constexpr double kPassShare = 0.99;

double MatchingShare(const QImage& ours, const QImage& reference) {
    if (ours.size() != reference.size())
        return 0;
    long matching = 0;
    for (int y = 0; y < ours.height(); ++y)
        for (int x = 0; x < ours.width(); ++x) {
            QRgb a = ours.pixel(x, y), b = reference.pixel(x, y);
            int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
            matching += d <= kChannelTolerance ? 1 : 0;
        }
    return double(matching) / (double(ours.width()) * ours.height());
}

QImage OverWhite(const QImage& image) {
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter(&flat).drawImage(0, 0, image);
    return flat;
}

TEST(VideoCorpus, VideoCasesMatchTheirReferences) {
    const std::string corpus = VIDORAMA_CORPUS_DIR;
    int cases = 0;
    for (const ImageCase& c : ReadImageCases(corpus)) {
        if (c.group != "video")
            continue;
        ++cases;
        auto movie = swf::Movie::loadFile(corpus + "/" + c.caseDir + "/" + c.swf);
        ASSERT_TRUE(movie.ok()) << c.name();
        QImage reference =
            OverWhite(QImage(QString::fromStdString(corpus + "/" + c.caseDir + "/" + c.reference)));
        QImage ours = cli::RenderSnapshot(movie.value(), c.frames, c.width, c.height)
                          .convertToFormat(QImage::Format_RGB32);
        EXPECT_GE(MatchingShare(ours, reference), kPassShare) << c.name();
    }
    EXPECT_GT(cases, 0);
}

} // namespace
} // namespace vidorama::test
