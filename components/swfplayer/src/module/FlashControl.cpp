#include "module/FlashControl.h"

#include "vidorama/waveout/WaveOut.h"

#include "movie/Movie.h"
#include "player/FrameImage.h"
#include "player/Player.h"

#include <QImage>
#include <QUrl>

namespace vidorama::swf {

using flash::DispId;
using flash::InvokeKind;
using flash::Variant;

namespace {

// BOOL arguments arrive as booleans or as longs, as automation allows.
std::optional<bool> AsBool(const Variant& value) {
    if (const auto* b = std::get_if<bool>(&value))
        return *b;
    if (const auto* l = std::get_if<std::int32_t>(&value))
        return *l != 0;
    return std::nullopt;
}

std::optional<std::int32_t> AsLong(const Variant& value) {
    if (const auto* l = std::get_if<std::int32_t>(&value))
        return *l;
    if (const auto* b = std::get_if<bool>(&value))
        return *b ? 1 : 0;
    return std::nullopt;
}

// The control takes a URL; plain paths are what the program passes.
std::string LocalPath(const std::string& url) {
    QString text = QString::fromStdString(url);
    if (text.startsWith("file:", Qt::CaseInsensitive))
        return QUrl(text).toLocalFile().toStdString();
    return url;
}

} // namespace

FlashControl::FlashControl() {
    m_imports.Add("WINMM.DLL", "waveOutOpen", reinterpret_cast<void*>(&::waveOutOpen));
    m_imports.Add("WINMM.DLL", "waveOutWrite", reinterpret_cast<void*>(&::waveOutWrite));
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
}

FlashControl::~FlashControl() = default;

Variant FlashControl::Invoke(DispId id, InvokeKind kind, std::span<const Variant> args) {
    switch (kind) {
    case InvokeKind::PropertyGet:
        return property(id);
    case InvokeKind::PropertyPut:
        if (args.size() == 1)
            putProperty(id, args[0]);
        return {};
    case InvokeKind::Method:
        return method(id, args);
    }
    return {};
}

Variant FlashControl::property(DispId id) {
    switch (id) {
    case DispId::TotalFrames:
        return static_cast<std::int32_t>(m_player ? m_player->totalFrames() : 0);
    case DispId::Playing:
        return m_player && m_player->playing();
    case DispId::ScaleMode:
        return m_scaleMode;
    case DispId::Loop:
        return m_loop;
    case DispId::FrameNum:
        return currentFrame();
    case DispId::Menu:
        return m_menu;
    default:
        return {};
    }
}

void FlashControl::putProperty(DispId id, const Variant& value) {
    auto flag = AsBool(value);
    auto number = AsLong(value);
    if (id == DispId::Playing && flag) {
        setPlaying(*flag);
    } else if (id == DispId::ScaleMode && number) {
        // Any mode is remembered; the picture is always stretched to fit
        // exactly, the only mode the program uses.
        m_scaleMode = *number;
    } else if (id == DispId::Loop && flag) {
        m_loop = *flag;
        if (m_player)
            m_player->setLooping(m_loop);
    } else if (id == DispId::FrameNum && number) {
        gotoFrame(*number);
    } else if (id == DispId::Menu && flag) {
        m_menu = *flag;
    }
}

Variant FlashControl::method(DispId id, std::span<const Variant> args) {
    switch (id) {
    case DispId::Play:
        setPlaying(true);
        return {};
    case DispId::Stop:
    case DispId::StopPlay:
        setPlaying(false);
        return {};
    case DispId::GotoFrame:
        if (auto frame = args.size() == 1 ? AsLong(args[0]) : std::nullopt)
            gotoFrame(*frame);
        return {};
    case DispId::CurrentFrame:
        return currentFrame();
    case DispId::IsPlaying:
        return m_player && m_player->playing();
    case DispId::LoadMovie:
        if (args.size() == 2 && AsLong(args[0]) == 0)
            if (const auto* url = std::get_if<std::string>(&args[1]))
                loadMovie(*url);
        return {};
    default:
        return {};
    }
}

void FlashControl::Paint(QImage& target) {
    if (m_player)
        RenderFrame(*m_player, target);
    else
        target.fill(Qt::white);
}

void FlashControl::SetRepaintRequest(std::function<void()> request) {
    m_repaint = std::move(request);
}

// A movie that cannot be read leaves the control empty, as Flash shows
// nothing for it; loading over a movie replaces it.
void FlashControl::loadMovie(const std::string& url) {
    m_timer.stop();
    m_player.reset();
    auto movie = Movie::loadFile(LocalPath(url));
    if (movie) {
        m_player = std::make_unique<Player>(movie.value());
        m_player->setLooping(m_loop);
        m_pacer = FramePacer(movie.value()->frameRate());
        m_pacer.restart(FramePacer::Clock::now());
        m_timer.start(m_pacer.tickInterval());
    }
    repaint();
}

void FlashControl::setPlaying(bool playing) {
    if (!m_player || m_player->playing() == playing)
        return;
    if (playing) {
        // Playing on from the last frame of a movie that does not loop
        // starts it again, as pressing play at the end of a movie does.
        if (!m_loop && m_player->currentFrame() >= m_player->totalFrames())
            m_player->gotoFrame(1, true);
        m_player->play();
    } else {
        m_player->stop();
    }
}

void FlashControl::gotoFrame(std::int32_t frame) {
    if (!m_player || frame < 0)
        return;
    m_player->gotoFrame(static_cast<FrameNumber>(frame) + 1, m_player->playing());
    repaint();
}

std::int32_t FlashControl::currentFrame() const {
    return m_player ? static_cast<std::int32_t>(m_player->currentFrame()) - 1 : 0;
}

void FlashControl::tick() {
    if (!m_player)
        return;
    int due = m_pacer.framesDue(FramePacer::Clock::now());
    for (int i = 0; i < due; ++i)
        m_player->advanceFrame();
    if (due > 0)
        repaint();
}

void FlashControl::repaint() {
    if (m_repaint)
        m_repaint();
}

} // namespace vidorama::swf
