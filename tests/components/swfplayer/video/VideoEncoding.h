#pragma once

#include <QImage>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vidorama::test {

using Bytes = std::vector<std::uint8_t>;

// Pictures coded by one of FFmpeg's encoders, one packet a picture, to build
// movies with embedded video in tests. Every keyframeInterval-th picture is
// a keyframe; the rest refer to the one before. Nothing when the encoder is
// missing.
std::optional<std::vector<Bytes>>
EncodeVideo(const std::string& encoder, const std::vector<QImage>& pictures, int keyframeInterval);

} // namespace vidorama::test
