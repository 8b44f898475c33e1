#include "settings/TabPropPage.h"

// The page templates. Each page fills the 292 x 95 units of the settings
// dialog's page placeholder; the lists and buttons sit inside group boxes.

namespace vidorama {

namespace {

constexpr int kListHeight = 12;

QStringList Items(std::initializer_list<const char*> texts) {
    QStringList items;
    for (const char* text : texts)
        items << QString::fromLatin1(text);
    return items;
}

void AddLabelledList(TabPropPage& page, const char* label, int id, int x, int y, int width,
                     const QStringList& items) {
    page.AddLabel(label, QRect(x, y + 2, 50, 8));
    page.AddList(id, QRect(x + 50, y, width, kListHeight), items);
}

} // namespace

TabPropPage* CreateAviPage(QWidget* parent, const DialogUnits& units) {
    auto* page = new TabPropPage(parent, units);
    page->AddGroup("Video Format: ", QRect(9, 10, 131, 83));
    page->AddGroup("Audio Format: ", QRect(151, 10, 131, 83));
    AddLabelledList(*page, "FrameRate:", TabPropPage::kAviFrameRate, 16, 24, 68,
                    Items({"10.00", "15.00", "20.00", "23.97", "24.00", "25.00"}));
    AddLabelledList(*page, "AVI Codec:", TabPropPage::kAviCodec, 16, 44, 68, {});
    page->AddButton(TabPropPage::kConfigure, "Configure...", QRect(66, 66, 68, 14));
    const char* formats[] = {"PCM", "ALAW", "MP3", "ULAW", "ADPCM", "GSM"};
    for (int i = 0; i < 6; ++i)
        page->AddRadio(TabPropPage::kPcm + i, formats[i],
                       QRect(160 + (i % 3) * 40, 24 + (i / 3) * 16, 38, 10));
    AddLabelledList(*page, "Channels:", TabPropPage::kChannels, 160, 66, 68,
                    Items({"Mono", "Stereo"}));
    return page;
}

TabPropPage* CreateMpegPage(QWidget* parent, const DialogUnits& units) {
    auto* page = new TabPropPage(parent, units);
    page->AddGroup("Video Format: ", QRect(9, 4, 131, 56));
    page->AddGroup("Audio Format: ", QRect(151, 4, 131, 56));
    page->AddGroup("MPEG Version", QRect(9, 64, 273, 28));
    AddLabelledList(*page, "FrameRate:", TabPropPage::kMpegFrameRate, 16, 18, 68,
                    Items({"23.97", "24.00", "25.00", "29.97", "30.00"}));
    AddLabelledList(*page, "VideoBitrate:", TabPropPage::kMpegVideoBitrate, 16, 38, 68,
                    Items({"750", "1150", "1500", "1950", "2376"}));
    AddLabelledList(*page, "Channels:", TabPropPage::kMpegChannels, 158, 18, 68, Items({"Stereo"}));
    AddLabelledList(*page, "AudioBitrate:", TabPropPage::kMpegAudioBitrate, 158, 38, 68,
                    Items({"32", "48", "56", "64", "80", "96", "112", "128", "160", "192", "224",
                           "256", "320", "384"}));
    page->AddRadio(TabPropPage::kMpeg1, "MPEG1", QRect(24, 77, 60, 10));
    page->AddRadio(TabPropPage::kMpeg2, "MPEG2", QRect(120, 77, 60, 10));
    return page;
}

namespace {

TabPropPage* CreateProfilePage(QWidget* parent, const DialogUnits& units, int listId) {
    auto* page = new TabPropPage(parent, units);
    page->AddGroup("Output Video Format", QRect(9, 10, 273, 40));
    page->AddList(listId, QRect(18, 26, 255, kListHeight), {});
    return page;
}

} // namespace

TabPropPage* CreateWmvPage(QWidget* parent, const DialogUnits& units) {
    return CreateProfilePage(parent, units, TabPropPage::kWmvProfile);
}

TabPropPage* CreateRmPage(QWidget* parent, const DialogUnits& units) {
    return CreateProfilePage(parent, units, TabPropPage::kRmProfile);
}

} // namespace vidorama
