// Damaged movies made from the corpus, through the two doors by which files
// enter the program: the command line's snapshot job and the header probe.
// Each must end every file in time with a picture or a clean error.

#include "BrokenFiles.h"
#include "IsolatedRun.h"
#include "SnapshotJob.h"
#include "TempDir.h"
#include "flash/MovieProbe.h"

#include <QImage>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <map>

namespace vidorama::test {
namespace {

// 9 movies of 36 variants each: 324 files, about 20 seconds under the
// sanitizers.
constexpr std::size_t kSourceMovies = 9;
constexpr std::uintmax_t kMaxSourceBytes = 256 * 1024;
constexpr std::uint32_t kSeed = 20240901;
// Generous for a loaded machine running the sanitizers; a sound run takes a
// fraction of a second.
constexpr double kTimeLimitSeconds = 30;
constexpr int kSnapshotFrames = 3;
constexpr std::uint32_t kMaxMovieSide = 4096;

// The snapshot job as the command line runs it, at the movie's own size.
// Accepts with a readable picture, refuses with one line of error; anything
// else is a fault and ends the child as a crash.
bool SnapshotJob(const std::string& input, const std::string& output) {
    const std::vector<std::string> args = {"--snapshot", std::to_string(kSnapshotFrames), "-o",
                                           output, input};
    auto parsed = cli::ParseConvertOptions(args);
    if (!parsed.options)
        std::abort();
    std::string error = cli::RunSnapshotJob(*parsed.options);
    if (error.empty()) {
        if (QImage(QString::fromStdString(output)).isNull()) {
            std::fprintf(stderr, "the job succeeded without a picture\n");
            std::abort();
        }
        return true;
    }
    if (error.find('\n') != std::string::npos) {
        std::fprintf(stderr, "unclear error: %s\n", error.c_str());
        std::abort();
    }
    return false;
}

bool ProbeJob(const std::string& input) {
    MovieProbe probe;
    return ProbeMovieFile(input, kMaxMovieSide, kMaxMovieSide, probe);
}

struct Tally {
    std::map<IsolatedResult::Outcome, int> counts;
    double slowestSeconds = 0;
    long peakMemoryKb = 0;
    std::vector<std::string> faults;

    void add(const std::string& name, const IsolatedResult& result) {
        ++counts[result.outcome];
        slowestSeconds = std::max(slowestSeconds, result.seconds);
        peakMemoryKb = std::max(peakMemoryKb, result.peakMemoryKb);
        if (result.outcome == IsolatedResult::Outcome::Crashed ||
            result.outcome == IsolatedResult::Outcome::TimedOut)
            faults.push_back(name + ": " + OutcomeName(result.outcome) + " " + result.detail);
    }
    int count(IsolatedResult::Outcome outcome) const {
        auto found = counts.find(outcome);
        return found == counts.end() ? 0 : found->second;
    }
    void print(const char* door, const char* accepted, const char* refused) const {
        std::cout << door << ": " << count(IsolatedResult::Outcome::Accepted) << " " << accepted
                  << ", " << count(IsolatedResult::Outcome::Refused) << " " << refused << ", "
                  << count(IsolatedResult::Outcome::Crashed) << " crashes, "
                  << count(IsolatedResult::Outcome::TimedOut) << " hangs; slowest "
                  << slowestSeconds << " s, peak " << peakMemoryKb / 1024 << " MB\n";
    }
};

TEST(BrokenFileSuite, EveryDamagedMovieEndsInAPictureOrACleanError) {
    std::vector<std::string> sources =
        PickCorpusMovies(VIDORAMA_CORPUS_DIR, kSourceMovies, kMaxSourceBytes);
    if (sources.empty())
        GTEST_SKIP() << "no corpus at " << VIDORAMA_CORPUS_DIR;

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // The probe's temporary files go to this test's own folder.
    std::string tempFolder = dir.filePath("tmp").toStdString();
    std::filesystem::create_directory(tempFolder);
    setenv("TMPDIR", tempFolder.c_str(), 1);

    Tally snapshots, probes;
    std::size_t files = 0;
    for (std::size_t source = 0; source < sources.size(); ++source) {
        std::string bytes = ReadWholeFile(sources[source]);
        std::vector<BrokenFile> broken = MakeBrokenFiles(
            {bytes.begin(), bytes.end()}, kSeed + static_cast<std::uint32_t>(source));
        for (const BrokenFile& file : broken) {
            std::string name = "movie" + std::to_string(source) + "-" + file.name;
            std::string input = dir.filePath(QString::fromStdString(name + ".swf")).toStdString();
            std::string output = dir.filePath(QString::fromStdString(name + ".png")).toStdString();
            WriteWholeFile(input, file.bytes);
            snapshots.add(
                name, RunIsolated([&] { return SnapshotJob(input, output); }, kTimeLimitSeconds));
            probes.add(name, RunIsolated([&] { return ProbeJob(input); }, kTimeLimitSeconds));
            ++files;
        }
    }
    unsetenv("TMPDIR");

    std::cout << "broken files: " << files << " from " << sources.size() << " corpus movies\n";
    snapshots.print("snapshot", "pictures", "clean errors");
    probes.print("probe", "accepted", "refused");
    EXPECT_GE(files, 300u);
    for (const Tally* tally : {&snapshots, &probes})
        for (const std::string& fault : tally->faults)
            ADD_FAILURE() << fault;
    EXPECT_TRUE(TempFilesWithPrefix(tempFolder, "~REELCAP").empty())
        << "the probe left temporary files behind";
}

} // namespace
} // namespace vidorama::test
