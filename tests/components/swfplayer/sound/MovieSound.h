#pragma once

#include "SwfWriter.h"
#include "player/Player.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vidorama::test {

// Loads a movie built in a test (or a file) and plays it on the manual clock,
// as the command-line converter does: each frame's sound is pulled after the
// frame has been entered.
std::unique_ptr<swf::Player> LoadPlayer(const Bytes& movie);
std::unique_ptr<swf::Player> LoadPlayerFile(const std::string& path);

// The sound of the first `frames` frames, frame by frame, interleaved stereo.
std::vector<std::int16_t> PlayFrames(swf::Player& player, std::uint64_t frames);

// Where frame k (0-based) starts in the output of a movie at that rate.
std::size_t FrameStart(double framesPerSecond, std::uint64_t frame);

} // namespace vidorama::test
