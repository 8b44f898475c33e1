#include "FuzzEntries.h"

#include <array>

namespace vidorama::fuzz {

namespace {
constexpr std::array kEntries{
    FuzzEntry{"swf_reader", ReadSwfMovie},          FuzzEntry{"swf_player", PlaySwfMovie},
    FuzzEntry{"movie_probe", ProbeMovieHeader},     FuzzEntry{"spool_reader", ReadSpoolRecords},
    FuzzEntry{"settings_file", ReadSettingsRecord}, FuzzEntry{"avm1_actions", RunActionBytes},
    FuzzEntry{"abc_reader", ReadAbcBlock},          FuzzEntry{"abc_interpreter", RunAbcBlock},
};
} // namespace

std::span<const FuzzEntry> AllFuzzEntries() {
    return kEntries;
}

const FuzzEntry* FindFuzzEntry(std::string_view name) {
    for (const FuzzEntry& entry : kEntries)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

} // namespace vidorama::fuzz
