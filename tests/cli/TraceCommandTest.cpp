// vidorama-convert --trace: the lines a movie's scripts trace(), in a file or
// alone on standard output, with a snapshot or a conversion.

#include "CliTestMovies.h"
#include "ConversionFixture.h"

#include <QFile>
#include <QProcess>

namespace vidorama::test {
namespace {

struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

class TraceCommand : public ConversionFixture {
protected:
    Outcome run(const QStringList& arguments) {
        QProcess process;
        process.setWorkingDirectory(folder.path());
        process.start(QString(VIDORAMA_TEST_BIN_DIR) + "/vidorama-convert", arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        return {process.exitCode(), process.readAllStandardOutput(),
                QString::fromUtf8(process.readAllStandardError())};
    }

    // Three frames, each tracing its number, the last also text with a
    // carriage return and characters beyond ASCII.
    void writeTracingMovie(const std::string& name) {
        auto traceText = [](const std::string& text) {
            return tags::DoAction({tags::actions::PushString(text), Bytes{0x26}});
        };
        MovieWriter tracing;
        tracing.version = 6;
        tracing.frame({traceText("frame 1")});
        tracing.frame({traceText("frame 2")});
        tracing.frame({traceText("frame 3\rgrüße")});
        WriteMovie(path(name), tracing);
    }
};

TEST_F(TraceCommand, SnapshotWritesOnlyTheTracedLinesToStandardOutput) {
    writeTracingMovie("in.swf");
    // The scoring command.
    Outcome done = run({"--snapshot", "2", "--trace", "-", "-o", "pic.png", "in.swf"});
    EXPECT_EQ(done.exitCode, 0) << done.err.toStdString();
    EXPECT_EQ(done.out, QByteArray("frame 1\nframe 2\n"));
    EXPECT_TRUE(QFile::exists(folder.filePath("pic.png")));
    // A picture that is there already is replaced only when asked to.
    Outcome again = run({"--snapshot", "2", "--trace", "-", "-o", "pic.png", "in.swf"});
    EXPECT_NE(again.exitCode, 0);
    Outcome replaced =
        run({"--snapshot", "2", "--trace", "-", "--overwrite", "-o", "pic.png", "in.swf"});
    EXPECT_EQ(replaced.exitCode, 0) << replaced.err.toStdString();
    EXPECT_EQ(replaced.out, QByteArray("frame 1\nframe 2\n"));
}

TEST_F(TraceCommand, ConversionWritesTheTraceFileAsItPlays) {
    writeTracingMovie("in.swf");
    Outcome done = run({"--trace", "trace.txt", "--progress", "json", "--format", "webm", "-o",
                        "out.webm", "in.swf"});
    EXPECT_EQ(done.exitCode, 0) << done.err.toStdString();
    QFile trace(folder.filePath("trace.txt"));
    ASSERT_TRUE(trace.open(QIODevice::ReadOnly));
    EXPECT_EQ(trace.readAll(), QByteArray("frame 1\nframe 2\nframe 3\ngrüße\n"));
    // JSON progress still goes to standard output when the trace does not.
    EXPECT_FALSE(done.out.isEmpty());

    Outcome toStdout = run({"--trace", "-", "--progress", "json", "--format", "webm", "--overwrite",
                            "-o", "out.webm", "in.swf"});
    EXPECT_EQ(toStdout.exitCode, 0) << toStdout.err.toStdString();
    EXPECT_EQ(toStdout.out, QByteArray("frame 1\nframe 2\nframe 3\ngrüße\n"));
}

TEST_F(TraceCommand, AnUnwritableTraceFileIsRefusedBeforeAnythingRuns) {
    writeTracingMovie("in.swf");
    Outcome refused =
        run({"--snapshot", "1", "--trace", "no/such/folder/t.txt", "-o", "pic.png", "in.swf"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("trace")) << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(folder.filePath("pic.png")));
}

} // namespace
} // namespace vidorama::test
