#include "app/CReelcapDlg.h"

#include "app/ApplicationIcon.h"
#include "app/MainWindowCaptureHost.h"
#include "app/layout/MainWindowLayout.h"
#include "controls/CDlgCtrl.h"
#include "flash/CFlash.h"
#include "settings/EncoderChoice.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsSummary.h"
#include "ui/MessageBoxes.h"
#include "ui/WindowMessages.h"
#include "vidorama/flash/FlashControl.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QScreen>
#include <QSettings>
#include <chrono>
#include <cstdio>

namespace vidorama {

namespace {
constexpr int kFrameTimerPeriodMs = 100;
constexpr std::size_t kSilenceSamples = 8820; // 100 ms of 44,100 Hz stereo
} // namespace

CReelcapDlg::CReelcapDlg(AppEnvironment env)
    : m_env(std::move(env)), instance(*m_env.messages, m_env.runtimeDirectory),
      m_log(m_env.logPath.toStdString(), *m_env.messages) {
    if (instance.FindRunningInstance(m_env.movieToOpen)) {
        m_env.endProcess(0, ProcessEnd::Quick);
        return;
    }
    icon = ApplicationIcon();
    m_log.Enable(true);

    captureIdleEvent.Set();
    audioIdleEvent.Set();
    encodeIdleEvent.Set();
    sound.capturing = &capturing;
    sound.captureStartTick = &captureStartTick;
    sound.messages = m_env.messages;
    SetSoundCaptureTarget(&sound);

    settings.outputFolder = DefaultOutputFolder(m_env.documentsDirectory);

    encoder = m_env.createEncoder ? m_env.createEncoder() : nullptr;
    if (!encoder) {
        m_env.messages->show(nullptr,
                             QStringLiteral("Can't start program for some video components "
                                            "missed. Please reinstall this program."),
                             ApplicationTitle());
        m_env.endProcess(0, ProcessEnd::Normal);
        return;
    }
    LoadSettings(settings, *encoder, m_env.configDirectory, m_env.documentsDirectory);
    if (!workBuffers.Allocate()) {
        m_env.messages->show(nullptr, QStringLiteral("Insufficient memory"), ApplicationTitle());
        m_env.endProcess(0, ProcessEnd::Normal);
        return;
    }
    moviePath.clear();
}

CReelcapDlg::~CReelcapDlg() {
    // Ending the program without closing the window (the application quit
    // under it) must still stop the workers before the window they call
    // into goes.
    if (!m_closed)
        StopWorkersAndRelease();
    SetSoundCaptureTarget(nullptr);
}

bool CReelcapDlg::InitDialog() {
    instance.Publish(this, [this](const QString& path) { OnOpenRequest(path); });
    setWindowIcon(icon);

    setAcceptDrops(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    captureWidth = kStartupPictureWidth;
    captureHeight = kStartupPictureHeight;
    m_controlBar = new CDlgCtrl(this);
    m_controlBar->show();
    m_flash = new CFlash(this);
    m_flash->setGeometry(0, 0, 0, 0);
    m_flash->show();
    if (m_env.createFlashControl)
        m_flash->Attach(m_env.createFlashControl());
    m_layout = std::make_unique<MainWindowLayout>(*this, *m_controlBar, m_flash);
    if (!m_layout->ShowStartupPicture()) {
        ShowMessage(QStringLiteral("Insufficient memory"), ApplicationTitle());
        setWindowTitle(QStringLiteral("Vidorama"));
        return true;
    }
    if (QScreen* screen = this->screen()) {
        // The frame is known only once the window manager has framed the
        // window; before that it counts as none.
        QRect outer = frameGeometry(), inner = geometry();
        QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                       outer.right() - inner.right(), outer.bottom() - inner.bottom());
        QSize largest = MainWindowLayout::MaxMovieSize(screen->availableGeometry(), frame,
                                                       m_controlBar->height());
        maxMovieWidth = largest.width();
        maxMovieHeight = largest.height();
    }

    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    EnableControls({CDlgCtrl::kPlay, CDlgCtrl::kStop, CDlgCtrl::kCapture, CDlgCtrl::kFinish});
    m_frameTimer = startTimer(kFrameTimerPeriodMs);

    std::string flashModule = m_env.findFlashModule ? m_env.findFlashModule() : std::string();
    bool keepRunning = !flashModule.empty() && m_flash->Control();
    if (!keepRunning) {
        ShowMessage(QStringLiteral("The program will be closed because flash components are "
                                   "not installed."),
                    ApplicationTitle());
        setResult(QDialog::Rejected);
        m_closed = true;
    } else {
        InstallSoundHooks(m_flash->Control()->Imports(), sound);
    }
    ChooseDefaultEncoders(settings, *encoder);
    RefreshSettingsSummary();

    silenceArray = encoder::SampleArray::Create({kSilenceSamples});
    if (!silenceArray) {
        ShowMessage(QStringLiteral("Insufficient memory."), ApplicationTitle());
    } else {
        // The XviD codec's status window stays off while we encode.
        QSettings store(QDir(m_env.configDirectory).filePath("vidorama.ini"), QSettings::IniFormat);
        store.setValue("XviD/display_status", 0);
    }
    setWindowTitle(QStringLiteral("Vidorama"));
    return keepRunning;
}

bool CReelcapDlg::event(QEvent* event) {
    int type = static_cast<int>(event->type());
    if (type >= WM_CMD_SETTINGS && type <= WM_CMD_SEEK) {
        auto& message = static_cast<WindowMessage&>(*event);
        HandleMessage(message);
        message.result = 0;
        return true;
    }
    return QDialog::event(event);
}

void CReelcapDlg::HandleMessage(WindowMessage& message) {
    switch (message.message()) {
    case WM_CMD_SETTINGS:
        OnOutputSettings();
        break;
    case WM_CMD_CAPTURE:
        StartCapture();
        break;
    case WM_CMD_OPEN:
        OnOpenSwf();
        break;
    case WM_CMD_PLAY:
        m_flash->Play();
        break;
    case WM_CMD_STOP:
        m_flash->Stop();
        m_flash->GotoFrame(0);
        break;
    case WM_CMD_FINISH:
        OnFinish();
        break;
    case WM_CAPTURE_DONE:
        OnCaptureDone();
        break;
    case WM_CMD_SEEK:
        OnSeek(static_cast<std::int32_t>(message.lParam));
        break;
    default:
        break;
    }
}

void CReelcapDlg::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape never end the main window; only closing it does.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CReelcapDlg::closeEvent(QCloseEvent* event) {
    if (!m_closed)
        OnClose();
    event->accept();
}

void CReelcapDlg::WaitServingWorkers(AutoResetEvent& idleEvent) {
    // A worker may be inside a blocking call to this thread (a frame grab, a
    // message box); keep serving those while waiting, or both would wait for
    // ever.
    using namespace std::chrono_literals;
    while (!idleEvent.WaitFor(10ms))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
}

void CReelcapDlg::OnClose() {
    StopWorkersAndRelease();
    done(QDialog::Rejected);
}

void CReelcapDlg::StopWorkersAndRelease() {
    m_closed = true;
    abortRequested = true;
    capturing = false;
    stopRequested = true;

    WaitServingWorkers(audioIdleEvent);
    WaitServingWorkers(captureIdleEvent);
    WaitServingWorkers(encodeIdleEvent);
    // The workers may still be on their way out (a capture thread ends after
    // its loop has signalled idle); nothing they use may go before they do.
    captureThread.JoinServing();
    audioThread.JoinServing();
    encodeThread.JoinServing();

    // A capture abandoned by closing never reaches the encode pass, which is
    // the only other place that removes spool files.
    for (const std::string& spool : {videoSpoolPath, audioSpoolPath})
        if (!spool.empty())
            std::remove(spool.c_str());

    if (outputStarted) {
        // A capture abandoned by closing leaves no output behind.
        encoder->CloseOutput();
        if (!outputPartPath.empty())
            std::remove(outputPartPath.c_str());
    }
    sourceFrameArray.reset();
    outputFrameArray.reset();
    silenceArray.reset();
    workBuffers.Free();
    SaveSettings(settings, m_env.configDirectory);
    DiscardQueuedBlocks(sound);
}

void CReelcapDlg::EnableControls(std::initializer_list<int> ids) {
    for (int id : ids)
        m_controlBar->EnableControl(id, true);
}

void CReelcapDlg::ShowMessage(const QString& text, const QString& caption) {
    m_env.messages->show(this, text, caption);
}

} // namespace vidorama
