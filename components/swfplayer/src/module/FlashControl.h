#pragma once

#include "module/FramePacer.h"
#include "vidorama/flash/FlashControl.h"

#include <QTimer>
#include <memory>

namespace vidorama::swf {

class Player;

// The player as the program hosts it: the automation members by dispatch
// identifier, real-time play at the movie's frame rate on the thread that
// owns it (a Qt timer), and painting the current frame stretched to any size.
class FlashControl final : public flash::IFlashControl {
public:
    FlashControl();
    ~FlashControl() override;

    flash::Variant Invoke(flash::DispId id, flash::InvokeKind kind,
                          std::span<const flash::Variant> args) override;
    void Paint(QImage& target) override;
    void SetRepaintRequest(std::function<void()> request) override;
    flash::ImportTable& Imports() override { return m_imports; }

private:
    flash::Variant property(flash::DispId id);
    void putProperty(flash::DispId id, const flash::Variant& value);
    flash::Variant method(flash::DispId id, std::span<const flash::Variant> args);

    void loadMovie(const std::string& url);
    void setPlaying(bool playing);
    // Frames are 0-based at this interface, as the control counts them.
    void gotoFrame(std::int32_t frame);
    std::int32_t currentFrame() const;
    void tick();
    void repaint();

    std::unique_ptr<Player> m_player;
    FramePacer m_pacer;
    QTimer m_timer;
    std::function<void()> m_repaint;
    // The wave-out functions the player plays its sound through, called only
    // through this table so that the host can intercept them.
    // FIXME: the engine's sound output arrives with the sound work; the
    // imports are in place already so the host's hooks find them.
    flash::ImportTable m_imports;
    std::int32_t m_scaleMode = 0;
    bool m_loop = true;
    bool m_menu = true;
};

} // namespace vidorama::swf
