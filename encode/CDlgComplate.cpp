#include "encode/CDlgComplate.h"

#include "capture/AutoResetEvent.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimerEvent>
#include <QUrl>
#include <chrono>

namespace vidorama {

CDlgComplate::CDlgComplate(std::string outputPath, AutoResetEvent& doneEvent,
                           const std::atomic<int>& encodeProgress,
                           std::atomic<bool>& cancelRequested, ShowFile showFile)
    : QDialog(nullptr), m_outputPath(std::move(outputPath)), m_doneEvent(doneEvent),
      m_encodeProgress(encodeProgress), m_cancelRequested(cancelRequested),
      m_showFile(std::move(showFile)) {
    auto* layout = new QGridLayout(this);
    m_percent = new QLabel(this);
    m_percent->setAlignment(Qt::AlignCenter);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setDefault(true);
    m_pathEdit = new QLineEdit(this);
    m_pathEdit->setReadOnly(true);
    m_savedAs = new QLabel(
        QStringLiteral("Conversion completed and the output file has been saved as:"), this);
    m_openFolder = new QPushButton(QStringLiteral("Open folder"), this);
    m_waiting = new QLabel(this);
    layout->addWidget(m_percent, 0, 0, 1, 3);
    layout->addWidget(m_progress, 1, 0, 1, 3);
    layout->addWidget(m_waiting, 2, 0, 1, 2);
    layout->addWidget(m_cancel, 2, 2);
    layout->addWidget(m_pathEdit, 3, 0);
    layout->addWidget(m_savedAs, 3, 1);
    layout->addWidget(m_openFolder, 3, 2);
    connect(m_cancel, &QPushButton::clicked, this, &CDlgComplate::OnCancel);
    connect(m_openFolder, &QPushButton::clicked, this, &CDlgComplate::ShowOutputFile);

    m_timer = startTimer(kTimerPeriodMs);
    m_pathEdit->setText(QString::fromStdString(m_outputPath));
    m_percent->show();
    m_pathEdit->hide();
    m_savedAs->hide();
    m_openFolder->hide();
    setWindowTitle(QStringLiteral("Waiting for the conversion..."));
    m_waiting->setText(QStringLiteral(" Waiting for the conversion..."));
    // Wide enough for the window manager to show the whole title beside its
    // buttons; the title font is not ours to know, so a bold one stands in.
    QFont titleFont = font();
    titleFont.setBold(true);
    int titleWidth = QFontMetrics(titleFont).horizontalAdvance(windowTitle());
    setMinimumWidth(titleWidth + 8 * QFontMetrics(titleFont).height());
}

QWidget* CDlgComplate::Control(int id) const {
    switch (id) {
    case kPercent:
        return m_percent;
    case kProgress:
        return m_progress;
    case kCancel:
        return m_cancel;
    case kOutputPath:
        return m_pathEdit;
    case kSavedAs:
        return m_savedAs;
    case kOpenFolder:
        return m_openFolder;
    case kWaiting:
        return m_waiting;
    default:
        return nullptr;
    }
}

void CDlgComplate::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timer) {
        QDialog::timerEvent(event);
        return;
    }
    if (m_doneEvent.WaitFor(std::chrono::milliseconds(kTimerPeriodMs))) {
        m_doneEvent.Set(); // others, such as the closing main window, still see it
        killTimer(m_timer);
        m_timer = 0;
        ShowOutputFile();
        reject();
        return;
    }
    int percent = m_encodeProgress.load();
    m_percent->setText(QString::asprintf("%d%%", percent));
    m_progress->setValue(percent);
}

void CDlgComplate::ShowOutputFile() {
    if (m_showFile && QFileInfo::exists(QString::fromStdString(m_outputPath)))
        m_showFile(m_outputPath);
}

void CDlgComplate::OnCancel() {
    m_cancelRequested = true;
    accept();
}

void CDlgComplate::reject() {
    if (m_timer != 0)
        m_cancelRequested = true;
    QDialog::reject();
}

bool ShowFileInFileManager(const std::string& path) {
    QString file = QString::fromStdString(path);
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(file).toString()} << QString();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() &&
        bus.call(call, QDBus::Block, 3000).type() != QDBusMessage::ErrorMessage)
        return true;
    // Without a file manager on the bus, the desktop's opener (xdg-open).
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(file).absolutePath()));
}

} // namespace vidorama
