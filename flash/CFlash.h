#pragma once

#include "vidorama/flash/FlashControl.h"

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

namespace vidorama {

// The child window that hosts the player component. Every call goes through
// the component's dispatch entry with the member's identifier. Calls made from
// a worker thread are carried out on the user-interface thread, so the player
// is only ever used from one thread.
class CFlash : public QWidget {
    Q_OBJECT

public:
    static constexpr int kControlId = 2000;

    explicit CFlash(QWidget* parent = nullptr);
    ~CFlash() override;

    // Takes over the control; without one every call answers zero or false.
    void Attach(std::unique_ptr<flash::IFlashControl> control);
    flash::IFlashControl* Control() const { return m_control.get(); }

    std::int32_t TotalFrames();
    void SetPlaying(bool playing);
    std::int32_t ScaleMode();
    void SetScaleMode(std::int32_t mode);
    void SetLoop(bool loop);
    std::int32_t FrameNum();
    void SetFrameNum(std::int32_t frame);
    void Play();
    void Stop();
    void StopPlay();
    void GotoFrame(std::int32_t frame);
    std::int32_t CurrentFrame();
    bool IsPlaying();
    void SetMenu(bool enabled);
    void LoadMovie(std::int32_t layer, const std::string& url);

    // Paints the current frame into the image at the image's size.
    void PaintInto(QImage& target);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    flash::Variant Call(flash::DispId id, flash::InvokeKind kind,
                        std::initializer_list<flash::Variant> args = {});
    std::int32_t CallLong(flash::DispId id, flash::InvokeKind kind);

    std::unique_ptr<flash::IFlashControl> m_control;
    QImage m_frame;
};

} // namespace vidorama
