#include "encode/EncoderComponent.h"

#include "ui/ComponentModules.h"
#include "vidorama/encoder/EncoderModule.h"

namespace vidorama {

std::unique_ptr<encoder::IVideoEncoder> CreateEncoderComponent(const QString& moduleDirectory) {
    auto factory = reinterpret_cast<VidoramaCreateVideoEncoderFn>(ResolveComponentFactory(
        moduleDirectory, VIDORAMA_ENCODER_MODULE_NAME, VIDORAMA_ENCODER_FACTORY_SYMBOL));
    return std::unique_ptr<encoder::IVideoEncoder>(factory ? factory() : nullptr);
}

} // namespace vidorama
