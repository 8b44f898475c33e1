#pragma once

#include <cstdint>

class QImage;

namespace vidorama {

// What the capture thread asks of the main window and the player. Every call
// is carried out on the user-interface thread while the capture thread waits,
// as a sent window message would be.
class CaptureHost {
public:
    virtual ~CaptureHost() = default;

    // Moves the main window fully onto the screen, keeping its size.
    virtual void MoveWindowOnScreen() = 0;
    // Disables the bar's controls, the player's menu and the minimise box and
    // keeps the window on top; LeaveCaptureMode undoes all of it.
    virtual void EnterCaptureMode() = 0;
    virtual void LeaveCaptureMode() = 0;
    virtual bool AutoPlayChecked() = 0;
    virtual bool AutoEndChecked() = 0;

    virtual void Play() = 0;
    virtual std::int32_t FrameNum() = 0;
    virtual void SetFrameNum(std::int32_t frame) = 0;
    // Playing := false, then Stop, then StopPlay.
    virtual void StopMovie() = 0;
    // Paints the player's current picture into the image at its size.
    virtual void PaintFrame(QImage& target) = 0;

    // Starts the encode pass on a thread of its own.
    virtual void StartEncodePass() = 0;
    // Sends WM_CAPTURE_DONE and returns when the completion dialog has closed.
    virtual void SendCaptureDone() = 0;
    virtual void EnableFinish() = 0;
    // Clears capturing and unlocks the seek bar.
    virtual void EndCapture() = 0;
};

} // namespace vidorama
