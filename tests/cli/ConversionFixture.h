#pragma once

#include "CliTestMovies.h"
#include "ConvertOptions.h"
#include "pipeline/ConversionJob.h"

extern "C" {
#include <libavutil/log.h>
}

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vidorama::test {

// Counts what a job reports, for the tests that look at progress.
class CountingObserver final : public cli::JobObserver {
public:
    void started(std::optional<std::int64_t> totalFrames) override { total = totalFrames; }
    void framesWritten(std::int64_t frames) override {
        last = frames;
        if (onFrame)
            onFrame(frames);
    }

    std::optional<std::int64_t> total;
    std::int64_t last = 0;
    std::function<void(std::int64_t)> onFrame;
};

// A folder for a test's movies and outputs, and a way to run one job.
class ConversionFixture : public testing::Test {
protected:
    // The encoders' own chatter only hides the test's output.
    ConversionFixture() { av_log_set_level(AV_LOG_ERROR); }

    std::string path(const std::string& name) const {
        return folder.filePath(QString::fromStdString(name)).toStdString();
    }

    cli::JobResult convert(const std::string& input, const std::string& output,
                           cli::OutputKind kind, cli::ConvertOptions options = {}) {
        options.mode = cli::ConvertOptions::Mode::Convert;
        options.inputs = {input};
        const std::atomic<bool> never{false};
        return cli::RunConversionJob({input, output, kind}, options, observer,
                                     cancel ? *cancel : never);
    }

    // Names in the folder other than the ones a test made itself: leftovers.
    QStringList entries() const {
        return QDir(folder.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir folder;
    CountingObserver observer;
    std::atomic<bool>* cancel = nullptr;
};

} // namespace vidorama::test
