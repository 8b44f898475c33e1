#include "PcmSink.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace vidorama::waveout {

namespace {

// Consumes blocks without sound, each taking as long as it would sound. The
// schedule runs from the first block, so short delays between blocks do not
// add up; after a pause (no block for longer than one lasts) it starts afresh.
class SilentSink final : public PcmSink {
public:
    explicit SilentSink(const PcmFormat& format) : m_format(format) {}

    void play(const char*, std::size_t bytes) override {
        using namespace std::chrono;
        auto length = duration_cast<steady_clock::duration>(
            duration<double>(static_cast<double>(bytes) / m_format.bytesPerSecond()));
        std::unique_lock lock(m_mutex);
        auto now = steady_clock::now();
        // The thread that hands blocks over wakes a little late after each
        // one; starting the schedule afresh from that moment would add the
        // lateness to every block and play slower than real time. Only a
        // real pause, longer than a block, starts a new schedule.
        if (m_due + length < now)
            m_due = now;
        m_due += length;
        m_interrupted = false;
        m_wake.wait_until(lock, m_due, [this] { return m_interrupted; });
        if (m_interrupted)
            m_due = steady_clock::now();
    }

    void interrupt() override {
        {
            std::lock_guard lock(m_mutex);
            m_interrupted = true;
        }
        m_wake.notify_all();
    }

private:
    PcmFormat m_format;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::chrono::steady_clock::time_point m_due{};
    bool m_interrupted = false;
};

} // namespace

std::unique_ptr<PcmSink> MakeSilentSink(const PcmFormat& format) {
    return std::make_unique<SilentSink>(format);
}

} // namespace vidorama::waveout
