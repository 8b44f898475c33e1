#include "graphics/BoxBlur.h"

#include "swf/Limits.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vidorama::swf {

BoxKernel BoxKernel::forSize(double size) {
    if (!(size > 1))
        return {};
    size = std::min(size, static_cast<double>(Limits::kMaxBlurPixels));
    double radius = (size - 1) / 2;
    int inner = static_cast<int>(std::ceil(radius)) - 1;
    // Flash keeps the fractional edge in 1/255 steps.
    int edge = static_cast<int>(std::floor((radius - inner) * 255));
    return {inner, std::clamp(edge, 0, 255)};
}

namespace {

int PassesOf(const BlurFilter& blur) {
    return std::clamp(blur.passes, 0, Limits::kMaxBlurPasses);
}

// Blurs `count` samples `step` bytes apart, reading from a copy of the line
// padded with zeros so that the window never leaves it.
void BoxLine(std::uint8_t* line, int count, int step, const BoxKernel& kernel,
             std::vector<std::uint32_t>& padded) {
    int pad = kernel.reach() + 1;
    padded.assign(static_cast<std::size_t>(count + 2 * pad), 0);
    for (int i = 0; i < count; ++i)
        padded[static_cast<std::size_t>(i + pad)] = line[i * step];
    const std::uint32_t edge = static_cast<std::uint32_t>(kernel.edgeWeight);
    const std::uint32_t total = 255u * static_cast<std::uint32_t>(2 * kernel.inner + 1) + 2 * edge;
    // The running sum of the full-weight window centred on the sample.
    std::uint32_t window = 0;
    for (int k = -kernel.inner; k <= kernel.inner; ++k)
        window += padded[static_cast<std::size_t>(pad + k)];
    for (int i = 0; i < count; ++i) {
        std::size_t at = static_cast<std::size_t>(i + pad);
        std::uint32_t edges = padded[at - kernel.inner - 1] + padded[at + kernel.inner + 1];
        std::uint32_t sum = 255u * window + edge * edges;
        line[i * step] = static_cast<std::uint8_t>((sum + total / 2) / total);
        window += padded[at + kernel.inner + 1];
        window -= padded[at - kernel.inner];
    }
}

void BlurAxis(std::uint8_t* pixels, int width, int height, int strideBytes, int channels,
              const BoxKernel& kernel, bool horizontal, std::vector<std::uint32_t>& scratch) {
    if (kernel.identity())
        return;
    int lines = horizontal ? height : width;
    for (int l = 0; l < lines; ++l) {
        for (int c = 0; c < channels; ++c) {
            if (horizontal)
                BoxLine(pixels + l * strideBytes + c, width, channels, kernel, scratch);
            else
                BoxLine(pixels + l * channels + c, height, strideBytes, kernel, scratch);
        }
    }
}

} // namespace

BlurReach ReachOf(const BlurFilter& blur) {
    int passes = PassesOf(blur);
    return {passes * BoxKernel::forSize(blur.blurX).reach(),
            passes * BoxKernel::forSize(blur.blurY).reach()};
}

void BoxBlur(std::uint8_t* pixels, int width, int height, int strideBytes, int channels,
             const BlurFilter& blur) {
    BoxKernel kx = BoxKernel::forSize(blur.blurX), ky = BoxKernel::forSize(blur.blurY);
    std::vector<std::uint32_t> scratch;
    for (int pass = PassesOf(blur); pass > 0; --pass) {
        BlurAxis(pixels, width, height, strideBytes, channels, kx, true, scratch);
        BlurAxis(pixels, width, height, strideBytes, channels, ky, false, scratch);
    }
}

} // namespace vidorama::swf
