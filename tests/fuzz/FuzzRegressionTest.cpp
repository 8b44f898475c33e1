// Every input a fuzz target ever broke, replayed through the same entry
// function without libFuzzer: each must now end quickly and cleanly (under
// the sanitizers, any bad memory access still fails the run). The targets'
// own seeds are replayed too: they are valid files, and an entry that refused
// them would leave its fuzzer nothing to work from.

#include "TempDir.h"
#include "entries/FuzzEntries.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <ostream>

namespace vidorama::fuzz {

void PrintTo(const FuzzEntry& entry, std::ostream* out) {
    *out << entry.name;
}

namespace {

namespace fs = std::filesystem;

// Far above what any input needs, far below a hang.
constexpr double kTimeLimitSeconds = 20;

enum class Expect { Anything, Acceptance };

// Runs every file of the folder through the entry; returns how many there were.
std::size_t Replay(const FuzzEntry& entry, const fs::path& folder, Expect expect) {
    std::size_t inputs = 0;
    for (const auto& file : fs::directory_iterator(folder)) {
        SCOPED_TRACE(file.path().string());
        std::string bytes = test::ReadWholeFile(file.path().string());
        auto start = std::chrono::steady_clock::now();
        bool accepted =
            entry.run(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took.count(), kTimeLimitSeconds);
        if (expect == Expect::Acceptance) {
            EXPECT_TRUE(accepted);
        }
        ++inputs;
    }
    return inputs;
}

class FuzzRegression : public testing::TestWithParam<FuzzEntry> {};

TEST_P(FuzzRegression, SavedInputsEndCleanly) {
    fs::path folder = fs::path(VIDORAMA_FUZZ_REGRESSIONS_DIR) / GetParam().name;
    if (!fs::is_directory(folder))
        GTEST_SKIP() << "no saved inputs for " << GetParam().name;
    EXPECT_GT(Replay(GetParam(), folder, Expect::Anything), 0u);
}

TEST_P(FuzzRegression, OwnSeedsAreAccepted) {
    fs::path folder = fs::path(VIDORAMA_FUZZ_SEEDS_DIR) / GetParam().name;
    if (!fs::is_directory(folder))
        GTEST_SKIP() << GetParam().name << " is seeded from the corpus only";
    EXPECT_GT(Replay(GetParam(), folder, Expect::Acceptance), 0u);
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzRegression, testing::ValuesIn(AllFuzzEntries()),
                         [](const testing::TestParamInfo<FuzzEntry>& target) {
                             return std::string(target.param.name);
                         });

} // namespace
} // namespace vidorama::fuzz
