#include "encode/OutputJob.h"

#include "FakeVideoEncoder.h"

#include <gtest/gtest.h>
#include <set>

namespace vidorama {
namespace {

std::tm Day() {
    std::tm date{};
    date.tm_year = 126; // 2026
    date.tm_mon = 11;
    date.tm_mday = 7;
    return date;
}

TEST(ChooseOutputPath, FirstFreeNumberOfTheDayFillsGaps) {
    std::set<std::string> files{"/v/reelcap26_12_07_001.avi", "/v/reelcap26_12_07_003.avi"};
    auto exists = [&](const std::string& p) {
        return files.count(p) > 0;
    };
    std::string path;
    ASSERT_TRUE(ChooseOutputPath(ConversionSettings::kAvi, "/v/", Day(), exists, path));
    EXPECT_EQ(path, "/v/reelcap26_12_07_002.avi");
    files.insert(path);
    ASSERT_TRUE(ChooseOutputPath(ConversionSettings::kAvi, "/v/", Day(), exists, path));
    EXPECT_EQ(path, "/v/reelcap26_12_07_004.avi");
    ASSERT_TRUE(ChooseOutputPath(ConversionSettings::kMpeg, "/v/", Day(), exists, path));
    EXPECT_EQ(path, "/v/reelcap26_12_07_001.mpeg");
    ASSERT_TRUE(ChooseOutputPath(ConversionSettings::kWmv, "/v/", Day(), exists, path));
    EXPECT_EQ(path, "/v/reelcap26_12_07_001.wmv");
}

TEST(ChooseOutputPath, RealMediaNamesEndInRmvb) {
    std::set<std::string> files{"/v/reelcap26_12_07_001.rmvb", "/v/reelcap26_12_07_002.rm"};
    auto exists = [&](const std::string& p) {
        return files.count(p) > 0;
    };
    std::string path;
    ASSERT_TRUE(ChooseOutputPath(ConversionSettings::kRm, "/v/", Day(), exists, path));
    EXPECT_EQ(path, "/v/reelcap26_12_07_003.rmvb");
    EXPECT_FALSE(ChooseOutputPath(7, "/v/", Day(), exists, path));
    EXPECT_FALSE(ChooseOutputPath(
        ConversionSettings::kAvi, "/v/", Day(), [](const std::string&) { return true; }, path));
}

class OpenOutputForJobTest : public ::testing::Test {
protected:
    bool Open() {
        OutputJobContext job;
        job.encoder = &fake;
        job.settings = &settings;
        job.outputWidth = 552;
        job.outputHeight = 400;
        job.movieFrameRate = 12;
        job.outputStarted = &outputStarted;
        job.outputPath = &outputPath;
        job.partPath = &partPath;
        job.frameRate = &frameRate;
        job.showMessage = [this](const char* text) {
            messages.push_back(text);
        };
        job.logFailure = [this](const std::string& cause) {
            logged.push_back(cause);
        };
        job.fileExists = [](const std::string&) {
            return false;
        };
        job.date = Day();
        return OpenOutputForJob(job);
    }

    test::FakeVideoEncoder fake;
    ConversionSettings settings;
    bool outputStarted = false;
    std::string outputPath, partPath;
    double frameRate = 0;
    std::vector<std::string> messages, logged;
};

TEST_F(OpenOutputForJobTest, AviIsConfiguredInOrder) {
    settings.outputFolder = "/v/";
    settings.audioFormat = 2;
    settings.channels = 0;
    settings.aviCodec = 0;
    settings.aviFrameRate = "29.97";
    ASSERT_TRUE(Open());
    EXPECT_EQ(fake.configCalls, (std::vector<std::string>{
                                    "SetAviAudioMp3 128 44100 1", "SetVideoFormat 552 400 29.97",
                                    "SetAviVideoFormat 552 400 29.97", "SelectVideoCodec 1",
                                    "SetAudioInput 44100 2", "OpenOutput 1"}));
    EXPECT_EQ(outputPath, "/v/reelcap26_12_07_001.avi");
    // The encoder writes under a hidden name beside the output until it is
    // complete.
    EXPECT_EQ(fake.openedPath, partPath);
    EXPECT_EQ(partPath.rfind("/v/.reelcap26_12_07_001.avi.vidorama-part-", 0), 0u) << partPath;
    EXPECT_DOUBLE_EQ(frameRate, 29.97);
    EXPECT_TRUE(outputStarted);
    EXPECT_EQ(fake.closeCalls, 0);

    // A second preparation completes the output the first one left open.
    settings.audioFormat = 5;
    ASSERT_TRUE(Open());
    EXPECT_EQ(fake.closeCalls, 1);
    EXPECT_EQ(fake.configCalls[6], "SetAviAudioGsm 44100");
}

TEST_F(OpenOutputForJobTest, DvCodecForcesItsFrameSize) {
    fake.codecNames = {"Xvid MPEG-4", "DV video (PAL 720 x 576, MainConcept DV compatible)"};
    settings.aviCodec = 1;
    settings.audioFormat = 9; // unknown: no audio format call
    ASSERT_TRUE(Open());
    EXPECT_EQ(fake.configCalls,
              (std::vector<std::string>{"SetVideoFormat 552 400 10", "SetAviVideoFormat 552 400 10",
                                        "SelectVideoCodec 2", "SetVideoFormat 720 576 10",
                                        "SetAviVideoFormat 720 576 10", "SetAudioInput 44100 2",
                                        "OpenOutput 1"}));
}

TEST_F(OpenOutputForJobTest, MpegWmvAndRmSequences) {
    settings.outputKind = ConversionSettings::kMpeg;
    settings.mpegVersion = 1;
    settings.mpegVideoBitrate = "2500.7";
    ASSERT_TRUE(Open());
    EXPECT_EQ(fake.configCalls,
              (std::vector<std::string>{"SetAudioInput 44100 2", "SetMpegAudio 128 44100 2",
                                        "SetVideoFormat 552 400 23.97",
                                        "SetMpegVideo 2 2500 552 400 23.97", "OpenOutput 2"}));
    fake.configCalls.clear();
    settings.outputKind = ConversionSettings::kWmv;
    settings.wmvProfile = 3;
    ASSERT_TRUE(Open());
    EXPECT_EQ(fake.configCalls,
              (std::vector<std::string>{"SelectWmvProfile 4", "SetVideoFormat 552 400 12",
                                        "SetAudioInput 44100 2", "OpenOutput 3"}));
    EXPECT_EQ(frameRate, 12);
    fake.configCalls.clear();
    settings.outputKind = ConversionSettings::kRm;
    settings.rmProfile = 0;
    ASSERT_TRUE(Open());
    EXPECT_EQ(fake.configCalls,
              (std::vector<std::string>{"SelectRmProfile 1", "SetAudioInput 44100 2",
                                        "SetVideoFormat 552 400 12", "OpenOutput 4"}));
    EXPECT_EQ(outputPath.substr(outputPath.size() - 5), ".rmvb");
}

TEST_F(OpenOutputForJobTest, FailuresShowTheirMessages) {
    settings.outputKind = 4;
    EXPECT_FALSE(Open());
    EXPECT_EQ(messages, (std::vector<std::string>{"Output File Type Unknown",
                                                  "Failed to save the settings."}));
    messages.clear();
    settings.outputKind = ConversionSettings::kAvi;
    fake.failOpen = true;
    fake.lastError = "Opening the libxvid encoder: Invalid argument";
    EXPECT_FALSE(Open());
    EXPECT_EQ(messages,
              (std::vector<std::string>{
                  "Failed to convert. Please select another video encoder and try again."}));
    EXPECT_FALSE(outputStarted);
    // The log says which output failed and why.
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0],
              "Opening " + outputPath + " failed: Opening the libxvid encoder: Invalid argument");
    EXPECT_TRUE(partPath.empty());
}

} // namespace
} // namespace vidorama
