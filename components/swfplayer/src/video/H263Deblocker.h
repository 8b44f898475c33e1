#pragma once

#include <cstdint>

namespace vidorama::swf {

// The deblocking post filter Flash Player runs on Sorenson H.263 pictures
// (the filter of H.263 Annex J, applied to a copy for display rather than in
// the decoding loop): the rows across each horizontal 8x8 block edge first,
// then the columns across each vertical one. quantizer is the picture
// header's (1..31); it sets the strength.
void DeblockH263Plane(std::uint8_t* plane, int width, int height, int stride, int quantizer);

} // namespace vidorama::swf
