#pragma once

#include "settings/ConversionSettings.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace vidorama {

// config.dat: a fixed record of 383 bytes that starts with "SVF". Numbers are
// kept as lowercase hexadecimal text of their 32-bit pattern (so -1 is
// "ffffffff"), texts as NUL-padded characters; every slot is 8 bytes except
// the 260 of the output folder.
inline constexpr std::size_t kSettingsFileSize = 383;
using SettingsFileBytes = std::array<std::uint8_t, kSettingsFileSize>;

// The record as written. A folder too long for its slot is written empty, so
// that loading falls back to the documents folder rather than to a cut path
// that may name another folder.
SettingsFileBytes EncodeSettingsFile(const ConversionSettings& settings);

// Reads a record from memory: nothing unless it is exactly 383 bytes long and
// starts with "SVF". Fields not stored in the file keep the values of base.
// The folder is returned as stored, unchecked. Safe for any input.
std::optional<ConversionSettings> DecodeSettingsFile(std::span<const std::uint8_t> bytes,
                                                     const ConversionSettings& base);

} // namespace vidorama
