#include "core/AviCodecCatalog.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/macros.h>
}

namespace vidorama::encoder {

namespace {

constexpr QualityRange kQuantizer{QualityScale::Quantizer, 1, 31};
constexpr QualityRange kRateFactor{QualityScale::RateFactor, 0, 51};

AviCodec makeCodec(std::string name, std::string encoder, AVPixelFormat format, std::uint32_t tag,
                   int multiple) {
    AviCodec codec;
    codec.name = std::move(name);
    codec.encoderName = std::move(encoder);
    codec.pixelFormat = format;
    codec.codecTag = tag;
    codec.sizeMultiple = multiple;
    return codec;
}

CodecCapabilities rateAndQuality(QualityRange range) {
    return CodecCapabilities{true, range, true, {}};
}

CodecCapabilities keyFramesOnly() {
    return CodecCapabilities{false, std::nullopt, true, {}};
}

CodecOptions quantizerDefaults(int quantizer) {
    return CodecOptions{RateControl::Quality, 1500, quantizer, 100, {}};
}

AviCodec mpeg4Family(std::string name, std::string encoder, std::uint32_t tag) {
    AviCodec codec = makeCodec(std::move(name), std::move(encoder), AV_PIX_FMT_YUV420P, tag, 2);
    codec.capabilities = rateAndQuality(kQuantizer);
    codec.defaults = quantizerDefaults(3);
    return codec;
}

AviCodec h264() {
    AviCodec codec =
        makeCodec("H.264 (libx264)", "libx264", AV_PIX_FMT_YUV420P, MKTAG('H', '2', '6', '4'), 2);
    codec.capabilities = rateAndQuality(kRateFactor);
    codec.capabilities.presets = {"ultrafast", "superfast", "veryfast", "faster",  "fast",
                                  "medium",    "slow",      "slower",   "veryslow"};
    // The encode pass keeps the user waiting; "veryfast" writes H.264 about
    // three times as fast as x264's "medium" at a small cost in size, and
    // the dialog offers the slower presets.
    codec.defaults = CodecOptions{RateControl::Quality, 2000, 20, 250, "veryfast"};
    codec.threadCount = 0;
    return codec;
}

AviCodec motionJpeg() {
    AviCodec codec =
        makeCodec("Motion JPEG", "mjpeg", AV_PIX_FMT_YUVJ420P, MKTAG('M', 'J', 'P', 'G'), 2);
    codec.capabilities = CodecCapabilities{true, kQuantizer, false, {}};
    codec.defaults = quantizerDefaults(3);
    return codec;
}

AviCodec withKeyFrames(std::string name, std::string encoder, AVPixelFormat format, int multiple,
                       int interval) {
    AviCodec codec = makeCodec(std::move(name), std::move(encoder), format, 0, multiple);
    codec.capabilities = keyFramesOnly();
    codec.defaults.keyFrameInterval = interval;
    return codec;
}

AviCodec plain(std::string name, std::string encoder, AVPixelFormat format, int multiple) {
    return makeCodec(std::move(name), std::move(encoder), format, 0, multiple);
}

std::vector<AviCodec> allAviCodecs() {
    std::vector<AviCodec> codecs;
    codecs.push_back(mpeg4Family("Xvid MPEG-4 (libxvid)", "libxvid", MKTAG('X', 'V', 'I', 'D')));
    codecs.push_back(
        mpeg4Family("MPEG-4 part 2 (DivX compatible)", "mpeg4", MKTAG('F', 'M', 'P', '4')));
    codecs.push_back(
        mpeg4Family("Microsoft MPEG-4 v2 compatible", "msmpeg4v2", MKTAG('M', 'P', '4', '2')));
    codecs.push_back(mpeg4Family("Microsoft MPEG-4 v3 compatible (DivX 3)", "msmpeg4",
                                 MKTAG('D', 'I', 'V', '3')));
    AviCodec video1 =
        withKeyFrames("Microsoft Video 1 compatible", "msvideo1", AV_PIX_FMT_RGB555LE, 4, 30);
    video1.keyFrameField = KeyFrameField::MinInterval;
    codecs.push_back(video1);
    codecs.push_back(motionJpeg());
    codecs.push_back(h264());
    codecs.push_back(withKeyFrames("FFV1 (lossless)", "ffv1", AV_PIX_FMT_BGR0, 1, 30));
    codecs.push_back(plain("HuffYUV (lossless)", "huffyuv", AV_PIX_FMT_BGRA, 1));
    codecs.push_back(withKeyFrames("Cinepak", "cinepak", AV_PIX_FMT_RGB24, 4, 30));
    AviCodec raw = plain("Uncompressed RGB (24-bit)", "rawvideo", AV_PIX_FMT_BGR24, 4);
    raw.keepBottomUpRows = true;
    codecs.push_back(raw);
    AviCodec dv = plain("DV video (PAL 720 x 576, MainConcept DV compatible)", "dvvideo",
                        AV_PIX_FMT_YUV420P, 1);
    dv.fixedFormat = FixedVideoFormat{720, 576, AVRational{25, 1}};
    codecs.push_back(dv);
    return codecs;
}

} // namespace

std::vector<AviCodec> availableAviCodecs() {
    std::vector<AviCodec> available;
    for (AviCodec& codec : allAviCodecs()) {
        if (avcodec_find_encoder_by_name(codec.encoderName.c_str()))
            available.push_back(std::move(codec));
    }
    return available;
}

} // namespace vidorama::encoder
