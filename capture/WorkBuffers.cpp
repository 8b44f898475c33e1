#include "capture/WorkBuffers.h"

#include <new>

namespace vidorama {

bool WorkBuffers::Allocate() {
    packedFrameBuffer.reset(new (std::nothrow) std::uint8_t[kWorkBufferSize]);
    rawFrameBuffer.reset(new (std::nothrow) std::uint8_t[kWorkBufferSize]);
    soundBuffer.reset(new (std::nothrow) std::uint8_t[kWorkBufferSize]);
    return Allocated();
}

void WorkBuffers::Free() {
    packedFrameBuffer.reset();
    rawFrameBuffer.reset();
    soundBuffer.reset();
}

} // namespace vidorama
