#pragma once

#include "vidorama/encoder/IVideoEncoder.h"

#include <QString>
#include <memory>

namespace vidorama {

// Creates the encoder component from its installed module, or nullptr when the
// module is missing or cannot make an encoder.
std::unique_ptr<encoder::IVideoEncoder> CreateEncoderComponent(const QString& moduleDirectory);

} // namespace vidorama
