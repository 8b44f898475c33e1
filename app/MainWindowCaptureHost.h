#pragma once

#include "capture/CaptureHost.h"

namespace vidorama {

class CReelcapDlg;

// The main window and its player as the capture thread sees them: every call
// is carried out on the user-interface thread.
class MainWindowCaptureHost final : public CaptureHost {
public:
    explicit MainWindowCaptureHost(CReelcapDlg& window) : m_window(window) {}

    void MoveWindowOnScreen() override;
    void EnterCaptureMode() override;
    void LeaveCaptureMode() override;
    bool AutoPlayChecked() override;
    bool AutoEndChecked() override;
    void Play() override;
    std::int32_t FrameNum() override;
    void SetFrameNum(std::int32_t frame) override;
    void StopMovie() override;
    void PaintFrame(QImage& target) override;
    void StartEncodePass() override;
    void SendCaptureDone() override;
    void EnableFinish() override;
    void EndCapture() override;

private:
    void SetCaptureMode(bool on);

    CReelcapDlg& m_window;
};

} // namespace vidorama
