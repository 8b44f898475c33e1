#include "diag/CLogFile.h"

#include "RecordingMessageBoxes.h"
#include "TempDir.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <regex>
#include <sys/stat.h>

namespace vidorama {
namespace {

const std::string kMessage = "Failed to convert. Please select other encoder and try again.";

TEST(CLogFile, RecordsStartAtTwoAndAppendAcrossRuns) {
    QTemporaryDir dir;
    std::string path = dir.filePath("vidorama.log").toStdString();
    test::RecordingMessageBoxes boxes;
    for (int run = 0; run < 2; ++run) {
        CLogFile log(path, boxes);
        log.Enable(true);
        log.Write(CLogFile::kLogFile, kMessage, nullptr, 0);
        log.Write(CLogFile::kLogFile, "second", "encode.cpp", 42);
    }
    std::string text = test::ReadWholeFile(path);
    std::regex record(
        R"re(    ([23])\t\d{4}-\d\d-\d\d \d\d:\d\d:\d\d \t"([^"]*)"\tFile:(\S+)\tLine:(\d+)\r\n)re");
    std::vector<std::string> numbers;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), record);
         it != std::sregex_iterator(); ++it)
        numbers.push_back((*it)[1].str() + (*it)[3].str() + ":" + (*it)[4].str());
    EXPECT_EQ(numbers, (std::vector<std::string>{"2(null):0", "3encode.cpp:42", "2(null):0",
                                                 "3encode.cpp:42"}));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(CLogFile, FormatKeepsQuotesAndTabsOfTheMessage) {
    EXPECT_EQ(CLogFile::FormatRecord(2, "2026-12-07 10:00:00 ", "say \"hi\"\there", "a.cpp", 7),
              "    2\t2026-12-07 10:00:00 \t\"say \"hi\"\there\"\tFile:a.cpp\tLine:7\r\n");
    EXPECT_EQ(CLogFile::FormatRecord(123456, "", "m", nullptr, -1),
              "123456\t\t\"m\"\tFile:(null)\tLine:-1\r\n");
}

TEST(CLogFile, FlagsChooseThePlaces) {
    QTemporaryDir dir;
    std::string path = dir.filePath("v.log").toStdString();
    test::RecordingMessageBoxes boxes;
    std::vector<std::string> debug;
    CLogFile log(path, boxes, [&](const std::string& r) { debug.push_back(r); });

    log.Write(CLogFile::kMessageBox, kMessage, nullptr, 0);
    EXPECT_TRUE(debug.empty());
    EXPECT_TRUE(test::ReadWholeFile(path).empty());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text.toStdString(), kMessage);
    EXPECT_EQ(boxes.shown[0].caption, "Message");
    EXPECT_EQ(boxes.shown[0].owner, nullptr);

    log.Write(CLogFile::kMessageBox | CLogFile::kLogFile, kMessage, nullptr, 0);
    log.Write(CLogFile::kDebugOutput | 1, "debug only", nullptr, 0);
    EXPECT_EQ(test::ReadWholeFile(path).substr(0, 6), "    3\t");
    ASSERT_EQ(debug.size(), 1u);
    EXPECT_EQ(debug[0].substr(0, 6), "    4\t");
    EXPECT_EQ(boxes.shown.size(), 2u);

    log.Enable(false);
    log.Write(CLogFile::kDebugOutput, "silent", nullptr, 0);
    EXPECT_EQ(debug.size(), 1u);
}

TEST(CLogFile, UnwritableOrLockedFileTurnsFileOutputOffSilently) {
    QTemporaryDir dir;
    test::RecordingMessageBoxes boxes;
    {
        CLogFile log(dir.filePath("missing/folder/v.log").toStdString(), boxes);
        EXPECT_FALSE(log.FileOpen());
        log.Write(CLogFile::kLogFile, kMessage, nullptr, 0);
    }
    {
        CLogFile log("", boxes);
        EXPECT_FALSE(log.FileOpen());
    }
    std::string path = dir.filePath("v.log").toStdString();
    CLogFile first(path, boxes);
    CLogFile second(path, boxes);
    EXPECT_TRUE(first.FileOpen());
    EXPECT_FALSE(second.FileOpen());
    second.Write(CLogFile::kLogFile, "lost", nullptr, 0);
    EXPECT_TRUE(test::ReadWholeFile(path).empty());
    EXPECT_TRUE(boxes.shown.empty());
}

} // namespace
} // namespace vidorama
