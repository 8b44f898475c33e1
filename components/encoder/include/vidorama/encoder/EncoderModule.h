#pragma once

#include "vidorama/encoder/IVideoEncoder.h"

// The encoder component is a shared module that the program loads at start-up
// and creates through this factory. It returns nullptr when the component
// cannot work (for example when its codec libraries are missing); the caller
// owns the result and deletes it.
#define VIDORAMA_ENCODER_FACTORY_SYMBOL "VidoramaCreateVideoEncoder"
#define VIDORAMA_ENCODER_MODULE_NAME "libvidorama-encoder.so"

extern "C" {
using VidoramaCreateVideoEncoderFn = vidorama::encoder::IVideoEncoder* (*)();
}
