#include "pipeline/BackgroundSink.h"

#include <cstring>

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
    QImage picture;
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] {
            return !m_status.ok() || m_stopping || !m_spare.empty() || m_picturesMade < kPictures;
        });
        if (!m_status.ok())
            return m_status;
        if (m_stopping)
            return Closed();
        if (m_spare.empty()) {
            ++m_picturesMade;
        } else {
            picture = std::move(m_spare.back());
            m_spare.pop_back();
        }
    }
    // Frames keep one size and format, so a spare picture is filled in place.
    if (picture.size() == frame.size() && picture.format() == frame.format() &&
        picture.bytesPerLine() == frame.bytesPerLine())
        std::memcpy(picture.bits(), frame.constBits(),
                    static_cast<std::size_t>(frame.sizeInBytes()));
    else
        picture = frame.copy();
    return push({Item::Kind::Frame, std::move(picture)});
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
        lock.lock();
        if (!item.picture.isNull())
            m_spare.push_back(std::move(item.picture));
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
    for (Item& item : m_items)
        if (!item.picture.isNull())
            m_spare.push_back(std::move(item.picture));
    m_items.clear();
}

} // namespace vidorama::cli
