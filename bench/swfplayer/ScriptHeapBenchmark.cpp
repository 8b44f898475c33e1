// Prints how many ActionScript 3 objects stay alive while a movie makes
// garbage every frame, next to a movie that keeps every object it makes,
// measured in the same run: objects made, the most alive after a
// collection, their estimated bytes, and the time per frame.
// Usage: vidorama_script_heap_bench [FRAMES]

#include "player/Player.h"
#include "swf/Avm2DocumentMovie.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace vidorama;
using Clock = std::chrono::steady_clock;

// Objects each frame makes: four each round.
constexpr std::uint16_t kRoundsPerFrame = 2500;

void Run(const char* label, test::avm2movie::DocumentMovie& document, int frames) {
    swf::Player player(document.movie());
    auto start = Clock::now();
    for (int i = 0; i < frames; ++i)
        player.advanceFrame();
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    swf::avm2::HeapFigures heap = player.scriptHeap();
    std::string limits = player.limitsReached().describe();
    std::printf("%-8s %10llu made %9zu peak live (%5.1f %%) %8.1f MB peak live %6llu collections "
                "%7.3f ms/frame%s%s\n",
                label, static_cast<unsigned long long>(heap.objectsMade), heap.peakObjects,
                heap.objectsMade ? 100.0 * double(heap.peakObjects) / double(heap.objectsMade) : 0,
                double(heap.peakLiveBytes) / (1024 * 1024),
                static_cast<unsigned long long>(heap.collections), ms / frames,
                limits.empty() ? "" : " | ", limits.c_str());
}

} // namespace

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::atoi(argv[1]) : 300;
    if (frames <= 0)
        frames = 300;
    std::printf("ActionScript 3 heap over %d frames, %d objects made a frame\n", frames,
                4 * kRoundsPerFrame);
    test::avm2movie::DocumentMovie garbage;
    garbage.makeGarbage(garbage.tick, kRoundsPerFrame);
    Run("garbage", garbage, frames);
    test::avm2movie::DocumentMovie keeper;
    keeper.keepObjects(keeper.tick, 4 * kRoundsPerFrame);
    Run("keeper", keeper, frames);
    return 0;
}
