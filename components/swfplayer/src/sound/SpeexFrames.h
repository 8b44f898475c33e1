#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace vidorama::swf {

// Speex data in a movie is a run of wideband frames that need not end on
// byte boundaries, while FFmpeg's Speex decoder takes one frame a packet. The
// frames are found from their mode fields (each mode has a fixed size) and
// each is handed on as a packet of its own, ending as a Speex packet ends. A
// frame that is padded to a byte boundary is recognised too. Damaged data, or
// the callback returning false, ends the run.
void ForEachSpeexFrame(std::span<const std::uint8_t> data,
                       const std::function<bool(std::span<const std::uint8_t>)>& frame);

} // namespace vidorama::swf
