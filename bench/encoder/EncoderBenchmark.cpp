// Prints how many frames per second the encoder component writes for Xvid,
// H.264 and MPEG-2 at 640 x 480, 1280 x 720 and 1920 x 1080, how that
// compares with only converting the same frames into the codec's pixel
// format, and how the conversion compares with a plain copy of the frames,
// all measured in the same run. Usage: encoder_benchmark [frames]

#include "core/FfmpegPtr.h"
#include "core/FfmpegVideoEncoder.h"
#include "core/PixelConverter.h"

extern "C" {
#include <libavutil/log.h>
}

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vidorama::encoder {
namespace {

using Clock = std::chrono::steady_clock;

struct Size {
    int width;
    int height;
};

struct Subject {
    const char* label;
    AVPixelFormat pixelFormat;
    OutputFileType type;
    const char* codecName; // AVI codec list entry, for AVI outputs
};

// A handful of distinct frames of a moving pattern, reused in turn, so that
// the codec sees motion without the benchmark timing the painting.
std::vector<std::unique_ptr<ByteArray>> makeFrames(Size size) {
    std::vector<std::unique_ptr<ByteArray>> frames;
    for (int f = 0; f < 8; ++f) {
        auto frame = ByteArray::Create(
            {4, static_cast<std::uint32_t>(size.width), static_cast<std::uint32_t>(size.height)});
        std::uint8_t* pixel = frame->Data();
        for (int y = 0; y < size.height; ++y) {
            for (int x = 0; x < size.width; ++x, pixel += 4) {
                pixel[0] = static_cast<std::uint8_t>((x + f * 8) ^ y);
                pixel[1] = static_cast<std::uint8_t>(y + f * 4);
                pixel[2] = static_cast<std::uint8_t>(((x / 32 + y / 32 + f) % 2) * 200);
                pixel[3] = 0;
            }
        }
        frames.push_back(std::move(frame));
    }
    return frames;
}

double seconds(const std::function<bool()>& work) {
    const auto start = Clock::now();
    if (!work())
        return -1.0;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double convertOnly(const Subject& subject, Size size,
                   const std::vector<std::unique_ptr<ByteArray>>& frames, int count) {
    FramePtr target(av_frame_alloc());
    target->format = subject.pixelFormat;
    target->width = size.width;
    target->height = size.height;
    if (av_frame_get_buffer(target.get(), 0) < 0)
        return -1.0;
    PixelConverter converter;
    return seconds([&] {
        for (int i = 0; i < count; ++i) {
            const ByteArray& frame = *frames[static_cast<std::size_t>(i) % frames.size()];
            if (!converter
                     .convert({frame.Data(), size.width, size.height}, *target, RowOrder::TopDown)
                     .ok())
                return false;
        }
        return true;
    });
}

// The floor for any conversion: copying the frames' bytes once.
double copyOnly(Size size, const std::vector<std::unique_ptr<ByteArray>>& frames, int count) {
    std::vector<std::uint8_t> target(static_cast<std::size_t>(size.width) * size.height * 4);
    return seconds([&] {
        for (int i = 0; i < count; ++i)
            std::memcpy(target.data(), frames[static_cast<std::size_t>(i) % frames.size()]->Data(),
                        target.size());
        // Reading the copy keeps the compiler from leaving it out.
        volatile std::uint8_t last = target.back();
        return last == target.back();
    });
}

bool configure(FfmpegVideoEncoder& encoder, const Subject& subject, Size size) {
    if (subject.type == OutputFileType::Mpeg)
        return encoder.SetMpegVideo(2, 2376, size.width, size.height, 25.0) == S_OK;
    std::int32_t count = 0;
    encoder.GetVideoCodecCount(&count);
    for (std::int32_t number = 1; number <= count; ++number) {
        std::string name;
        encoder.SelectVideoCodec(number);
        encoder.GetVideoCodecName(&name);
        if (name.find(subject.codecName) != std::string::npos)
            return encoder.SetVideoFormat(size.width, size.height, 25.0) == S_OK &&
                   encoder.SetAviVideoFormat(size.width, size.height, 25.0) == S_OK;
    }
    return false;
}

double encodeFrames(const Subject& subject, Size size,
                    const std::vector<std::unique_ptr<ByteArray>>& frames, int count,
                    const std::string& path) {
    FfmpegVideoEncoder encoder;
    if (!configure(encoder, subject, size) ||
        encoder.OpenOutput(path, static_cast<std::int32_t>(subject.type)) != S_OK)
        return -1.0;
    const double elapsed = seconds([&] {
        for (int i = 0; i < count; ++i) {
            if (encoder.WriteVideoFrame(*frames[static_cast<std::size_t>(i) % frames.size()]) !=
                S_OK)
                return false;
        }
        return encoder.CloseOutput() == S_OK;
    });
    std::filesystem::remove(path);
    return elapsed;
}

} // namespace
} // namespace vidorama::encoder

int main(int argc, char** argv) {
    using namespace vidorama::encoder;
    av_log_set_level(AV_LOG_ERROR);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    const std::string path =
        (std::filesystem::temp_directory_path() / "vidorama-encoder-benchmark.out").string();
    const Subject subjects[] = {
        {"Xvid", AV_PIX_FMT_YUV420P, OutputFileType::Avi, "Xvid"},
        {"H.264", AV_PIX_FMT_YUV420P, OutputFileType::Avi, "H.264"},
        {"MPEG-2", AV_PIX_FMT_YUV420P, OutputFileType::Mpeg, nullptr},
    };
    const Size sizes[] = {{640, 480}, {1280, 720}, {1920, 1080}};

    std::printf("%-8s %-10s %7s %12s %12s %14s %12s %13s\n", "codec", "size", "frames",
                "encode fps", "convert fps", "encode/convert", "copy fps", "convert/copy");
    int failures = 0;
    for (const Size size : sizes) {
        const auto frames = makeFrames(size);
        const double copy = copyOnly(size, frames, count);
        for (const Subject& subject : subjects) {
            const double convert = convertOnly(subject, size, frames, count);
            const double encode = encodeFrames(subject, size, frames, count, path);
            if (convert <= 0.0 || encode <= 0.0) {
                std::printf("%-8s %4dx%-5d failed\n", subject.label, size.width, size.height);
                ++failures;
                continue;
            }
            std::printf("%-8s %4dx%-5d %7d %12.1f %12.1f %13.1fx %12.1f %12.1fx\n", subject.label,
                        size.width, size.height, count, count / encode, count / convert,
                        encode / convert, count / copy, convert / copy);
        }
    }
    return failures == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
