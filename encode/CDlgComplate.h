#pragma once

#include <QDialog>
#include <atomic>
#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace vidorama {

class AutoResetEvent;

// Shows the encode pass's progress while it runs. It closes by itself when
// the pass has ended, and then shows the output file in the file manager; its
// Cancel tells the pass to stop and closes at once.
class CDlgComplate : public QDialog {
    Q_OBJECT

public:
    enum ControlId {
        kPercent = 1048,
        kProgress = 1052,
        kCancel = 1050,
        kOutputPath = 1041,
        kSavedAs = 1049,
        kOpenFolder = 1006,
        kWaiting = 1051,
    };
    static constexpr int kTimerPeriodMs = 100;

    using ShowFile = std::function<void(const std::string& path)>;

    CDlgComplate(std::string outputPath, AutoResetEvent& doneEvent,
                 const std::atomic<int>& encodeProgress, std::atomic<bool>& cancelRequested,
                 ShowFile showFile);

    QWidget* Control(int id) const;

    // The close box and Escape end the wait as Cancel does: the encode pass
    // must not go on unseen after its dialog is gone.
    void reject() override;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void ShowOutputFile();
    void OnCancel();

    std::string m_outputPath;
    AutoResetEvent& m_doneEvent;
    const std::atomic<int>& m_encodeProgress;
    std::atomic<bool>& m_cancelRequested;
    ShowFile m_showFile;
    int m_timer = 0;
    QLabel* m_percent;
    QProgressBar* m_progress;
    QPushButton* m_cancel;
    QLineEdit* m_pathEdit;
    QLabel* m_savedAs;
    QPushButton* m_openFolder;
    QLabel* m_waiting;
};

// Asks the desktop's file manager to show the file selected; falls back to
// opening its folder. False when nothing on the desktop could be asked.
bool ShowFileInFileManager(const std::string& path);

} // namespace vidorama
