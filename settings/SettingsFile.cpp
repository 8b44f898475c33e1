#include "settings/SettingsFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace vidorama {

namespace {

constexpr std::string_view kMagic = "SVF";
constexpr std::size_t kFolderOffset = 3;
constexpr std::size_t kFolderSlot = 260;
constexpr std::size_t kSlot = 8;

// The slots after the folder, in file order.
enum Slot {
    kOutputKind,
    kSizeMode,
    kHeight,
    kWidth,
    kAviCodec,
    kAudioFormat,
    kChannels,
    kMpegChannels,
    kMpegVersion,
    kWmvProfile,
    kRmProfile,
    kMpegFrameRate,
    kMpegVideoBitrate,
    kAviFrameRate,
    kMpegAudioBitrate,
    kSlotCount
};
static_assert(kFolderOffset + kFolderSlot + kSlotCount * kSlot == kSettingsFileSize);

constexpr std::size_t SlotOffset(Slot slot) {
    return kFolderOffset + kFolderSlot + static_cast<std::size_t>(slot) * kSlot;
}

// Number fields and text fields, each with its slot.
struct NumberField {
    Slot slot;
    int ConversionSettings::*field;
};
struct TextField {
    Slot slot;
    std::string ConversionSettings::*field;
};

constexpr NumberField kNumbers[] = {
    {kOutputKind, &ConversionSettings::outputKind},
    {kSizeMode, &ConversionSettings::sizeMode},
    {kHeight, &ConversionSettings::height},
    {kWidth, &ConversionSettings::width},
    {kAviCodec, &ConversionSettings::aviCodec},
    {kAudioFormat, &ConversionSettings::audioFormat},
    {kChannels, &ConversionSettings::channels},
    {kMpegChannels, &ConversionSettings::mpegChannels},
    {kMpegVersion, &ConversionSettings::mpegVersion},
    {kWmvProfile, &ConversionSettings::wmvProfile},
    {kRmProfile, &ConversionSettings::rmProfile},
};
constexpr TextField kTexts[] = {
    {kMpegFrameRate, &ConversionSettings::mpegFrameRate},
    {kMpegVideoBitrate, &ConversionSettings::mpegVideoBitrate},
    {kAviFrameRate, &ConversionSettings::aviFrameRate},
    {kMpegAudioBitrate, &ConversionSettings::mpegAudioBitrate},
};

// Copies at most limit bytes of text into the slot; the rest stays NUL.
void PutText(SettingsFileBytes& bytes, std::size_t offset, std::string_view text,
             std::size_t limit) {
    std::copy_n(text.begin(), std::min(text.size(), limit), bytes.begin() + offset);
}

// The text of a slot up to its first NUL, at most limit bytes.
std::string GetText(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t limit) {
    auto slot = bytes.subspan(offset, limit);
    auto end = std::find(slot.begin(), slot.end(), std::uint8_t{0});
    return std::string(slot.begin(), end);
}

int HexDigit(std::uint8_t c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The leading hexadecimal digits of the slot as a 32-bit pattern; eight digits
// at most, so it cannot overflow.
int GetNumber(std::span<const std::uint8_t> bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::uint8_t c : bytes.subspan(offset, kSlot)) {
        int digit = HexDigit(c);
        if (digit < 0)
            break;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return static_cast<int>(value);
}

} // namespace

SettingsFileBytes EncodeSettingsFile(const ConversionSettings& settings) {
    SettingsFileBytes bytes{};
    PutText(bytes, 0, kMagic, kMagic.size());
    // One byte of the folder's slot is kept for its terminator.
    if (settings.outputFolder.size() < kFolderSlot &&
        settings.outputFolder.find('\0') == std::string::npos)
        PutText(bytes, kFolderOffset, settings.outputFolder, kFolderSlot - 1);
    for (const NumberField& number : kNumbers) {
        char digits[kSlot + 1];
        std::snprintf(digits, sizeof digits, "%x", static_cast<unsigned>(settings.*number.field));
        PutText(bytes, SlotOffset(number.slot), digits, kSlot);
    }
    // A reader keeps seven characters of a text slot, so no more are written.
    for (const TextField& text : kTexts)
        PutText(bytes, SlotOffset(text.slot), settings.*text.field, kSlot - 1);
    return bytes;
}

std::optional<ConversionSettings> DecodeSettingsFile(std::span<const std::uint8_t> bytes,
                                                     const ConversionSettings& base) {
    if (bytes.size() != kSettingsFileSize ||
        std::memcmp(bytes.data(), kMagic.data(), kMagic.size()) != 0)
        return std::nullopt;
    ConversionSettings settings = base;
    settings.outputFolder = GetText(bytes, kFolderOffset, kFolderSlot);
    for (const NumberField& number : kNumbers)
        settings.*number.field = GetNumber(bytes, SlotOffset(number.slot));
    for (const TextField& text : kTexts)
        settings.*text.field = GetText(bytes, SlotOffset(text.slot), kSlot - 1);
    return settings;
}

} // namespace vidorama
