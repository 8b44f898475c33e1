#include "sound/Resampler.h"

#include "sound/SoundFormat.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <array>

namespace vidorama::swf {

namespace {

// SWF's 5.5 kHz is 44,100 / 8 exactly; the library takes whole rates only, so
// that ratio is given to it as 11,025 to 88,200.
constexpr int kFiveKhzRate = 5512;
constexpr int kFiveKhzRatioIn = 11025;
constexpr int kFiveKhzRatioOut = 88200;

bool DividesOutputRate(int rate) {
    return rate == kFiveKhzRate || (rate > 0 && kOutputRate % rate == 0);
}

} // namespace

Resampler::~Resampler() {
    swr_free(&m_context);
}

bool Resampler::prepare(const AVFrame& frame) {
    int channels = frame.ch_layout.nb_channels;
    if (m_context && frame.format == m_format && channels == m_channels &&
        frame.sample_rate == m_rate)
        return true;
    swr_free(&m_context);
    if (channels < 1 || channels > 2 || frame.sample_rate <= 0)
        return false;
    m_format = frame.format;
    m_channels = channels;
    m_rate = frame.sample_rate;
    AVChannelLayout in;
    av_channel_layout_default(&in, channels);
    AVChannelLayout out = AV_CHANNEL_LAYOUT_STEREO;
    bool fiveKhz = m_rate == kFiveKhzRate;
    int inRate = fiveKhz ? kFiveKhzRatioIn : m_rate;
    int outRate = fiveKhz ? kFiveKhzRatioOut : kOutputRate;
    if (swr_alloc_set_opts2(&m_context, &out, AV_SAMPLE_FMT_S16, outRate, &in,
                            static_cast<AVSampleFormat>(m_format), inRate, 0, nullptr) < 0)
        return false;
    if (DividesOutputRate(m_rate)) {
        // A one-tap filter holds each sample until the next one.
        av_opt_set_int(m_context, "filter_size", 1, 0);
        av_opt_set_int(m_context, "phase_shift", 0, 0);
        av_opt_set_double(m_context, "cutoff", 1.0, 0);
    }
    std::array<double, 4> matrix = {1.0, 0.0, 0.0, 1.0};
    if (channels == 1)
        matrix = {1.0, 1.0, 0.0, 0.0};
    if (swr_set_matrix(m_context, matrix.data(), channels) < 0 || swr_init(m_context) < 0) {
        swr_free(&m_context);
        return false;
    }
    return true;
}

void Resampler::push(const AVFrame& frame, int first, int count, StereoPcm& out) {
    if (count <= 0 || first < 0 || first + count > frame.nb_samples || !prepare(frame))
        return;
    auto format = static_cast<AVSampleFormat>(frame.format);
    int bytes = av_get_bytes_per_sample(format);
    bool planar = av_sample_fmt_is_planar(format) != 0;
    std::array<const std::uint8_t*, 2> planes{};
    for (int c = 0; c < (planar ? m_channels : 1); ++c)
        planes[c] = frame.extended_data[c] + std::size_t(first) * bytes * (planar ? 1 : m_channels);
    convert(planes.data(), count, out);
}

void Resampler::drain(StereoPcm& out) {
    if (m_context)
        convert(nullptr, 0, out);
}

void Resampler::convert(const std::uint8_t** input, int count, StereoPcm& out) {
    int room = swr_get_out_samples(m_context, count);
    if (room <= 0)
        return;
    std::size_t start = out.size();
    out.resize(start + 2 * std::size_t(room));
    auto* target = reinterpret_cast<std::uint8_t*>(out.data() + start);
    int made = swr_convert(m_context, &target, room, input, count);
    out.resize(start + 2 * std::size_t(std::max(made, 0)));
}

} // namespace vidorama::swf
