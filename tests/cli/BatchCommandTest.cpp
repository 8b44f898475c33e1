// The vidorama-convert program as a script sees it: exit codes of batches,
// one line per movie that was refused or failed, JSON progress, and no
// half-written file when the output cannot be completed.

#include "ConversionFixture.h"

#include <QFile>
#include <QProcess>
#include <csignal>

namespace vidorama::test {
namespace {

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

class BatchCommand : public ConversionFixture {
protected:
    // Runs the converter through the shell, so that a test can set limits.
    Outcome run(const QString& arguments, const QString& shellPrefix = {}) {
        QProcess process;
        process.setWorkingDirectory(folder.path());
        process.start("/bin/sh", {"-c", shellPrefix + "exec " + QString(VIDORAMA_TEST_BIN_DIR) +
                                            "/vidorama-convert " + arguments});
        EXPECT_TRUE(process.waitForFinished(120000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    void writeGarbage(const std::string& name) {
        QFile file(QString::fromStdString(path(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("FWS\x08 this is not a movie");
    }
};

TEST_F(BatchCommand, ExitCodesSayWhatHappened) {
    WriteMovie(path("a.swf"), NumberedFramesMovie(8, 12));
    WriteMovie(path("b.swf"), NumberedFramesMovie(8, 12));
    Outcome good = run("-j 2 --format webm a.swf b.swf -o out/");
    EXPECT_EQ(good.exitCode, 0) << good.err.toStdString();
    EXPECT_TRUE(QFile::exists(folder.filePath("out/a.webm")));
    EXPECT_TRUE(QFile::exists(folder.filePath("out/b.webm")));

    // A broken movie fails alone; the other converts; one line names it.
    writeGarbage("c.swf");
    Outcome mixed = run("-j 2 --format webm --overwrite a.swf c.swf -o out/");
    EXPECT_EQ(mixed.exitCode, 1);
    EXPECT_EQ(mixed.err.count("c.swf"), 1) << mixed.err.toStdString();
    EXPECT_FALSE(mixed.err.contains("a.swf"));
    EXPECT_FALSE(QFile::exists(folder.filePath("out/c.webm")));

    // Existing outputs are refused by name, and the files stay as they were.
    const qint64 before = QFile(folder.filePath("out/b.webm")).size();
    Outcome refused = run("--format webm b.swf -o out/");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("exists")) << refused.err.toStdString();
    EXPECT_EQ(QFile(folder.filePath("out/b.webm")).size(), before);

    Outcome usage = run("--format flv a.swf");
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_TRUE(usage.err.contains("usage:"));
    EXPECT_EQ(run("--end 3 --duration 1 a.swf").exitCode, 2);
    EXPECT_EQ(run("a.swf b.swf -o a.swf").exitCode, 2);
}

TEST_F(BatchCommand, JsonProgressIsOneObjectPerLine) {
    WriteMovie(path("a.swf"), NumberedFramesMovie(30, 30));
    Outcome result = run("--progress json --format gif a.swf");
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList lines = result.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 2);
    for (const QString& line : lines)
        EXPECT_TRUE(line.startsWith('{') && line.endsWith('}')) << line.toStdString();
    EXPECT_TRUE(lines[lines.size() - 2].contains("\"frame\":30,\"total\":30"));
    EXPECT_TRUE(lines.back().startsWith("{\"event\":\"done\""));
    EXPECT_TRUE(lines.back().contains("\"frames\":30"));
}

TEST_F(BatchCommand, AnOutputThatCannotBeCompletedLeavesNoFile) {
    WriteMovie(path("a.swf"), NumberedFramesMovie(48, 12));
    // Four seconds of PCM sound do not fit under a 64 kB file size limit.
    Outcome full = run("--acodec pcm a.swf -o a.avi", "ulimit -f 64; ");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_TRUE(full.err.contains("a.swf")) << full.err.toStdString();
    EXPECT_EQ(entries(), QStringList{"a.swf"});
}

TEST_F(BatchCommand, AnInterruptedConversionLeavesNoFile) {
    WriteMovie(path("a.swf"), NumberedFramesMovie(24, 24));
    QProcess process;
    process.setWorkingDirectory(folder.path());
    process.start(
        QString(VIDORAMA_TEST_BIN_DIR) + "/vidorama-convert",
        {"--progress", "json", "--duration", "600", "--size", "320x240", "a.swf", "-o", "a.mp4"});
    // Interrupted once it has written some frames, as Ctrl+C would.
    ASSERT_TRUE(process.waitForReadyRead(60000));
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(process.readAllStandardError().contains("interrupted"));
    EXPECT_EQ(entries(), QStringList{"a.swf"});
}

} // namespace
} // namespace vidorama::test
