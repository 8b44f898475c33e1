#pragma once

#include "app/AppEnvironment.h"
#include "app/CInstanceMutex.h"
#include "app/WorkerThread.h"
#include "capture/AutoResetEvent.h"
#include "capture/FrameScaler.h"
#include "capture/SoundCapture.h"
#include "capture/WorkBuffers.h"
#include "diag/CLogFile.h"
#include "settings/ConversionSettings.h"
#include "vidorama/encoder/IVideoEncoder.h"

#include <QDialog>
#include <QIcon>
#include <QImage>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vidorama {

class CDlgCtrl;
class CFlash;
class MainWindowLayout;
class MainWindowCaptureHost;
class WindowMessage;

// The program's one main window. It owns everything a conversion needs and
// turns the control bar's requests into the workflow of one conversion.
class CReelcapDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kStartupPictureWidth = 554;
    static constexpr int kStartupPictureHeight = 307;

    // Construction may end the process (through env.endProcess): at once when
    // another instance runs, or after a message when a component is missing.
    explicit CReelcapDlg(AppEnvironment env);
    ~CReelcapDlg() override;

    // The window set-up, run once before the window is first shown. False when
    // the window ended during the set-up (the player is not installed).
    bool InitDialog();

    // Operations of the conversion workflow.
    bool ProbeMovie();
    void LoadOpenedMovie(const QString& fileName);
    // Opens a movie as the Open button does once its file is chosen.
    void OpenMovie(const QString& path);
    // A movie named on the command line, of this start or of a later one;
    // taken when the window would take a dropped file.
    void OnOpenRequest(const QString& path);
    void ResetMovieInfo();
    void OnDropFiles(const QStringList& paths);
    void OnSeek(std::int32_t frame);
    void OnFinish();
    void OnClose();
    void UpdateFrameCounter();
    bool PrepareConversion();
    void StartEncodeThread();

    // Shared state; the worker threads use it as their parts of the program
    // describe.
    ConversionSettings settings;
    bool sizeAdjusted = false;
    std::unique_ptr<encoder::IVideoEncoder> encoder;
    std::string outputPath, outputPartPath;
    std::atomic<bool> outputStarted{false};
    std::string moviePath;
    bool movieOpen = false;
    std::int32_t nativeWidth = 0, nativeHeight = 0;
    std::int32_t captureWidth = kStartupPictureWidth, captureHeight = kStartupPictureHeight;
    std::int32_t maxMovieWidth = 0, maxMovieHeight = 0;
    std::int32_t movieFrameRate = 0;
    std::uint32_t totalFrames = 0;

    std::atomic<bool> capturing{false};
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> abortRequested{false};
    std::atomic<bool> cancelRequested{false};
    std::atomic<std::uint32_t> captureStartTick{0};
    std::atomic<int> encodeProgress{0};
    AutoResetEvent captureIdleEvent, audioIdleEvent, encodeIdleEvent;

    SoundCapture sound;

    std::int32_t outputWidth = 0, outputHeight = 0;
    double frameRate = 0;
    QImage captureImage;
    FrameScaler frameScaler;
    WorkerThread captureThread, audioThread, encodeThread;

    std::string videoSpoolPath, audioSpoolPath;
    WorkBuffers workBuffers;
    std::unique_ptr<encoder::ByteArray> sourceFrameArray, outputFrameArray;
    std::unique_ptr<encoder::SampleArray> silenceArray;

    CFlash* flash() const { return m_flash; }
    MainWindowLayout* layout() const { return m_layout.get(); }
    CDlgCtrl* controlBar() const { return m_controlBar; }
    CLogFile& log() { return m_log; }
    MessageBoxes& messages() { return *m_env.messages; }
    bool probeSucceeded() const { return m_probeSucceeded; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void HandleMessage(WindowMessage& message);
    void OnOpenSwf();
    void OnOutputSettings();
    void StartCapture();
    bool CreateCaptureResources();
    void FailCaptureStart(const QString& message);
    void OnCaptureDone();
    void WaitServingWorkers(AutoResetEvent& idleEvent);
    // Ends the capture, encode and audio threads and frees what a conversion
    // holds; the settings are saved. Runs once, from closing or destruction.
    void StopWorkersAndRelease();
    void FitWindowToMovie();
    void RefreshSettingsSummary();
    void EnableControls(std::initializer_list<int> ids);
    void ShowMessage(const QString& text, const QString& caption);

    AppEnvironment m_env;
    CInstanceMutex instance;
    CLogFile m_log;
    QIcon icon;
    CFlash* m_flash = nullptr;
    CDlgCtrl* m_controlBar = nullptr;
    std::unique_ptr<MainWindowCaptureHost> m_captureHost;
    std::unique_ptr<MainWindowLayout> m_layout;
    int m_frameTimer = 0;
    bool m_probeSucceeded = false;
    bool m_closed = false;
};

} // namespace vidorama
