#include "pipeline/BackgroundSink.h"

#include <cstring>

namespace vidorama::cli {

BackgroundSink::BackgroundSink(FrameSink& target) : m_target(target), m_thread([this] { run(); }) {}

BackgroundSink::~BackgroundSink() {
    stop(true);
}

std::string BackgroundSink::writeFrame(const QImage& frame) {
    QImage picture;
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] {
            return !m_error.empty() || m_stopping || !m_spare.empty() || m_picturesMade < kPictures;
        });
        if (!m_error.empty())
            return m_error;
        if (m_stopping)
            return "the output is closed";
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

std::string BackgroundSink::repeatFrame() {
    return push({Item::Kind::Repeat});
}

std::string BackgroundSink::writeSound(std::span<const std::int16_t> samples) {
    return push({Item::Kind::Sound, {}, std::vector<std::int16_t>(samples.begin(), samples.end())});
}

std::string BackgroundSink::finish() {
    stop(false);
    if (!m_error.empty())
        return m_error;
    return m_target.finish();
}

void BackgroundSink::abandon() {
    stop(true);
    m_target.abandon();
}

std::string BackgroundSink::push(Item item) {
    std::lock_guard lock(m_mutex);
    if (!m_error.empty())
        return m_error;
    if (m_stopping)
        return "the output is closed";
    m_items.push_back(std::move(item));
    m_changed.notify_all();
    return {};
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
        std::string error = write(item);
        lock.lock();
        if (!item.picture.isNull())
            m_spare.push_back(std::move(item.picture));
        if (!error.empty() && m_error.empty()) {
            m_error = std::move(error);
            dropQueued();
        }
        m_changed.notify_all();
    }
}

std::string BackgroundSink::write(const Item& item) {
    switch (item.kind) {
    case Item::Kind::Frame:
        return m_target.writeFrame(item.picture);
    case Item::Kind::Repeat:
        return m_target.repeatFrame();
    case Item::Kind::Sound:
        return m_target.writeSound(item.sound);
    }
    return {};
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
