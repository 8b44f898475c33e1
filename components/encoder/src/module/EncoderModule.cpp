#include "vidorama/encoder/EncoderModule.h"

#include "core/FfmpegVideoEncoder.h"
#include "dialog/DialogCodecConfigurator.h"

extern "C" {
#include <libavutil/log.h>
}

#include <memory>
#include <new>

using vidorama::encoder::DialogCodecConfigurator;
using vidorama::encoder::FfmpegVideoEncoder;
using vidorama::encoder::IVideoEncoder;

// The component cannot work when FFmpeg offers none of its AVI codecs; the
// program then tells the user that video components are missing.
extern "C" __attribute__((visibility("default"))) IVideoEncoder* VidoramaCreateVideoEncoder() {
    // FFmpeg's progress chatter (x264's statistics and the like) has no
    // reader in a desktop program; failures come back as statuses.
    av_log_set_level(AV_LOG_ERROR);
    try {
        auto encoder =
            std::make_unique<FfmpegVideoEncoder>(std::make_unique<DialogCodecConfigurator>());
        std::int32_t codecs = 0;
        if (encoder->GetVideoCodecCount(&codecs) != vidorama::encoder::S_OK || codecs == 0)
            return nullptr;
        return encoder.release();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
