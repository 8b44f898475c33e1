#pragma once

#include "ClipWriter.h"
#include "vidorama/encoder/IVideoEncoder.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vidorama::encoder::test {

// A fresh folder under the system's temporary folder, removed with its
// content when the test ends.
class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    std::string file(std::string_view name) const;
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// The number (from 1) of the first codec whose name contains fragment, or 0.
std::int32_t codecNumber(IVideoEncoder& encoder, std::string_view fragment);

// Configures an AVI output the way the program does, with the first codec
// whose name contains codec and the given sound format (16-bit PCM stereo
// when none is given).
using AudioSetup = std::function<HRESULT(IVideoEncoder&)>;
HRESULT configureAvi(IVideoEncoder& encoder, const ClipShape& clip, std::string_view codec,
                     const AudioSetup& audio = {});

bool fileExists(const std::string& path);

} // namespace vidorama::encoder::test
