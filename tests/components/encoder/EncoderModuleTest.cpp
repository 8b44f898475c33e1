// The module as the program loads it: by file name, through its factory.

#include "vidorama/encoder/EncoderModule.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <memory>

namespace vidorama::encoder {
namespace {

TEST(EncoderModule, FactoryCreatesAWorkingEncoder) {
    void* module = dlopen(VIDORAMA_ENCODER_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto create = reinterpret_cast<VidoramaCreateVideoEncoderFn>(
        dlsym(module, VIDORAMA_ENCODER_FACTORY_SYMBOL));
    ASSERT_NE(create, nullptr) << dlerror();
    {
        std::unique_ptr<IVideoEncoder> encoder(create());
        ASSERT_NE(encoder, nullptr);
        std::int32_t codecs = 0;
        EXPECT_EQ(encoder->GetVideoCodecCount(&codecs), S_OK);
        EXPECT_GT(codecs, 0);
        EXPECT_EQ(encoder->CloseOutput(), S_OK);
    }
    EXPECT_EQ(dlclose(module), 0);
}

TEST(EncoderModule, FileNameIsTheOneTheProgramLooksFor) {
    const std::string path = VIDORAMA_ENCODER_MODULE_PATH;
    EXPECT_EQ(path.substr(path.rfind('/') + 1), VIDORAMA_ENCODER_MODULE_NAME);
}

} // namespace
} // namespace vidorama::encoder
