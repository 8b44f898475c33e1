#pragma once

#include "core/AviCodecCatalog.h"
#include "core/CodecOptions.h"
#include "core/EncoderSettings.h"
#include "core/OutputPlan.h"
#include "core/Status.h"
#include "core/StreamProfile.h"

namespace vidorama::encoder {

// Turns the configuration of one output kind into the container and streams
// to write, adapting what a codec cannot take: sizes are rounded up to the
// codec's multiple (the picture is scaled to fit), fixed formats replace the
// asked size and rate, and MPEG gets its nearest legal frame rate.
Status planAvi(const EncoderSettings& settings, const AviCodec& codec, const CodecOptions& options,
               OutputPlan& plan);
Status planMpeg(const EncoderSettings& settings, OutputPlan& plan);
Status planWmv(const EncoderSettings& settings, const StreamProfile& profile, OutputPlan& plan);
Status planRm(const EncoderSettings& settings, const StreamProfile& profile, OutputPlan& plan);

// FFmpeg's RealMedia muxer writes each video frame as one packet whose
// length field has 16 bits, less its own header.
inline constexpr std::size_t kRealMediaMaxVideoPacket = 65535 - 23;

} // namespace vidorama::encoder
