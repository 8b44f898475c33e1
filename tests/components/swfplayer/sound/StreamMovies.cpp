#include "StreamMovies.h"

#include "SignalAnalysis.h"
#include "SwfSoundWriter.h"

#include <algorithm>
#include <fstream>

namespace vidorama::test {

MarkedStream::MarkedStream(std::size_t frameCount)
    : frames(frameCount), source(Tone(200, 0.1, kRate, std::size_t(frameCount * kRate / kFps), 1)) {
    for (std::size_t k = 0; k < frames; ++k)
        source[blockStart(k)] = kMarker;
}

std::size_t MarkedStream::blockStart(std::size_t frame) const {
    return static_cast<std::size_t>(double(frame) * kRate / kFps);
}

Bytes MarkedStream::movie() const {
    MovieWriter writer;
    writer.frameRate = kFps;
    writer.tag(
        tags::SoundStreamHead({tags::Codec::LittleEndian, tags::Rate::k11, true, false}, 919));
    for (std::size_t k = 0; k < frames; ++k) {
        std::size_t end = k + 1 < frames ? blockStart(k + 1) : source.size();
        auto block =
            std::span<const std::int16_t>(source).subspan(blockStart(k), end - blockStart(k));
        writer.frame({tags::SoundStreamBlock(tags::PcmBytes(block))});
    }
    return writer.bytes();
}

DriftFigures MeasureMarkers(const MarkedStream& stream, const std::vector<std::int16_t>& output) {
    DriftFigures figures;
    constexpr std::size_t kScale = 44100 / MarkedStream::kRate;
    std::size_t k = 0;
    for (std::size_t i = 0; i < output.size() / 2 && k < stream.frames; ++i) {
        if (output[2 * i] != MarkedStream::kMarker || (i > 0 && output[2 * i - 2] == output[2 * i]))
            continue;
        long long offset =
            static_cast<long long>(i) - static_cast<long long>(kScale * stream.blockStart(k));
        if (k == 0)
            figures.firstOffset = figures.largestOffset = figures.smallestOffset = offset;
        figures.largestOffset = std::max(figures.largestOffset, offset);
        figures.smallestOffset = std::min(figures.smallestOffset, offset);
        ++figures.markersFound;
        ++k;
    }
    return figures;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

} // namespace vidorama::test
