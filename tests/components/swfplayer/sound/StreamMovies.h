#pragma once

#include "SwfWriter.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vidorama::test {

// A movie whose root timeline carries an uncompressed 11,025 Hz mono stream
// at 12 frames a second: each frame's block holds its share of the source
// (918 or 919 samples). Every block starts with a marker sample of 30,000 and
// is otherwise a quiet tone, so that where each frame's sound lands in the
// output can be found again.
struct MarkedStream {
    static constexpr double kFps = 12;
    static constexpr int kRate = 11025;
    static constexpr std::int16_t kMarker = 30000;

    explicit MarkedStream(std::size_t frames);
    Bytes movie() const;
    // Where block k starts in the source.
    std::size_t blockStart(std::size_t frame) const;

    std::size_t frames;
    std::vector<std::int16_t> source;
};

// Where each frame's marker lands in 44.1 kHz output, and how far that is
// from where the frame's block starts in the source (scaled to 44.1 kHz):
// the stream's drift, in sample frames, at the first and the worst frame.
struct DriftFigures {
    std::size_t markersFound = 0;
    long long firstOffset = 0;
    long long largestOffset = 0;
    long long smallestOffset = 0;
};
DriftFigures MeasureMarkers(const MarkedStream& stream, const std::vector<std::int16_t>& output);

// Writes bytes to a file; false when it cannot.
bool WriteFile(const std::string& path, const Bytes& bytes);

} // namespace vidorama::test
