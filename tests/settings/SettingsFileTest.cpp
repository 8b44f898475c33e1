#include "settings/SettingsFile.h"

#include "ListEncoder.h"
#include "TempDir.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vidorama {
namespace {

std::string Slot(const SettingsFileBytes& bytes, std::size_t offset, std::size_t size = 8) {
    return std::string(bytes.begin() + static_cast<long>(offset),
                       bytes.begin() + static_cast<long>(offset + size));
}

ConversionSettings Edited(const std::string& folder) {
    ConversionSettings settings;
    settings.outputFolder = folder;
    settings.outputKind = ConversionSettings::kMpeg;
    settings.sizeMode = ConversionSettings::kCustomSize;
    settings.width = 640;
    settings.height = 480;
    settings.aviCodec = 3;
    settings.audioFormat = 5;
    settings.channels = 0;
    settings.mpegVersion = 1;
    settings.wmvProfile = 11;
    settings.rmProfile = -1;
    settings.aviFrameRate = "25.00";
    settings.mpegFrameRate = "29.97";
    settings.mpegVideoBitrate = "2376";
    settings.mpegAudioBitrate = "384";
    return settings;
}

TEST(SettingsFile, LayoutOfTheRecord) {
    ConversionSettings settings = Edited("/home/me/videos/");
    settings.aviCodec = -1;
    SettingsFileBytes bytes = EncodeSettingsFile(settings);
    ASSERT_EQ(bytes.size(), 383u);
    EXPECT_EQ(Slot(bytes, 0, 3), "SVF");
    EXPECT_EQ(Slot(bytes, 3, 17), std::string("/home/me/videos/\0", 17));
    EXPECT_EQ(bytes[262], 0);
    EXPECT_EQ(Slot(bytes, 263), std::string("1\0\0\0\0\0\0\0", 8)); // outputKind
    EXPECT_EQ(Slot(bytes, 271), std::string("2\0\0\0\0\0\0\0", 8)); // sizeMode
    EXPECT_EQ(Slot(bytes, 279), std::string("1e0\0\0\0\0\0", 8));   // height 480
    EXPECT_EQ(Slot(bytes, 287), std::string("280\0\0\0\0\0", 8));   // width 640
    EXPECT_EQ(Slot(bytes, 295), "ffffffff");                        // aviCodec -1
    EXPECT_EQ(Slot(bytes, 303), std::string("5\0\0\0\0\0\0\0", 8));
    EXPECT_EQ(Slot(bytes, 311), std::string("0\0\0\0\0\0\0\0", 8));
    EXPECT_EQ(Slot(bytes, 319), std::string("2\0\0\0\0\0\0\0", 8)); // mpegChannels
    EXPECT_EQ(Slot(bytes, 327), std::string("1\0\0\0\0\0\0\0", 8));
    EXPECT_EQ(Slot(bytes, 335), std::string("b\0\0\0\0\0\0\0", 8)); // wmvProfile 11
    EXPECT_EQ(Slot(bytes, 343), "ffffffff");
    EXPECT_EQ(Slot(bytes, 351), std::string("29.97\0\0\0", 8));
    EXPECT_EQ(Slot(bytes, 359), std::string("2376\0\0\0\0", 8));
    EXPECT_EQ(Slot(bytes, 367), std::string("25.00\0\0\0", 8));
    EXPECT_EQ(Slot(bytes, 375), std::string("384\0\0\0\0\0", 8));
}

TEST(SettingsFile, RoundTripKeepsEveryStoredField) {
    ConversionSettings settings = Edited("/srv/out/");
    auto decoded = DecodeSettingsFile(EncodeSettingsFile(settings), ConversionSettings{});
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, settings);
    EXPECT_EQ(decoded->rmProfile, -1);
}

TEST(SettingsFile, RejectsWrongLengthOrMagic) {
    SettingsFileBytes good = EncodeSettingsFile(Edited("/x/"));
    std::vector<std::uint8_t> shorter(good.begin(), good.end() - 1);
    std::vector<std::uint8_t> longer(good.begin(), good.end());
    longer.push_back(0);
    SettingsFileBytes wrongMagic = good;
    wrongMagic[2] = 'G';
    EXPECT_FALSE(DecodeSettingsFile(shorter, {}));
    EXPECT_FALSE(DecodeSettingsFile(longer, {}));
    EXPECT_FALSE(DecodeSettingsFile(wrongMagic, {}));
    EXPECT_FALSE(DecodeSettingsFile({}, {}));
}

TEST(SettingsFile, ReadsSlotsWithoutTerminatorsOrWithGarbage) {
    SettingsFileBytes bytes = EncodeSettingsFile(Edited("/x/"));
    // A folder and text slots filled to the brim: the reader stops at the
    // slot's end (folder) or keeps seven characters (texts).
    std::fill(bytes.begin() + 3, bytes.begin() + 263, 'a');
    std::fill(bytes.begin() + 351, bytes.begin() + 359, '9');
    std::copy_n("12zz", 4, bytes.begin() + 279); // digits up to the first non-digit
    std::copy_n("FFFFFFFF", 8, bytes.begin() + 287);
    auto decoded = DecodeSettingsFile(bytes, {});
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->outputFolder, std::string(260, 'a'));
    EXPECT_EQ(decoded->mpegFrameRate, "9999999");
    EXPECT_EQ(decoded->height, 0x12);
    EXPECT_EQ(decoded->width, -1);
}

TEST(SettingsFile, TooLongFolderOrTextIsNotCutIntoTheNextSlot) {
    ConversionSettings settings = Edited("/" + std::string(300, 'd') + "/");
    settings.aviFrameRate = "123456789";
    auto decoded = DecodeSettingsFile(EncodeSettingsFile(settings), {});
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->outputFolder, "");
    EXPECT_EQ(decoded->aviFrameRate, "1234567");
    EXPECT_EQ(decoded->mpegAudioBitrate, "384");
}

struct SettingsStoreFixture : ::testing::Test {
    QTemporaryDir config;
    QTemporaryDir documents;
    test::ListEncoder encoder;
    std::string path() const { return SettingsFilePath(config.path()).toStdString(); }
    std::string documentsFolder() const { return documents.path().toStdString() + "/"; }
};

TEST_F(SettingsStoreFixture, MissingFileKeepsDefaultsAndLeavesAnEmptyFile) {
    ConversionSettings settings;
    settings.outputFolder = documentsFolder();
    EXPECT_FALSE(LoadSettings(settings, encoder, config.path(), documents.path()));
    EXPECT_EQ(settings.outputFolder, documentsFolder());
    ConversionSettings defaults;
    defaults.outputFolder = documentsFolder();
    EXPECT_EQ(settings, defaults);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(path())));
    EXPECT_EQ(test::ReadWholeFile(path()), "");
    // The empty file is ignored on the next start too, then replaced at close.
    EXPECT_FALSE(LoadSettings(settings, encoder, config.path(), documents.path()));
    ASSERT_TRUE(SaveSettings(settings, config.path()));
    EXPECT_EQ(test::ReadWholeFile(path()).size(), 383u);
}

TEST_F(SettingsStoreFixture, InvalidFilesAreIgnoredAsAWhole) {
    SettingsFileBytes good = EncodeSettingsFile(Edited(documentsFolder()));
    std::vector<std::vector<std::uint8_t>> invalid = {
        {good.begin(), good.end() - 1},
        {good.begin(), good.end()},
        {good.begin(), good.end()},
    };
    invalid[1].push_back(0);
    invalid[2][0] = 'X';
    for (const auto& bytes : invalid) {
        test::WriteWholeFile(path(), bytes);
        ConversionSettings settings;
        EXPECT_FALSE(LoadSettings(settings, encoder, config.path(), documents.path()));
        EXPECT_EQ(settings, ConversionSettings{});
    }
    EXPECT_TRUE(encoder.codecSelections.empty());
}

TEST_F(SettingsStoreFixture, SaveThenLoadGivesTheSameSettingsAndSelectsThem) {
    encoder.codecs = {"a", "b", "c", "d"};
    encoder.wmvProfiles = std::vector<std::string>(12, "w");
    encoder.rmProfiles = {"r1", "r2"};
    ConversionSettings saved = Edited(documentsFolder());
    saved.rmProfile = 1;
    ASSERT_TRUE(SaveSettings(saved, config.path()));
    EXPECT_EQ(test::ReadWholeFile(path()).size(), 383u);

    ConversionSettings loaded;
    ASSERT_TRUE(LoadSettings(loaded, encoder, config.path(), documents.path()));
    EXPECT_EQ(loaded, saved);
    EXPECT_EQ(encoder.selectedCodec, 4);
    EXPECT_EQ(encoder.selectedWmv, 12);
    EXPECT_EQ(encoder.selectedRm, 2);
}

TEST_F(SettingsStoreFixture, StoredFolderFallsBackUnlessItIsAnExistingDirectory) {
    QTemporaryDir output;
    QString file = QDir(output.path()).filePath("a-file");
    test::WriteWholeFile(file.toStdString(), {1});
    struct Case {
        std::string stored;
        std::string expected;
    };
    const Case cases[] = {
        {output.path().toStdString() + "/", output.path().toStdString() + "/"},
        {output.path().toStdString(), output.path().toStdString() + "/"},
        {"/", "/"},
        {file.toStdString() + "/", documentsFolder()},
        {output.path().toStdString() + "/gone/", documentsFolder()},
        {"", documentsFolder()},
        {"relative/dir/", documentsFolder()},
        {"C:\\", documentsFolder()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        ASSERT_TRUE(SaveSettings(Edited(c.stored), config.path()));
        ConversionSettings loaded;
        ASSERT_TRUE(LoadSettings(loaded, encoder, config.path(), documents.path()));
        EXPECT_EQ(loaded.outputFolder, c.expected);
    }
}

TEST_F(SettingsStoreFixture, AFifoInPlaceOfTheFileNeitherHangsNorIsWrittenTo) {
    ASSERT_EQ(::mkfifo(path().c_str(), 0600), 0);
    // Were the FIFO opened for reading as a file is, start-up would wait for
    // a writer; this one comes after two seconds, to end such a wait.
    std::thread writer([fifo = path()] {
        std::this_thread::sleep_for(std::chrono::seconds(2));
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    });
    const auto start = std::chrono::steady_clock::now();
    ConversionSettings settings;
    EXPECT_FALSE(LoadSettings(settings, encoder, config.path(), documents.path()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_FALSE(SaveSettings(Edited(documentsFolder()), config.path()));
    writer.join();
    struct stat entry {};
    ASSERT_EQ(::lstat(path().c_str(), &entry), 0);
    EXPECT_TRUE(S_ISFIFO(entry.st_mode));
}

TEST_F(SettingsStoreFixture, ALinkIsWrittenThroughOnlyToASettingsRecord) {
    QTemporaryDir elsewhere;
    const std::string other = elsewhere.filePath("other").toStdString();
    test::WriteWholeFile(other, std::vector<std::uint8_t>{'n', 'o', 't', ' ', 'u', 's'});
    const std::string folder = elsewhere.filePath("folder").toStdString();
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const std::string fifo = elsewhere.filePath("fifo").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& target : {other, folder, fifo}) {
        SCOPED_TRACE(target);
        ::unlink(path().c_str());
        ASSERT_EQ(::symlink(target.c_str(), path().c_str()), 0);
        EXPECT_FALSE(SaveSettings(Edited(documentsFolder()), config.path()));
    }
    EXPECT_EQ(test::ReadWholeFile(other), "not us");
    struct stat entry {};
    ASSERT_EQ(::lstat(fifo.c_str(), &entry), 0);
    EXPECT_TRUE(S_ISFIFO(entry.st_mode));

    // A link to an earlier record, as a user who keeps settings elsewhere
    // has, is followed.
    const std::string record = elsewhere.filePath("config.dat").toStdString();
    const SettingsFileBytes old = EncodeSettingsFile(Edited(documentsFolder()));
    test::WriteWholeFile(record, std::vector<std::uint8_t>(old.begin(), old.end()));
    ::unlink(path().c_str());
    ASSERT_EQ(::symlink(record.c_str(), path().c_str()), 0);
    ConversionSettings changed = Edited(documentsFolder());
    changed.width = 1234;
    ASSERT_TRUE(SaveSettings(changed, config.path()));
    ConversionSettings loaded;
    ASSERT_TRUE(LoadSettings(loaded, encoder, config.path(), documents.path()));
    EXPECT_EQ(loaded.width, 1234);
}

TEST_F(SettingsStoreFixture, AFailedSaveLeavesTheOldFileIntact) {
    ASSERT_TRUE(SaveSettings(Edited(documentsFolder()), config.path()));
    std::string good = test::ReadWholeFile(path());

    // A full disk: no file may grow beyond 100 bytes while saving.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limited = old;
    limited.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &limited);
    ConversionSettings other;
    bool saved = SaveSettings(other, config.path());
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_DFL);

    EXPECT_FALSE(saved);
    EXPECT_EQ(test::ReadWholeFile(path()), good);
    EXPECT_EQ(QDir(config.path()).entryList(QDir::Files), QStringList{"config.dat"});
    EXPECT_FALSE(SaveSettings(other, QDir(config.path()).filePath("missing")));
}

} // namespace
} // namespace vidorama
