#include "EncoderTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace vidorama::encoder::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vidorama-encoder-XXXXXX");
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    m_path = pattern;
}

// VIDORAMA_KEEP_TEST_OUTPUT keeps the files for a look with other tools.
TempDir::~TempDir() {
    if (std::getenv("VIDORAMA_KEEP_TEST_OUTPUT"))
        return;
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string TempDir::file(std::string_view name) const {
    return m_path + "/" + std::string(name);
}

std::int32_t codecNumber(IVideoEncoder& encoder, std::string_view fragment) {
    std::int32_t count = 0;
    encoder.GetVideoCodecCount(&count);
    for (std::int32_t number = 1; number <= count; ++number) {
        std::string name;
        if (encoder.SelectVideoCodec(number) == S_OK && encoder.GetVideoCodecName(&name) == S_OK &&
            name.find(fragment) != std::string::npos)
            return number;
    }
    return 0;
}

HRESULT configureAvi(IVideoEncoder& encoder, const ClipShape& clip, std::string_view codec,
                     const AudioSetup& audio) {
    const std::int32_t number = codecNumber(encoder, codec);
    if (number == 0)
        return E_FAIL;
    HRESULT hr = audio ? audio(encoder) : encoder.SetAviAudioPcm(44100, 2, 16);
    if (hr == S_OK)
        hr = encoder.SetVideoFormat(clip.width, clip.height, clip.frameRate);
    if (hr == S_OK)
        hr = encoder.SetAviVideoFormat(clip.width, clip.height, clip.frameRate);
    if (hr == S_OK)
        hr = encoder.SelectVideoCodec(number);
    if (hr == S_OK)
        hr = encoder.SetAudioInput(44100, 2);
    return hr;
}

bool fileExists(const std::string& path) {
    return std::filesystem::exists(path);
}

} // namespace vidorama::encoder::test
