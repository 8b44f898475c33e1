#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vidorama::fuzz {

// One reader of outside data as the fuzzers and the regression tests drive it.
// run() takes any bytes at all and must come back, quickly and without
// touching memory it does not own; it returns true when the input was
// accepted and false when it was refused.
struct FuzzEntry {
    std::string_view name;
    bool (*run)(std::span<const std::uint8_t> data);
};

// The SWF reader: signature, decompression, every tag parser, the dictionary.
bool ReadSwfMovie(std::span<const std::uint8_t> data);
// The reader followed by a few frames of play, each drawn at a small size
// with its sound mixed.
bool PlaySwfMovie(std::span<const std::uint8_t> data);
// The ActionScript 3 block reader on its own.
bool ReadAbcBlock(std::span<const std::uint8_t> data);
// A block that reads, run as the only script of a small movie for a few
// frames.
bool RunAbcBlock(std::span<const std::uint8_t> data);
// ActionScript 1/2 bytes run by the interpreter: the bytes after the first
// (which picks the SWF version) are the actions of every frame of a small
// movie, on its main timeline and on a clip.
bool RunActionBytes(std::span<const std::uint8_t> data);
// The header probe the program runs before it opens a movie.
bool ProbeMovieHeader(std::span<const std::uint8_t> data);
// The spool-file reader of the encode pass, as video and as sound records.
bool ReadSpoolRecords(std::span<const std::uint8_t> data);
// The config.dat reader.
bool ReadSettingsRecord(std::span<const std::uint8_t> data);

// Every entry, under the name of its fuzz target and regression folder.
std::span<const FuzzEntry> AllFuzzEntries();
// The entry of that name, or nullptr.
const FuzzEntry* FindFuzzEntry(std::string_view name);

} // namespace vidorama::fuzz
