#pragma once

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace vidorama {

// A worker thread whose end the user-interface thread can wait for while it
// goes on serving the worker's blocking calls to it.
class WorkerThread {
public:
    ~WorkerThread() { JoinServing(); }

    // False when the thread could not be started.
    bool Start(std::function<void()> work) {
        JoinServing();
        m_finished = false;
        try {
            m_thread = std::thread([this, work = std::move(work)] {
                work();
                m_finished = true;
            });
        } catch (const std::system_error&) {
            m_finished = true;
            return false;
        }
        return true;
    }

    void JoinServing() {
        if (!m_thread.joinable())
            return;
        while (!m_finished)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
        m_thread.join();
    }

private:
    std::thread m_thread;
    std::atomic<bool> m_finished{true};
};

} // namespace vidorama
