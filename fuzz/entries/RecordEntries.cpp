#include "FuzzEntries.h"
#include "capture/SpoolFile.h"
#include "settings/SettingsFile.h"

#include <cstdio>
#include <vector>

namespace vidorama::fuzz {

namespace {

// The encode pass reads with buffers of kWorkBufferSize; a smaller buffer
// keeps each run fast and still lets records be too large for it.
constexpr std::size_t kBufferSize = 1u << 16;
// The frame every video record must unpack to: 16 x 12 pixels of 4 bytes.
constexpr std::size_t kFrameBytes = 16 * 12 * 4;

// Reads records until the reader ends the stream; returns how many it took.
int ReadAllRecords(std::span<const std::uint8_t> data, bool sound) {
    std::FILE* spool = fmemopen(const_cast<std::uint8_t*>(data.data()), data.size(), "rb");
    if (!spool)
        return 0;
    SpoolReader reader(spool, kBufferSize);
    std::vector<std::uint8_t> packed(kBufferSize), raw(kBufferSize);
    std::int32_t stamp = 0;
    int records = 0;
    while (sound ? reader.ReadSound(packed.data(), stamp)
                 : reader.ReadVideo(packed.data(), raw.data(), kFrameBytes, stamp))
        ++records;
    std::fclose(spool);
    return records;
}

} // namespace

bool ReadSpoolRecords(std::span<const std::uint8_t> data) {
    // The same bytes are read once as a video spool and once as a sound
    // spool, so that seeds of either kind reach both readers.
    int video = ReadAllRecords(data, false);
    int sound = ReadAllRecords(data, true);
    return video + sound > 0;
}

bool ReadSettingsRecord(std::span<const std::uint8_t> data) {
    return DecodeSettingsFile(data, ConversionSettings{}).has_value();
}

} // namespace vidorama::fuzz
