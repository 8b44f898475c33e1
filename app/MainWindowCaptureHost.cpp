#include "app/MainWindowCaptureHost.h"

#include "app/CReelcapDlg.h"
#include "app/UiThread.h"
#include "app/WindowMessages.h"
#include "app/layout/MainWindowLayout.h"
#include "controls/CDlgCtrl.h"
#include "flash/CFlash.h"

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
        bool visible = m_window.isVisible();
        m_window.setWindowFlag(Qt::WindowMinimizeButtonHint, !on);
        m_window.setWindowFlag(Qt::WindowStaysOnTopHint, on);
        if (visible)
            m_window.show(); // changing the flags hides the window
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
    m_window.flash()->Play();
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
