#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace vidorama {

// Spool files carry captured frames and sound from the capture to the encode
// pass. Each is a plain run of records: two little-endian int32 (the slot or
// time, then the data length) followed by the data, closed by an end record of
// eight zero bytes.
inline constexpr std::size_t kSpoolHeaderSize = 8;
inline constexpr std::size_t kSoundBlockSize = 8192;
inline constexpr char kSpoolPrefix[] = "~VID";

// Creates a new spool file in the temporary folder. On success fills path and
// returns the stream, open for writing from offset 0; otherwise returns
// nullptr with path empty.
std::FILE* CreateSpoolFile(std::string& path);

// Packs the raw frame into packedFrameBuffer behind the header and writes the
// record with one write. Returns false, writing nothing, when packing fails.
bool WriteVideoRecord(std::FILE* spool, std::uint8_t* packedFrameBuffer, std::size_t bufferSize,
                      std::int32_t frameSlot, const std::uint8_t* rawFrame, std::size_t rawLength);

// Assembles header and block in rawFrameBuffer and writes them with one write.
void WriteSoundRecord(std::FILE* spool, std::uint8_t* rawFrameBuffer, std::int32_t captureTimeMs,
                      const std::uint8_t* block);

void WriteEndRecord(std::FILE* spool);

// Reads spool records back, ending the stream for good at the first record
// that is missing, short, malformed or too large for its buffer.
class SpoolReader {
public:
    SpoolReader(std::FILE* spool, std::size_t bufferSize)
        : m_spool(spool), m_bufferSize(bufferSize) {}

    // Reads one video record: the packed data into packedBuffer, the frame
    // inflated into rawBuffer, which must come out at exactly rawLength.
    bool ReadVideo(std::uint8_t* packedBuffer, std::uint8_t* rawBuffer, std::size_t rawLength,
                   std::int32_t& frameSlot);
    // Reads one sound record of exactly kSoundBlockSize bytes into soundBuffer.
    bool ReadSound(std::uint8_t* soundBuffer, std::int32_t& captureTimeMs);

    bool Ended() const { return m_ended; }

private:
    // Reads the header and the data into buffer; false ends the stream.
    bool ReadRecord(std::uint8_t* buffer, std::int32_t& first, std::int32_t& length);
    bool End() {
        m_ended = true;
        return false;
    }

    std::FILE* m_spool;
    std::size_t m_bufferSize;
    bool m_ended = false;
};

} // namespace vidorama
