#include "capture/SpoolFile.h"

#include "capture/FramePacking.h"
#include "capture/TempFiles.h"

#include <cstring>
#include <zlib.h>

namespace vidorama {

namespace {

void StoreInt32(std::uint8_t* at, std::int32_t value) {
    auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::int32_t LoadInt32(const std::uint8_t* at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | at[i];
    return static_cast<std::int32_t>(v);
}

} // namespace

std::FILE* CreateSpoolFile(std::string& path) {
    return CreateTempFile(kSpoolPrefix, path);
}

bool WriteVideoRecord(std::FILE* spool, std::uint8_t* packedFrameBuffer, std::size_t bufferSize,
                      std::int32_t frameSlot, const std::uint8_t* rawFrame, std::size_t rawLength) {
    std::size_t packedLength = 0;
    if (PackFrame(rawFrame, rawLength, packedFrameBuffer + kSpoolHeaderSize,
                  bufferSize - kSpoolHeaderSize, packedLength) != Z_OK)
        return false;
    StoreInt32(packedFrameBuffer, frameSlot);
    StoreInt32(packedFrameBuffer + 4, static_cast<std::int32_t>(packedLength));
    std::fwrite(packedFrameBuffer, 1, kSpoolHeaderSize + packedLength, spool);
    return true;
}

void WriteSoundRecord(std::FILE* spool, std::uint8_t* rawFrameBuffer, std::int32_t captureTimeMs,
                      const std::uint8_t* block) {
    StoreInt32(rawFrameBuffer, captureTimeMs);
    StoreInt32(rawFrameBuffer + 4, static_cast<std::int32_t>(kSoundBlockSize));
    std::memcpy(rawFrameBuffer + kSpoolHeaderSize, block, kSoundBlockSize);
    std::fwrite(rawFrameBuffer, 1, kSpoolHeaderSize + kSoundBlockSize, spool);
}

void WriteEndRecord(std::FILE* spool) {
    const std::uint8_t zeros[kSpoolHeaderSize] = {};
    std::fwrite(zeros, 1, sizeof zeros, spool);
}

bool SpoolReader::ReadRecord(std::uint8_t* buffer, std::int32_t& first, std::int32_t& length) {
    if (m_ended || !m_spool)
        return End();
    std::uint8_t header[kSpoolHeaderSize];
    if (std::fread(header, 1, sizeof header, m_spool) != sizeof header || std::feof(m_spool) ||
        std::ferror(m_spool))
        return End();
    first = LoadInt32(header);
    length = LoadInt32(header + 4);
    if (first == 0 && length == 0)
        return End();
    // A negative length or one larger than the receiving buffer cannot be a
    // record we wrote; reading it would run past the buffer.
    if (length < 0 || static_cast<std::size_t>(length) > m_bufferSize)
        return End();
    auto wanted = static_cast<std::size_t>(length);
    if (std::fread(buffer, 1, wanted, m_spool) != wanted || std::ferror(m_spool))
        return End();
    // A whole record counts even when the file ends right behind it: only
    // the end record is missing then, and the next header read ends the stream.
    return true;
}

bool SpoolReader::ReadVideo(std::uint8_t* packedBuffer, std::uint8_t* rawBuffer,
                            std::size_t rawLength, std::int32_t& frameSlot) {
    std::int32_t length = 0;
    if (!ReadRecord(packedBuffer, frameSlot, length))
        return false;
    std::size_t unpacked = 0;
    if (UnpackFrame(packedBuffer, static_cast<std::size_t>(length), rawBuffer, m_bufferSize,
                    unpacked) != Z_OK ||
        unpacked != rawLength)
        return End();
    return true;
}

bool SpoolReader::ReadSound(std::uint8_t* soundBuffer, std::int32_t& captureTimeMs) {
    std::int32_t length = 0;
    if (!ReadRecord(soundBuffer, captureTimeMs, length))
        return false;
    if (static_cast<std::size_t>(length) != kSoundBlockSize)
        return End();
    return true;
}

} // namespace vidorama
