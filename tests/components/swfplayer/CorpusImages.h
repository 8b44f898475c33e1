#pragma once

#include "CorpusManifest.h"

#include <QImage>
#include <memory>
#include <string>

namespace vidorama::swf {
class Movie;
}

namespace vidorama::test {

// A pixel matches when no channel differs by more than this; a case passes
// when at least kPassShare of its pixels match.
constexpr int kChannelTolerance = 16;
constexpr double kPassShare = 0.99;

// The share of pixels whose largest channel difference is within tolerance;
// 0 when the sizes differ. diff, when given, gets the failing pixels.
double MatchingShare(const QImage& ours, const QImage& reference, QImage* diff = nullptr);

// The case's reference picture, opaque: transparency shown over white, as a
// viewer would. Null when it cannot be read.
QImage ReferencePicture(const std::string& corpusDir, const ImageCase& c);

// The case drawn through the snapshot path at its size, frame and quality.
QImage RenderCase(const std::shared_ptr<const swf::Movie>& movie, const ImageCase& c);

} // namespace vidorama::test
