#pragma once

#include <cstddef>
#include <cstdint>

namespace vidorama::swf::avm2 {

// The ActionScript 3 heap as its collections found it: the objects alive
// after the last one, the most alive after any, with estimates of their
// bytes, how many collections ran and how many objects were made in all.
struct HeapFigures {
    std::size_t liveObjects = 0;
    std::uint64_t liveBytes = 0;
    std::size_t peakObjects = 0;
    std::uint64_t peakLiveBytes = 0;
    std::uint64_t collections = 0;
    std::uint64_t objectsMade = 0;
};

} // namespace vidorama::swf::avm2
