#include "app/MainWindowCaptureHost.h"

#include "app/CReelcapDlg.h"
#include "app/layout/MainWindowLayout.h"
#include "controls/CDlgCtrl.h"
#include "flash/CFlash.h"
#include "ui/UiThread.h"
#include "ui/WindowMessages.h"

#include <QWindow>

namespace vidorama {

void MainWindowCaptureHost::MoveWindowOnScreen() {
    CallOnOwnerThread(&m_window, [this] { m_window.layout()->KeepWindowOnScreen(); });
}

void MainWindowCaptureHost::SetCaptureMode(bool on) {
    CallOnOwnerThread(&m_window, [this, on] {
        for (int id :
             {CDlgCtrl::kPlay, CDlgCtrl::kStop, CDlgCtrl::kOpen, CDlgCtrl::kRestore,
              CDlgCtrl::kSettings, CDlgCtrl::kAutoPlay, CDlgCtrl::kAutoEnd, CDlgCtrl::kCapture})
            m_window.controlBar()->EnableControl(id, !on);
        m_window.flash()->SetMenu(!on);
        // QWidget::setWindowFlags would hide and re-create the window; the
        // native window takes the new flags in place instead.
        Qt::WindowFlags flags = m_window.windowFlags();
        flags.setFlag(Qt::WindowMinimizeButtonHint, !on);
        flags.setFlag(Qt::WindowStaysOnTopHint, on);
        m_window.overrideWindowFlags(flags);
        if (QWindow* handle = m_window.windowHandle())
            handle->setFlags(flags);
    });
}

void MainWindowCaptureHost::EnterCaptureMode() {
    SetCaptureMode(true);
}
void MainWindowCaptureHost::LeaveCaptureMode() {
    SetCaptureMode(false);
}

bool MainWindowCaptureHost::AutoPlayChecked() {
    return CallOnOwnerThread(
        &m_window, [this] { return m_window.controlBar()->IsChecked(CDlgCtrl::kAutoPlay); });
}

bool MainWindowCaptureHost::AutoEndChecked() {
    return CallOnOwnerThread(
        &m_window, [this] { return m_window.controlBar()->IsChecked(CDlgCtrl::kAutoEnd); });
}

void MainWindowCaptureHost::Play() {
    // A capture holds the whole movie: it starts from the first frame, as
    // the Stop command leaves it, not wherever the preview had got to.
    CFlash* flash = m_window.flash();
    flash->Stop();
    flash->GotoFrame(0);
    flash->Play();
}
std::int32_t MainWindowCaptureHost::FrameNum() {
    return m_window.flash()->FrameNum();
}
void MainWindowCaptureHost::SetFrameNum(std::int32_t frame) {
    m_window.flash()->SetFrameNum(frame);
}

void MainWindowCaptureHost::StopMovie() {
    CFlash* flash = m_window.flash();
    flash->SetPlaying(false);
    flash->Stop();
    flash->StopPlay();
}

void MainWindowCaptureHost::PaintFrame(QImage& target) {
    m_window.flash()->PaintInto(target);
}

void MainWindowCaptureHost::StartEncodePass() {
    m_window.StartEncodeThread();
}

void MainWindowCaptureHost::SendCaptureDone() {
    SendWindowMessage(&m_window, WM_CAPTURE_DONE, 0, reinterpret_cast<std::intptr_t>(&m_window));
}

void MainWindowCaptureHost::EnableFinish() {
    CallOnOwnerThread(&m_window,
                      [this] { m_window.controlBar()->EnableControl(CDlgCtrl::kFinish, true); });
}

void MainWindowCaptureHost::EndCapture() {
    CallOnOwnerThread(&m_window, [this] {
        m_window.capturing = false;
        m_window.controlBar()->SetRangeLocked(false);
    });
}

} // namespace vidorama
