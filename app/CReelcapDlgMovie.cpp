#include "app/CReelcapDlg.h"
#include "app/MainWindowCaptureHost.h"
#include "app/layout/MainWindowLayout.h"
#include "controls/CDlgCtrl.h"
#include "flash/CFlash.h"
#include "flash/MovieProbe.h"
#include "settings/SettingsSummary.h"
#include "ui/MessageBoxes.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QTimerEvent>
#include <QUrl>
#include <algorithm>

namespace vidorama {

namespace {
constexpr int kScaleModeExactFit = 2;
const QString kFailedToOpen = QStringLiteral("Failed to open the file.");
} // namespace

void CReelcapDlg::ResetMovieInfo() {
    movieFrameRate = 0;
    captureWidth = 0;
    captureHeight = 0;
    sound.soundFormatKnown = false;
    m_probeSucceeded = false;
}

bool CReelcapDlg::ProbeMovie() {
    MovieProbe probe;
    bool ok = ProbeMovieFile(moviePath, static_cast<std::uint32_t>(maxMovieWidth),
                             static_cast<std::uint32_t>(maxMovieHeight), probe);
    captureWidth = nativeWidth = probe.width;
    captureHeight = nativeHeight = probe.height;
    if (ok)
        movieFrameRate = 12;
    m_probeSucceeded = ok;
    return ok;
}

void CReelcapDlg::OnOpenSwf() {
    QString chosen = m_env.chooseMovieFile ? m_env.chooseMovieFile(this) : QString();
    if (!chosen.isEmpty())
        OpenMovie(chosen);
}

void CReelcapDlg::OpenMovie(const QString& path) {
    ResetMovieInfo();
    moviePath = path.toStdString();
    if (!ProbeMovie()) {
        ShowMessage(kFailedToOpen, ApplicationTitle());
        return;
    }
    LoadOpenedMovie(QFileInfo(path).fileName());
}

void CReelcapDlg::OnDropFiles(const QStringList& paths) {
    if (capturing || paths.isEmpty())
        return;
    const QString& path = paths.front();
    if (path.isEmpty())
        return;
    // The name is judged and shown in lower case, as the program always did;
    // the file itself is opened by its real path, because Linux file names
    // are case-sensitive.
    QString lowerName = QFileInfo(path).fileName().toLower();
    if (!path.toLower().endsWith(QStringLiteral(".swf"))) {
        ShowMessage(kFailedToOpen, QStringLiteral("Vidorama"));
        return;
    }
    ResetMovieInfo();
    moviePath = path.toStdString();
    if (!ProbeMovie()) {
        ShowMessage(kFailedToOpen, QStringLiteral("Vidorama"));
        return;
    }
    LoadOpenedMovie(lowerName);
}

void CReelcapDlg::LoadOpenedMovie(const QString& fileName) {
    settings.sizeMode = ConversionSettings::kOriginalSize;
    sizeAdjusted = false;
    setWindowTitle(QStringLiteral("Vidorama - ") + fileName);
    movieOpen = true;
    FitWindowToMovie();
    EnableControls({CDlgCtrl::kPlay, CDlgCtrl::kStop, CDlgCtrl::kCapture, CDlgCtrl::kFinish,
                    CDlgCtrl::kSettings});
    m_flash->LoadMovie(0, moviePath);
    m_flash->SetScaleMode(kScaleModeExactFit);
    m_flash->SetLoop(false);
    totalFrames = static_cast<std::uint32_t>(m_flash->TotalFrames());
    m_controlBar->SetRange(static_cast<int>(totalFrames));
    m_flash->GotoFrame(0);
    RefreshSettingsSummary();
}

void CReelcapDlg::OnSeek(std::int32_t frame) {
    if (!movieOpen || capturing)
        return;
    bool wasPlaying = m_flash->IsPlaying();
    m_flash->SetFrameNum(frame);
    m_flash->SetPlaying(wasPlaying);
}

void CReelcapDlg::OnFinish() {
    if (capturing) {
        m_controlBar->EnableControl(CDlgCtrl::kFinish, false);
        m_flash->SetPlaying(false);
        m_flash->Stop();
        m_flash->StopPlay();
    }
    stopRequested = true;
}

void CReelcapDlg::OnOutputSettings() {
    ConversionSettings copy = settings;
    copy.mpegChannels = 2;
    std::optional<ConversionSettings> edited =
        m_env.runSettingsDialog
            ? m_env.runSettingsDialog(this, *encoder, copy, maxMovieWidth, maxMovieHeight)
            : std::nullopt;
    if (edited) {
        settings = *edited;
        settings.mpegChannels = 2;
        if (settings.sizeMode == ConversionSettings::kCustomSize) {
            captureWidth = settings.width;
            captureHeight = settings.height;
            sizeAdjusted = false;
        } else {
            captureWidth = nativeWidth;
            captureHeight = nativeHeight;
        }
        FitWindowToMovie();
    }
    RefreshSettingsSummary();
}

void CReelcapDlg::UpdateFrameCounter() {
    if (!movieOpen)
        return;
    std::int64_t frame = static_cast<std::int64_t>(m_flash->CurrentFrame()) + 1;
    if (frame <= 0)
        frame = 0;
    else if (static_cast<std::uint64_t>(frame) > totalFrames)
        frame = totalFrames;
    m_controlBar->SetControlText(
        CDlgCtrl::kFrameCounter,
        QString::asprintf("%d / %u", static_cast<int>(frame), totalFrames));
    m_controlBar->SetPos(static_cast<int>(frame));
    if (m_flash->ScaleMode() != kScaleModeExactFit)
        m_flash->SetScaleMode(kScaleModeExactFit);
}

void CReelcapDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_frameTimer)
        UpdateFrameCounter();
    QDialog::timerEvent(event);
}

void CReelcapDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CReelcapDlg::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        paths << url.toLocalFile();
    event->acceptProposedAction();
    OnDropFiles(paths);
}

void CReelcapDlg::FitWindowToMovie() {
    m_layout->FitWindowToMovie({captureWidth, captureHeight}, movieOpen);
}

void CReelcapDlg::RefreshSettingsSummary() {
    m_controlBar->SetControlText(
        CDlgCtrl::kSummary,
        UpdateSettingsSummary(settings, *encoder, {captureWidth, captureHeight, sizeAdjusted}));
}

void CReelcapDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    m_layout->Paint(painter, movieOpen);
}

void CReelcapDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_layout)
        m_layout->Arrange({captureWidth, captureHeight}, movieOpen);
}

void CReelcapDlg::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (capturing && m_layout)
        m_layout->KeepWindowOnScreen();
}

} // namespace vidorama
