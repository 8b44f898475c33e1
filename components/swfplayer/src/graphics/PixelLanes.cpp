#include "graphics/PixelLanes.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vidorama::swf {

void MixRowPairScalar(const QRgb* top, const QRgb* bottom, int weight, int count, PixelLanes* out) {
    for (int x = 0; x < count; ++x)
        out[x] = MixLanes(SpreadPixel(top[x]), SpreadPixel(bottom[x]), weight);
}

#if defined(__SSE2__)

// Two columns at a time in 16-bit lanes: a channel mixed between two rows is
// at most 255 * 256, which 16 bits hold exactly, so the products and their
// sum need no wider lanes. Each column's channels are then widened and laid
// out as PixelLanes keeps them: blue, red, green, alpha in 32-bit lanes.
void MixRowPair(const QRgb* top, const QRgb* bottom, int weight, int count, PixelLanes* out) {
    static_assert(sizeof(PixelLanes) == 16);
    const __m128i keep = _mm_set1_epi16(static_cast<short>(256 - weight));
    const __m128i take = _mm_set1_epi16(static_cast<short>(weight));
    const __m128i zero = _mm_setzero_si128();
    int x = 0;
    for (; x + 2 <= count; x += 2) {
        const __m128i a =
            _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(top + x)), zero);
        const __m128i b =
            _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(bottom + x)), zero);
        const __m128i mixed = _mm_add_epi16(_mm_mullo_epi16(a, keep), _mm_mullo_epi16(b, take));
        // b g r a of each column, in 32-bit lanes, reordered to b r g a.
        const __m128i first =
            _mm_shuffle_epi32(_mm_unpacklo_epi16(mixed, zero), _MM_SHUFFLE(3, 1, 2, 0));
        const __m128i second =
            _mm_shuffle_epi32(_mm_unpackhi_epi16(mixed, zero), _MM_SHUFFLE(3, 1, 2, 0));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), first);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 1), second);
    }
    MixRowPairScalar(top + x, bottom + x, weight, count - x, out + x);
}

#else

void MixRowPair(const QRgb* top, const QRgb* bottom, int weight, int count, PixelLanes* out) {
    MixRowPairScalar(top, bottom, weight, count, out);
}

#endif

} // namespace vidorama::swf
