#include "pipeline/BackgroundSink.h"

namespace vidorama::cli {

namespace {
encoder::Status Closed() {
    return encoder::Status::failure(encoder::ErrorKind::NotOpen, "the output is closed");
}
} // namespace

BackgroundSink::BackgroundSink(FrameSink& target) : m_target(target), m_thread([this] { run(); }) {}

BackgroundSink::~BackgroundSink() {
    stop(true);
}

encoder::Status BackgroundSink::writeFrame(const QImage& frame) {
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(
            lock, [this] { return !m_status.ok() || m_stopping || m_framesInFlight < kPictures; });
    }
    return push({Item::Kind::Frame, frame});
}

encoder::Status BackgroundSink::repeatFrame() {
    return push({Item::Kind::Repeat});
}

encoder::Status BackgroundSink::writeSound(std::span<const std::int16_t> samples) {
    return push({Item::Kind::Sound, {}, std::vector<std::int16_t>(samples.begin(), samples.end())});
}

encoder::Status BackgroundSink::finish() {
    stop(false);
    if (!m_status.ok())
        return m_status;
    return m_target.finish();
}

void BackgroundSink::abandon() {
    stop(true);
    m_target.abandon();
}

encoder::Status BackgroundSink::push(Item item) {
    std::lock_guard lock(m_mutex);
    if (!m_status.ok())
        return m_status;
    if (m_stopping)
        return Closed();
    if (item.kind == Item::Kind::Frame)
        ++m_framesInFlight;
    m_items.push_back(std::move(item));
    m_changed.notify_all();
    return encoder::Status::success();
}

void BackgroundSink::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || !m_items.empty(); });
        if (m_items.empty())
            return;
        Item item = std::move(m_items.front());
        m_items.pop_front();
        lock.unlock();
        encoder::Status status = write(item);
        // The picture is let go before the frame stops counting, so that the
        // drawing thread finds it free once writing may go on.
        item.picture = QImage();
        lock.lock();
        if (item.kind == Item::Kind::Frame)
            --m_framesInFlight;
        if (!status.ok() && m_status.ok()) {
            m_status = std::move(status);
            dropQueued();
        }
        m_changed.notify_all();
    }
}

encoder::Status BackgroundSink::write(const Item& item) {
    switch (item.kind) {
    case Item::Kind::Frame:
        return m_target.writeFrame(item.picture);
    case Item::Kind::Repeat:
        return m_target.repeatFrame();
    case Item::Kind::Sound:
        return m_target.writeSound(item.sound);
    }
    return encoder::Status::success();
}

void BackgroundSink::stop(bool drop) {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        if (drop)
            dropQueued();
        m_changed.notify_all();
    }
    if (m_thread.joinable())
        m_thread.join();
}

void BackgroundSink::dropQueued() {
    for (const Item& item : m_items)
        if (item.kind == Item::Kind::Frame)
            --m_framesInFlight;
    m_items.clear();
}

} // namespace vidorama::cli
