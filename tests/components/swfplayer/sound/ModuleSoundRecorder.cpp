#include "ModuleSoundRecorder.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <atomic>

namespace vidorama::test {

namespace {
std::atomic<ModuleSoundRecorder*> g_recorder{nullptr};
constexpr char kLibrary[] = "WINMM.DLL";
} // namespace

ModuleSoundRecorder::ModuleSoundRecorder(flash::ImportTable& imports) : m_imports(imports) {
    auto* open = imports.FindByName(kLibrary, "waveOutOpen");
    auto* write = imports.FindByName(kLibrary, "waveOutWrite");
    m_realOpen = open->address.load();
    m_realWrite = write->address.load();
    g_recorder = this;
    open->address.store(reinterpret_cast<void*>(&OpenHook));
    write->address.store(reinterpret_cast<void*>(&WriteHook));
}

ModuleSoundRecorder::~ModuleSoundRecorder() {
    m_imports.FindByName(kLibrary, "waveOutOpen")->address.store(m_realOpen);
    m_imports.FindByName(kLibrary, "waveOutWrite")->address.store(m_realWrite);
    g_recorder = nullptr;
}

std::vector<WAVEFORMATEX> ModuleSoundRecorder::opens() const {
    std::lock_guard lock(m_mutex);
    return m_opens;
}

std::vector<ModuleSoundRecorder::Block> ModuleSoundRecorder::writes() const {
    std::lock_guard lock(m_mutex);
    return m_writes;
}

std::vector<std::int16_t> ModuleSoundRecorder::written() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::int16_t> all;
    for (const auto& write : m_writes)
        all.insert(all.end(), write.samples.begin(), write.samples.end());
    return all;
}

std::uint64_t ModuleSoundRecorder::writtenFrames() const {
    std::lock_guard lock(m_mutex);
    std::uint64_t frames = 0;
    for (const auto& write : m_writes)
        frames += write.length / 4;
    return frames;
}

MMRESULT ModuleSoundRecorder::OpenHook(HWAVEOUT* device, std::uint32_t id,
                                       const WAVEFORMATEX* format, std::uintptr_t callback,
                                       std::uintptr_t instance, std::uint32_t flags) {
    ModuleSoundRecorder* self = g_recorder;
    if (format) {
        std::lock_guard lock(self->m_mutex);
        self->m_opens.push_back(*format);
    }
    auto real = reinterpret_cast<decltype(&::waveOutOpen)>(self->m_realOpen);
    return real(device, id, format, callback, instance, flags);
}

MMRESULT ModuleSoundRecorder::WriteHook(HWAVEOUT device, WAVEHDR* header, std::uint32_t size) {
    ModuleSoundRecorder* self = g_recorder;
    if (header) {
        ModuleSoundRecorder::Block record;
        record.time = std::chrono::steady_clock::now();
        record.length = header->dwBufferLength;
        const auto* samples = reinterpret_cast<const std::int16_t*>(header->lpData);
        record.samples.assign(samples, samples + header->dwBufferLength / 2);
        std::lock_guard lock(self->m_mutex);
        self->m_writes.push_back(std::move(record));
    }
    auto real = reinterpret_cast<decltype(&::waveOutWrite)>(self->m_realWrite);
    return real(device, header, size);
}

void RunEventLoop(std::chrono::milliseconds duration) {
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace vidorama::test

namespace vidorama::test {

namespace {

struct Sample {
    double seconds;
    double offsetMs;
    std::int32_t frame;
};

double Average(const std::vector<Sample>& samples, double from, double to) {
    double sum = 0;
    int count = 0;
    for (const Sample& s : samples)
        if (s.seconds >= from && s.seconds < to) {
            sum += s.offsetMs;
            ++count;
        }
    return count ? sum / count : 0;
}

} // namespace

RealTimeFigures PlayAndMeasure(flash::IFlashControl& control, const ModuleSoundRecorder& recorder,
                               const std::string& moviePath, double fps,
                               std::chrono::milliseconds duration) {
    std::vector<Sample> samples;
    auto start = std::chrono::steady_clock::now();
    control.SetRepaintRequest([&] {
        auto frame = std::get<std::int32_t>(
            control.Invoke(flash::DispId::CurrentFrame, flash::InvokeKind::Method, {}));
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        double soundMs = recorder.writtenFrames() / 44.1;
        double pictureMs = (frame + 1) * 1000.0 / fps;
        samples.push_back({seconds, soundMs - pictureMs, frame});
    });
    flash::Variant args[] = {std::int32_t{0}, moviePath};
    control.Invoke(flash::DispId::LoadMovie, flash::InvokeKind::Method, args);
    RunEventLoop(duration);
    control.SetRepaintRequest({});
    RealTimeFigures figures;
    figures.repaints = samples.size();
    if (samples.size() < 2)
        return figures;
    double total = std::chrono::duration<double>(duration).count();
    figures.firstSecondMs = Average(samples, 1, 2);
    figures.lastSecondMs = Average(samples, total - 1, total);
    figures.smallestMs = figures.largestMs = samples.back().offsetMs;
    for (const Sample& s : samples)
        if (s.seconds >= 1) {
            figures.smallestMs = std::min(figures.smallestMs, s.offsetMs);
            figures.largestMs = std::max(figures.largestMs, s.offsetMs);
        }
    figures.framesPerSecond = (samples.back().frame - samples.front().frame) /
                              (samples.back().seconds - samples.front().seconds);
    return figures;
}

} // namespace vidorama::test
