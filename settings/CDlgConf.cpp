#include "settings/CDlgConf.h"

#include "settings/EncoderChoice.h"
#include "settings/ListSelection.h"
#include "settings/TabPropPage.h"
#include "ui/WindowMessages.h"
#include "vidorama/encoder/IVideoEncoder.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QTabWidget>
#include <algorithm>
#include <functional>
#include <tuple>

namespace vidorama {

namespace {

constexpr int kTemplateWidth = 324;
constexpr int kTemplateHeight = 212;
const char* const kDvCodecName = "MainConcept DV";

} // namespace

CDlgConf::CDlgConf(QWidget* parent, encoder::IVideoEncoder& encoder,
                   const ConversionSettings& settings, int maxMovieWidth, int maxMovieHeight,
                   MessageBoxes& messages, FolderBrowser browseForFolder)
    : QDialog(parent), m_encoder(encoder), m_settings(settings), m_maxMovieWidth(maxMovieWidth),
      m_maxMovieHeight(maxMovieHeight), m_messages(messages),
      m_browseForFolder(std::move(browseForFolder)),
      m_units(DialogUnits::ForFont(TemplateFont("Arial", 8))) {
    setWindowTitle(QStringLiteral("video settings"));
    setFont(TemplateFont("Arial", 8));
    setFixedSize(m_units.x(kTemplateWidth), m_units.y(kTemplateHeight));
    CreateControls();
    CreatePages();
    // The dialog is made afresh for every run, so its tabs and lists are
    // always filled here.
    FillEncoderLists();
    SetFallbackStates();
    ApplySettings();
    ApplyDvRule();
}

QTabWidget* CDlgConf::TabControl() const {
    return m_controls.as<QTabWidget>(kTabControl);
}

QLineEdit* CDlgConf::Edit(int id) const {
    return m_controls.as<QLineEdit>(id);
}

QRadioButton* CDlgConf::Radio(int id) const {
    return m_controls.as<QRadioButton>(id);
}

void CDlgConf::CreateControls() {
    auto place = [this](QWidget* control, int id, QRect units) {
        control->setGeometry(m_units.rect(units.x(), units.y(), units.width(), units.height()));
        if (id != -1)
            m_controls.add(id, control);
    };
    place(new QLabel(QStringLiteral("Save to:"), this), -1, QRect(11, 10, 32, 8));
    auto* folder = new QLineEdit(this);
    folder->setReadOnly(true);
    folder->setAccessibleName(QStringLiteral("Save to"));
    place(folder, kSaveTo, QRect(48, 8, 210, 14));
    auto* browse = new QPushButton(QStringLiteral("Browse"), this);
    place(browse, kBrowse, QRect(265, 8, 39, 14));
    auto* sizeGroup = new QGroupBox(QStringLiteral("Video size"), this);
    PlaceGroupBox(sizeGroup, m_units.rect(10, 30, 298, 30));
    auto* original = new QRadioButton(QStringLiteral("Original"), this);
    place(original, kOriginal, QRect(21, 42, 45, 10));
    auto* customize = new QRadioButton(QStringLiteral("Customize"), this);
    place(customize, kCustomize, QRect(91, 43, 51, 10));
    // The size fields have no labels of their own; screen readers get names.
    for (auto [id, x, name] :
         {std::tuple{kWidth, 150, "Width"}, std::tuple{kHeight, 195, "Height"}}) {
        auto* edit = new QLineEdit(this);
        edit->setAccessibleName(QString::fromLatin1(name));
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
        place(edit, id, QRect(x, 41, 28, 14));
    }
    place(new QLabel(QStringLiteral("X"), this), -1, QRect(183, 44, 9, 8));
    place(new QTabWidget(this), kTabControl, QRect(14, 69, 303, 114));
    auto* placeholder = new QLabel(QStringLiteral("Static"), this);
    placeholder->hide();
    place(placeholder, kPagePlaceholder, QRect(20, 87, 292, 95));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    place(ok, kOk, QRect(207, 190, 50, 14));
    place(new QPushButton(QStringLiteral("Cancel"), this), kCancel, QRect(262, 190, 50, 14));

    connect(browse, &QPushButton::clicked, this, &CDlgConf::OnBrowse);
    connect(original, &QRadioButton::clicked, this, &CDlgConf::OnOriginal);
    connect(customize, &QRadioButton::clicked, this, &CDlgConf::OnCustomize);
    connect(ok, &QPushButton::clicked, this, &CDlgConf::accept);
    connect(qobject_cast<QPushButton*>(Control(kCancel)), &QPushButton::clicked, this,
            &CDlgConf::reject);
}

void CDlgConf::CreatePages() {
    QTabWidget* tabs = TabControl();
    QRect area = Control(kPagePlaceholder)->geometry();
    area.moveTopLeft(tabs->mapFrom(this, area.topLeft()));
    m_pages = {CreateAviPage(tabs, m_units), CreateMpegPage(tabs, m_units),
               CreateWmvPage(tabs, m_units), CreateRmPage(tabs, m_units)};
    for (TabPropPage* page : m_pages) {
        page->SetEncoder(&m_encoder);
        page->setGeometry(area);
        page->hide();
    }
    // Only AVI and MPEG have tabs; the WMV and RM pages are shown only for a
    // stored output kind that asks for them.
    tabs->addTab(new QWidget, QStringLiteral("To AVI"));
    tabs->addTab(new QWidget, QStringLiteral("To MPEG"));
    connect(tabs, &QTabWidget::currentChanged, this, &CDlgConf::OnTabChanged);
}

namespace {

// Fills a list with the names of the encoder's entries 1 ... count and then
// selects the first entry, in the list and on the encoder.
void FillList(QComboBox* list, std::int32_t count,
              const std::function<std::string(std::int32_t)>& nameOf,
              const std::function<void(std::int32_t)>& selectFirst) {
    int widest = 0;
    for (std::int32_t number = 1; number <= count; ++number) {
        QString name = QString::fromStdString(nameOf(number));
        list->addItem(name);
        list->setItemData(list->count() - 1, name, Qt::ToolTipRole);
        widest = std::max(widest, list->fontMetrics().horizontalAdvance(name));
    }
    // The list keeps its place in the page, but its drop-down shows whole
    // names, which are longer than the box.
    list->view()->setMinimumWidth(widest + list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                                  2 * list->fontMetrics().averageCharWidth());
    if (count >= 1) {
        list->setCurrentIndex(0);
        selectFirst(1);
    }
}

} // namespace

void CDlgConf::FillEncoderLists() {
    encoder::IVideoEncoder& enc = m_encoder;
    std::int32_t count = 0;
    enc.GetVideoCodecCount(&count);
    FillList(
        m_pages[kAviPage]->List(TabPropPage::kAviCodec), count,
        [&](std::int32_t number) {
            std::string name;
            enc.SelectVideoCodec(number);
            enc.GetVideoCodecName(&name);
            if (name.find(kDvCodecName) != std::string::npos)
                m_dvCodecIndex = number - 1;
            return name;
        },
        [&](std::int32_t number) { enc.SelectVideoCodec(number); });

    count = 0;
    enc.GetWmvProfileCount(&count);
    FillList(
        m_pages[kWmvPage]->List(TabPropPage::kWmvProfile), count,
        [&](std::int32_t number) {
            std::string name;
            enc.SelectWmvProfile(number);
            enc.GetWmvProfileName(&name);
            return name;
        },
        [&](std::int32_t number) { enc.SelectWmvProfile(number); });

    count = 0;
    enc.GetRmProfileCount(&count);
    FillList(
        m_pages[kRmPage]->List(TabPropPage::kRmProfile), count,
        [&](std::int32_t number) {
            std::string name;
            enc.GetRmProfileName(number, &name);
            return name;
        },
        [&](std::int32_t number) { enc.SelectRmProfile(number); });
}

void CDlgConf::SetFallbackStates() {
    SetRadioChecks({{Radio(kOriginal), true}, {Radio(kCustomize), false}});
    Edit(kWidth)->setText(QStringLiteral("320"));
    Edit(kHeight)->setText(QStringLiteral("240"));
    EnableSizeEdits(false);
    TabPropPage& avi = *m_pages[kAviPage];
    TabPropPage& mpeg = *m_pages[kMpegPage];
    SelectListItem(avi.List(TabPropPage::kAviFrameRate), 3);
    SelectListItem(avi.List(TabPropPage::kChannels), 1);
    avi.Radio(TabPropPage::kPcm)->setChecked(true);
    SelectListItem(mpeg.List(TabPropPage::kMpegFrameRate), 3);
    SelectListItem(mpeg.List(TabPropPage::kMpegVideoBitrate), 1);
    SelectListItem(mpeg.List(TabPropPage::kMpegAudioBitrate), 7);
    mpeg.Radio(TabPropPage::kMpeg1)->setChecked(true);
}

void CDlgConf::ApplySettings() {
    {
        // Choosing the tab here is not a tab change: no page is shown yet.
        QSignalBlocker quiet(TabControl());
        TabControl()->setCurrentIndex(m_settings.outputKind);
        m_currentTab = TabControl()->currentIndex();
    }
    SetRadioChecks({{Radio(kOriginal), m_settings.sizeMode == ConversionSettings::kOriginalSize},
                    {Radio(kCustomize), m_settings.sizeMode == ConversionSettings::kCustomSize}});
    Edit(kHeight)->setText(QString::number(m_settings.height));
    Edit(kWidth)->setText(QString::number(m_settings.width));
    Edit(kSaveTo)->setText(QString::fromStdString(m_settings.outputFolder));
    EnableSizeEdits(m_settings.sizeMode == ConversionSettings::kCustomSize);
    ApplyListSettings();
}

void CDlgConf::ApplyListSettings() {
    TabPropPage& avi = *m_pages[kAviPage];
    TabPropPage& mpeg = *m_pages[kMpegPage];
    SelectListValue(avi.List(TabPropPage::kAviFrameRate), m_settings.aviFrameRate);
    QComboBox* codecs = avi.List(TabPropPage::kAviCodec);
    if (m_settings.aviCodec == -1) {
        CodecPreference preference;
        for (int i = 0; i < codecs->count(); ++i)
            preference.Consider(i, codecs->itemText(i).toStdString());
        m_settings.aviCodec = preference.Choice();
    }
    m_encoder.SelectVideoCodec(m_settings.aviCodec + 1);
    SelectListItem(codecs, m_settings.aviCodec);
    // A stored format or channel count outside the lists leaves the fallback.
    if (QRadioButton* format = avi.Radio(TabPropPage::kPcm + m_settings.audioFormat);
        format && m_settings.audioFormat >= 0)
        format->setChecked(true);
    SelectListItem(avi.List(TabPropPage::kChannels), m_settings.channels);

    SelectListValue(mpeg.List(TabPropPage::kMpegFrameRate), m_settings.mpegFrameRate);
    SelectListValue(mpeg.List(TabPropPage::kMpegVideoBitrate), m_settings.mpegVideoBitrate);
    SelectListValue(mpeg.List(TabPropPage::kMpegAudioBitrate), m_settings.mpegAudioBitrate);
    SelectListItem(mpeg.List(TabPropPage::kMpegChannels), 0);
    if (m_settings.mpegVersion == 0 || m_settings.mpegVersion == 1)
        mpeg.Radio(TabPropPage::kMpeg1 + m_settings.mpegVersion)->setChecked(true);

    QComboBox* wmv = m_pages[kWmvPage]->List(TabPropPage::kWmvProfile);
    if (m_settings.wmvProfile == -1)
        m_settings.wmvProfile = std::max(wmv->count() - 1, 0);
    SelectListItem(wmv, m_settings.wmvProfile);
    if (m_settings.rmProfile == -1) {
        std::int32_t count = 0;
        m_encoder.GetRmProfileCount(&count);
        m_settings.rmProfile = count - 1;
    }
    SelectListItem(m_pages[kRmPage]->List(TabPropPage::kRmProfile), m_settings.rmProfile);
}

void CDlgConf::ApplyDvRule() {
    int selected = m_pages[kAviPage]->List(TabPropPage::kAviCodec)->currentIndex();
    // An encoder without a DV codec never triggers the rule, not even with an
    // empty codec list, whose "no selection" would otherwise match.
    if (m_dvCodecIndex >= 0 && selected == m_dvCodecIndex) {
        if (!m_sizeBeforeDv)
            m_sizeBeforeDv.emplace(Edit(kWidth)->text(), Edit(kHeight)->text());
        for (int id : {kWidth, kHeight, kOriginal, kCustomize})
            Control(id)->setEnabled(false);
        Edit(kWidth)->setText(QStringLiteral("720"));
        Edit(kHeight)->setText(QStringLiteral("576"));
        return;
    }
    // Another codec keeps the size the user has chosen in this dialog, not
    // the one stored before it opened.
    if (m_sizeBeforeDv) {
        Edit(kWidth)->setText(m_sizeBeforeDv->first);
        Edit(kHeight)->setText(m_sizeBeforeDv->second);
        m_sizeBeforeDv.reset();
    }
    bool sizeChoosable = m_currentTab != kWmvPage;
    for (int id : {kOriginal, kCustomize})
        Control(id)->setEnabled(sizeChoosable);
    EnableSizeEdits(sizeChoosable && Radio(kCustomize)->isChecked());
}

bool CDlgConf::event(QEvent* event) {
    if (static_cast<int>(event->type()) == WM_CONF_CODEC_CHANGED) {
        ApplyDvRule();
        static_cast<WindowMessage*>(event)->result = 0;
        return true;
    }
    return QDialog::event(event);
}

void CDlgConf::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    for (TabPropPage* page : m_pages)
        page->hide();
    if (m_settings.outputKind >= 0 && m_settings.outputKind < kPageCount)
        m_pages[static_cast<std::size_t>(m_settings.outputKind)]->show();
    if (m_settings.outputKind == ConversionSettings::kWmv)
        for (int id : {kOriginal, kCustomize, kHeight, kWidth})
            Control(id)->setEnabled(false);
}

void CDlgConf::OnTabChanged(int index) {
    m_pages[static_cast<std::size_t>(m_currentTab)]->setEnabled(false);
    // Every page is hidden, not only the one of the tab being left: a WMV or RM page shown for a
    // stored kind has no tab of its own; it goes too, or it would stay on screen under the page of
    // the new tab.
    for (TabPropPage* page : m_pages)
        page->hide();
    m_currentTab = index;
    TabPropPage* entering = m_pages[static_cast<std::size_t>(index)];
    entering->setEnabled(true);
    entering->show();
    if (index != kWmvPage)
        for (int id : {kOriginal, kCustomize, kHeight, kWidth})
            Control(id)->setEnabled(true);
    if (Radio(kOriginal)->isChecked())
        EnableSizeEdits(false);
}

void CDlgConf::OnOriginal() {
    SetRadioChecks({{Radio(kOriginal), true}, {Radio(kCustomize), false}});
    EnableSizeEdits(false);
}

void CDlgConf::OnCustomize() {
    SetRadioChecks({{Radio(kOriginal), false}, {Radio(kCustomize), true}});
    EnableSizeEdits(true);
}

void CDlgConf::OnBrowse() {
    QString folder = m_browseForFolder(this, QStringLiteral("Select output directory"));
    if (folder.isEmpty())
        return;
    if (!folder.endsWith('\\') && !folder.endsWith('/'))
        folder += '/';
    m_settings.outputFolder = folder.toStdString();
    Edit(kSaveTo)->setText(folder);
}

void CDlgConf::EnableSizeEdits(bool enabled) {
    Edit(kWidth)->setEnabled(enabled);
    Edit(kHeight)->setEnabled(enabled);
}

} // namespace vidorama
