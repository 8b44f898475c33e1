#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace vidorama {

// An event that stays signalled until one waiter has seen it, then resets by
// itself: the workers signal their idle events with it and the main window
// consumes the signals when it closes.
class AutoResetEvent {
public:
    explicit AutoResetEvent(bool signalled = false) : m_signalled(signalled) {}

    void Set() {
        {
            std::lock_guard lock(m_mutex);
            m_signalled = true;
        }
        m_changed.notify_one();
    }

    void Reset() {
        std::lock_guard lock(m_mutex);
        m_signalled = false;
    }

    void Wait() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_signalled; });
        m_signalled = false;
    }

    // True when the event was signalled within the timeout (and is now reset).
    bool WaitFor(std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, timeout, [this] { return m_signalled; }))
            return false;
        m_signalled = false;
        return true;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_signalled;
};

} // namespace vidorama
