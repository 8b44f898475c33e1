#include "settings/EncoderChoice.h"

#include "ListEncoder.h"
#include "settings/SettingsSummary.h"

#include <gtest/gtest.h>

namespace vidorama {
namespace {

int ChosenCodec(std::vector<std::string> codecs) {
    test::ListEncoder encoder;
    encoder.codecs = std::move(codecs);
    ConversionSettings settings;
    ChooseDefaultEncoders(settings, encoder);
    return settings.aviCodec;
}

TEST(ChooseDefaultEncoders, PrefersXvidThenMicrosoftMpegThenMicrosoftVideo) {
    EXPECT_EQ(ChosenCodec({"Microsoft Video 1", "Microsoft MPEG-4 v2"}), 1);
    EXPECT_EQ(ChosenCodec({"Microsoft Video 1", "Microsoft MPEG-4 v2", "XviD MPEG-4 Codec"}), 2);
    EXPECT_EQ(ChosenCodec({"Cinepak", "Intel Indeo", "Microsoft Video 1"}), 2);
    EXPECT_EQ(ChosenCodec({"Cinepak", "MainConcept DV"}), 0);
    EXPECT_EQ(ChosenCodec({}), 0);
    // Blanks and punctuation are removed before the test, case is ignored.
    EXPECT_EQ(ChosenCodec({"Cinepak", "x.v-i d"}), 1);
    EXPECT_EQ(ReduceCodecName("Microsoft Video 1"), "MICROSOFTVIDEO1");
    EXPECT_EQ(ReduceCodecName("Éx_vid!"), "XVID");
}

TEST(ChooseDefaultEncoders, WalkStopsOnceAllThreeAreFoundAndLeavesTheLastSelected) {
    test::ListEncoder encoder;
    encoder.codecs = {"Microsoft Video 1", "XviD", "Microsoft MPEG-4", "Cinepak", "Other"};
    ConversionSettings settings;
    ChooseDefaultEncoders(settings, encoder);
    EXPECT_EQ(settings.aviCodec, 1);
    EXPECT_EQ(encoder.codecSelections, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(encoder.selectedCodec, 3);
}

TEST(ChooseDefaultEncoders, FillsOnlyWhatIsNotChosenYet) {
    test::ListEncoder encoder;
    encoder.codecs = {"a", "XviD"};
    encoder.wmvProfiles = {"w1", "w2", "w3"};
    encoder.rmProfiles = {"r1", "r2"};
    ConversionSettings settings;
    ChooseDefaultEncoders(settings, encoder);
    EXPECT_EQ(settings.aviCodec, 1);
    EXPECT_EQ(settings.wmvProfile, 2);
    EXPECT_EQ(settings.rmProfile, 1);

    ConversionSettings chosen;
    chosen.aviCodec = 0;
    chosen.wmvProfile = 0;
    chosen.rmProfile = 0;
    encoder.codecSelections.clear();
    ChooseDefaultEncoders(chosen, encoder);
    EXPECT_EQ(chosen.aviCodec, 0);
    EXPECT_EQ(chosen.wmvProfile, 0);
    EXPECT_EQ(chosen.rmProfile, 0);
    EXPECT_TRUE(encoder.codecSelections.empty());
}

struct SummaryFixture : ::testing::Test {
    void SetUp() override {
        encoder.codecs = {"Cinepak Codec", "MainConcept DV Codec", "XviD MPEG-4 Codec"};
        encoder.wmvProfiles = {"Windows Media Video 8 for Broadband", "WMV 9 High"};
        encoder.rmProfiles = {"RealVideo 10 LAN", "RealVideo 10 Modem"};
        settings.aviCodec = 2;
    }
    QString Summary(SummarySize size = {554, 307, false}) {
        return UpdateSettingsSummary(settings, encoder, size);
    }
    test::ListEncoder encoder;
    ConversionSettings settings;
};

TEST_F(SummaryFixture, AviLine) {
    EXPECT_EQ(Summary(), "Video format: avi, Encoder: XviD MPEG-4 Codec, Video size: 554 X 307, "
                         "Frame rate: 10.00, Audio format: PCM, Channel: Stereo");
    EXPECT_EQ(encoder.selectedCodec, 3);
    settings.channels = 0;
    settings.audioFormat = 4;
    settings.sizeMode = ConversionSettings::kCustomSize;
    EXPECT_EQ(Summary(), "Video format: avi, Encoder: XviD MPEG-4 Codec, Video size: 320 X 240, "
                         "Frame rate: 10.00, Audio format: ADPCM, Channel: Mono");
    // A stored audio format outside the table has no name.
    settings.audioFormat = 6;
    EXPECT_TRUE(Summary().endsWith("Audio format: , Channel: Mono"));
}

TEST_F(SummaryFixture, DvCodecAlwaysShowsPalSize) {
    settings.aviCodec = 1;
    EXPECT_EQ(Summary({0, 0, false}),
              "Video format: avi, Encoder: MainConcept DV Codec, Video size: 720 X 576, "
              "Frame rate: 10.00, Audio format: PCM, Channel: Stereo");
}

TEST_F(SummaryFixture, SizeTextRules) {
    // Original size with a width of 0 (after a failed open).
    EXPECT_TRUE(Summary({0, 0, false}).contains("Video size: Keep original size,"));
    // Adjusted sizes are shown rounded up as the capture will make them.
    EXPECT_TRUE(Summary({321, 241, true}).contains("Video size: 324 X 241,"));
    settings.outputKind = ConversionSettings::kMpeg;
    EXPECT_TRUE(Summary({321, 241, true}).contains("Video size: 336 X 256,"));
    settings.mpegVersion = 1;
    EXPECT_TRUE(Summary({321, 241, true}).contains("Video size: 336 X 256,"));
    EXPECT_TRUE(Summary({320, 250, true}).contains("Video size: 320 X 256,"));
    EXPECT_TRUE(Summary({320, 250, false}).contains("Video size: 320 X 250,"));
    settings.outputKind = ConversionSettings::kRm;
    EXPECT_TRUE(Summary({321, 241, true}).endsWith("Video size: 321 X 241"));
}

TEST_F(SummaryFixture, MpegWmvRmAndUnknownKinds) {
    settings.outputKind = ConversionSettings::kMpeg;
    EXPECT_EQ(Summary(), "Video format: mpeg1, Video size: 554 X 307, Frame rate: 23.97,Video "
                         "bitrate: 1150, Audio bitrate: 128, Channel: Stereo");
    settings.mpegVersion = 1;
    EXPECT_TRUE(Summary().startsWith("Video format: mpeg2,"));

    settings.outputKind = ConversionSettings::kWmv;
    settings.wmvProfile = 1;
    EXPECT_EQ(Summary(), "Video format: wmv, Encoder: WMV 9 High");
    EXPECT_EQ(encoder.selectedWmv, 2);

    settings.outputKind = ConversionSettings::kRm;
    settings.rmProfile = 0;
    EXPECT_EQ(Summary(), "Video format: rm/rmvb, Encoder: RealVideo 10 LAN, Video size: 554 X 307");
    EXPECT_EQ(encoder.selectedRm, 0); // read by number, not selected

    settings.outputKind = 7;
    EXPECT_EQ(Summary(), "");
}

} // namespace
} // namespace vidorama
