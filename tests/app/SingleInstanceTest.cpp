#include "RecordingMessageBoxes.h"
#include "app/CInstanceMutex.h"

#include <QDir>
#include <QLocalSocket>
#include <QProcess>
#include <QSharedMemory>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vidorama {
namespace {

const QString kBin = QStringLiteral(VIDORAMA_TEST_BIN_DIR);

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("XDG_CONFIG_HOME", config.path());
        first.setProcessEnvironment(env);
        second.setProcessEnvironment(env);
    }
    void TearDown() override {
        if (first.state() != QProcess::NotRunning) {
            first.kill();
            first.waitForFinished();
        }
    }

    // Starts the stand-in first instance and waits until it has published.
    QString StartFirst() {
        first.start(QStringLiteral(VIDORAMA_INSTANCE_PROBE), {runtime.path()});
        EXPECT_TRUE(first.waitForStarted());
        while (!first.canReadLine() && first.waitForReadyRead(10000)) {
        }
        QString line = QString::fromLatin1(first.readLine()).trimmed();
        EXPECT_TRUE(line.startsWith("published ")) << line.toStdString();
        return line.mid(10);
    }

    QTemporaryDir runtime, config;
    QProcess first, second;
};

TEST_F(SingleInstanceTest, SecondStartOfTheProgramHandsItsMovieToTheFirst) {
    QString handle = StartFirst();
    EXPECT_EQ(handle.size(), 8);
    EXPECT_EQ(handle, handle.toLower());

    // The movie is named relative to the second start's own folder, which
    // is not the first's.
    QTemporaryDir work;
    QDir(work.path()).mkpath("movies");
    second.setWorkingDirectory(work.filePath("movies"));
    second.start(kBin + "/vidorama", {"../movies/Sö Long.swf"});
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    ASSERT_TRUE(first.waitForFinished(15000));
    EXPECT_EQ(first.exitCode(), 0);
    QStringList reported = QString::fromUtf8(first.readAll()).trimmed().split('\n');
    reported.sort();
    EXPECT_EQ(reported, QStringList({"activated", "open " + work.filePath("movies/Sö Long.swf")}));
}

TEST_F(SingleInstanceTest, SecondStartWithoutAMovieOnlyBringsTheFirstToTheFront) {
    StartFirst();
    second.start(kBin + "/vidorama", {});
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitCode(), 0);
    ASSERT_TRUE(first.waitForFinished(15000));
    EXPECT_EQ(QString::fromUtf8(first.readAll()).trimmed(), "activated");
}

TEST_F(SingleInstanceTest, MoreThanOneMovieIsRefusedBeforeReachingTheFirst) {
    StartFirst();
    second.start(kBin + "/vidorama", {"one.swf", "two.swf"});
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(second.readAllStandardError().contains("only one movie"));
    EXPECT_FALSE(first.waitForReadyRead(500)); // the first was not asked anything
}

TEST_F(SingleInstanceTest, MalformedRequestsAreRefused) {
    QString handle = StartFirst();
    for (QByteArray request : {handle.toLatin1() + "fffffff0", handle.toLatin1() + "zz000003abc",
                               QByteArray("000000000000000") + "3abc"}) {
        QLocalSocket socket;
        socket.connectToServer(runtime.filePath(CInstanceMutex::kBlockName) + ".socket");
        ASSERT_TRUE(socket.waitForConnected(5000));
        socket.write(request);
        ASSERT_TRUE(socket.waitForReadyRead(5000)) << request.toStdString();
        EXPECT_EQ(socket.readAll(), "0") << request.toStdString();
    }
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_FALSE(first.canReadLine()); // neither opened anything nor came to the front
}

TEST_F(SingleInstanceTest, TheBlockHoldsTheHandleAsEightHexDigits) {
    QString handle = StartFirst();
    QSharedMemory block;
    block.setNativeKey(runtime.filePath(CInstanceMutex::kBlockName));
    ASSERT_TRUE(block.attach(QSharedMemory::ReadOnly));
    ASSERT_GE(block.size(), 8);
    EXPECT_EQ(QByteArray(static_cast<const char*>(block.constData()), 8), handle.toLatin1());
    block.detach();
    EXPECT_EQ(CInstanceMutex::FormatHandle(0x1A2B4), "0001a2b4");
}

TEST_F(SingleInstanceTest, BlockLeftByACrashedInstanceDoesNotStopANewStart) {
    StartFirst();
    first.kill(); // no clean-up: the block and the socket stay behind
    first.waitForFinished();

    test::RecordingMessageBoxes boxes;
    CInstanceMutex instance(boxes, runtime.path());
    EXPECT_FALSE(instance.FindRunningInstance());

    // A new first instance takes the stale block over and can be found.
    QString handle = StartFirst();
    CInstanceMutex later(boxes, runtime.path());
    EXPECT_TRUE(later.FindRunningInstance());
    ASSERT_TRUE(first.waitForFinished(15000));
    EXPECT_EQ(QString::fromLatin1(first.readAll()).trimmed(), "activated");
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SingleInstanceTest, NothingPublishedMeansAFirstInstance) {
    test::RecordingMessageBoxes boxes;
    CInstanceMutex instance(boxes, runtime.path());
    EXPECT_FALSE(instance.FindRunningInstance());
    instance.Publish(nullptr);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Incorrect use class CInstanceMutex!");
    EXPECT_EQ(boxes.shown[0].caption, "Message");
}

} // namespace
} // namespace vidorama
