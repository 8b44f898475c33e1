// The libFuzzer entry of one fuzz target; VIDORAMA_FUZZ_TARGET names the
// entry it drives, so that every target shares this file.
#include "entries/FuzzEntries.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const vidorama::fuzz::FuzzEntry* entry =
        vidorama::fuzz::FindFuzzEntry(VIDORAMA_FUZZ_TARGET);
    if (!entry) {
        std::fprintf(stderr, "no fuzz entry named %s\n", VIDORAMA_FUZZ_TARGET);
        std::abort();
    }
    entry->run(std::span<const std::uint8_t>(data, size));
    return 0;
}
