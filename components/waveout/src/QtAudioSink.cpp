#include "PcmSink.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QIODevice>
#include <QMediaDevices>
#include <QMetaObject>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace vidorama::waveout {

namespace {

// A bounded queue of bytes that the audio sink pulls from; writers wait while
// it is full, which paces them at the speed the sound is played.
class PullBuffer final : public QIODevice {
public:
    explicit PullBuffer(std::size_t capacity) : m_capacity(capacity) { open(ReadOnly); }

    void push(const char* data, std::size_t bytes) {
        std::unique_lock lock(m_mutex);
        ++m_pushing;
        while (bytes > 0) {
            m_space.wait(lock, [this] { return m_interrupted || m_bytes.size() < m_capacity; });
            if (m_interrupted)
                break;
            std::size_t n = std::min(bytes, m_capacity - m_bytes.size());
            m_bytes.insert(m_bytes.end(), data, data + n);
            data += n;
            bytes -= n;
        }
        if (--m_pushing == 0)
            m_interrupted = false;
    }

    // Ends a push in progress. With none in progress there is nothing to
    // end: the next block, written after a reset, must play in full.
    void interrupt() {
        {
            std::lock_guard lock(m_mutex);
            m_interrupted = m_pushing > 0;
            m_bytes.clear();
        }
        m_space.notify_all();
    }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override {
        std::lock_guard lock(m_mutex);
        return static_cast<qint64>(m_bytes.size()) + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char* out, qint64 maxSize) override {
        std::size_t n = 0;
        {
            std::lock_guard lock(m_mutex);
            n = std::min(m_bytes.size(), static_cast<std::size_t>(maxSize));
            std::copy_n(m_bytes.begin(), n, out);
            m_bytes.erase(m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(n));
        }
        m_space.notify_all();
        return static_cast<qint64>(n);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::size_t m_capacity;
    mutable std::mutex m_mutex;
    std::condition_variable m_space;
    std::deque<char> m_bytes;
    int m_pushing = 0;
    bool m_interrupted = false;
};

// Plays through Qt Multimedia. The audio sink lives on a thread of its own
// with an event loop, so it works whichever thread writes the blocks.
class QtAudioSink final : public PcmSink {
public:
    QtAudioSink(const QAudioDevice& device, const QAudioFormat& format, std::size_t bufferBytes)
        : m_buffer(bufferBytes) {
        m_thread.start();
        m_buffer.moveToThread(&m_thread);
        QMetaObject::invokeMethod(
            &m_buffer,
            [this, device, format] {
                m_sink = new QAudioSink(device, format);
                m_sink->start(&m_buffer);
            },
            Qt::BlockingQueuedConnection);
    }

    ~QtAudioSink() override {
        m_buffer.interrupt();
        QMetaObject::invokeMethod(
            &m_buffer,
            [this] {
                m_sink->stop();
                delete m_sink;
                m_buffer.moveToThread(QCoreApplication::instance()->thread());
            },
            Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    void play(const char* data, std::size_t bytes) override { m_buffer.push(data, bytes); }
    void interrupt() override { m_buffer.interrupt(); }

private:
    QThread m_thread;
    PullBuffer m_buffer;
    QAudioSink* m_sink = nullptr;
};

} // namespace

std::unique_ptr<PcmSink> MakeSystemSink(const PcmFormat& format) {
    if (!QCoreApplication::instance())
        return MakeSilentSink(format);
    QAudioDevice device = QMediaDevices::defaultAudioOutput();
    QAudioFormat qtFormat;
    qtFormat.setSampleRate(static_cast<int>(format.sampleRate));
    qtFormat.setChannelCount(format.channels);
    qtFormat.setSampleFormat(format.bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    if (device.isNull() || !device.isFormatSupported(qtFormat))
        return MakeSilentSink(format);
    // A quarter of a second ahead of the speaker keeps playback smooth without
    // letting the player run far ahead of what is heard.
    return std::make_unique<QtAudioSink>(device, qtFormat, format.bytesPerSecond() / 4);
}

} // namespace vidorama::waveout
