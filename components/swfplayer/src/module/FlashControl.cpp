#include "module/FlashControl.h"

#include "vidorama/swf/MoviePlayer.h"
#include "vidorama/waveout/WaveOut.h"

#include <QImage>
#include <QUrl>
#include <algorithm>

namespace vidorama::swf {

using flash::DispId;
using flash::InvokeKind;
using flash::Variant;

namespace {

// While a stream plays, frames are entered until this much sound waits for
// the device: as much as the device holds, so that a frame is entered when its
// sound can go out and picture and sound leave together.
constexpr std::size_t kStreamLeadFrames = SoundOutput::kBuffers * SoundOutput::kBlockFrames;
// Frames entered at most in one timer tick when the picture has to catch up
// with the sound.
constexpr int kMaxFramesPerTick = 8;
// The timer must come often enough to keep the device fed.
constexpr std::chrono::milliseconds kMaxTickInterval{20};
// A movie may declare a rate of 0; it plays at the slowest rate the pacer
// keeps, and its frames' sound is as long as such frames.
constexpr FrameRate kSlowestRate{1, 100};

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

// The device goes before the player whose sound it plays.
FlashControl::~FlashControl() {
    m_sound.close();
}

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
        m_player->render(target);
    else
        target.fill(Qt::white);
}

void FlashControl::SetRepaintRequest(std::function<void()> request) {
    m_repaint = std::move(request);
}

// A movie that cannot be read leaves the control empty, as Flash shows
// nothing for it; loading over a movie replaces it.
// Each movie opens the sound device afresh, so the host learns its format
// with every movie.
void FlashControl::loadMovie(const std::string& url) {
    m_timer.stop();
    m_sound.close();
    m_player.reset();
    auto opened = MoviePlayer::openFile(LocalPath(url));
    if (opened) {
        m_player = std::move(opened).value();
        m_player->setLooping(m_loop);
        m_rate = m_player->frameRate();
        m_pacer = FramePacer(m_rate.value());
        if (m_rate.num == 0)
            m_rate = kSlowestRate;
        m_framesEntered = 0;
        m_sound.open();
        queueFrameSound();
        m_pacer.restart(FramePacer::Clock::now());
        m_timer.start(std::min(m_pacer.tickInterval(), kMaxTickInterval));
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

// A jump drops the sound still waiting for the device: it belongs to where
// the movie was.
void FlashControl::gotoFrame(std::int32_t frame) {
    if (!m_player || frame < 0)
        return;
    m_player->gotoFrame(static_cast<std::uint32_t>(frame) + 1, m_player->playing());
    m_sound.reset();
    repaint();
}

std::int32_t FlashControl::currentFrame() const {
    return m_player ? static_cast<std::int32_t>(m_player->currentFrame()) - 1 : 0;
}

void FlashControl::tick() {
    if (!m_player)
        return;
    int due = framesDue();
    for (int i = 0; i < due; ++i)
        enterFrame();
    m_sound.pump(!m_player->soundPlaying());
    if (due > 0)
        repaint();
}

int FlashControl::framesDue() {
    auto now = FramePacer::Clock::now();
    if (!m_sound.isOpen() || !m_player->streamPlaying())
        return m_pacer.framesDue(now);
    // The clock takes over from the last frame the sound asked for once the
    // stream ends.
    m_pacer.restart(now);
    std::size_t pending = m_sound.pendingFrames();
    int due = 0;
    for (std::uint64_t k = m_framesEntered + 1;
         pending < kStreamLeadFrames && due < kMaxFramesPerTick; ++k, ++due)
        pending += static_cast<std::size_t>(m_rate.samplesOf(static_cast<std::int64_t>(k)));
    return due;
}

void FlashControl::enterFrame() {
    if (!m_player)
        return;
    m_player->advanceFrame();
    ++m_framesEntered;
    queueFrameSound();
}

// Only frames with sound reach the device: a silent movie writes no blocks,
// and a pause in the sound is a pause in the blocks, as with Flash.
void FlashControl::queueFrameSound() {
    if (!m_sound.isOpen() || !m_player->soundPlaying())
        return;
    m_mixBuffer.resize(
        2 * static_cast<std::size_t>(m_rate.samplesOf(static_cast<std::int64_t>(m_framesEntered))));
    m_player->mixAudio(m_mixBuffer);
    m_sound.queue(m_mixBuffer);
    m_sound.pump(false);
}

void FlashControl::repaint() {
    if (m_repaint)
        m_repaint();
}

} // namespace vidorama::swf
