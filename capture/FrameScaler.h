#pragma once

#include "vidorama/encoder/SafeArray.h"

#include <QImage>
#include <cstdint>
#include <vector>

namespace vidorama {

// Scales captured pictures to the output size the way a halftone stretch
// does: each output pixel averages the area of the picture it covers when
// shrinking, and blends its nearest neighbours when enlarging. All the work
// memory is made by Prepare, once per capture, so frames are scaled without
// allocating anything.
class FrameScaler {
public:
    // False when the sizes are not positive or the memory cannot be had.
    bool Prepare(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight);

    // Scales an RGB32 picture of the prepared source size into a raw frame of
    // the target size: rows bottom-up, bytes blue, green, red, unused.
    void Scale(const QImage& source, encoder::ByteArray& frame);

private:
    // For one output position: the first source position it reads and the
    // weight of each source position from there (the weights sum to 1).
    struct Taps {
        int first = 0;
        int count = 0;
        int weightOffset = 0;
    };
    struct Axis {
        std::vector<Taps> taps;
        std::vector<float> weights;
    };
    static bool MakeAxis(int sourceSize, int targetSize, Axis& axis);

    int m_sourceWidth = 0, m_sourceHeight = 0, m_targetWidth = 0, m_targetHeight = 0;
    Axis m_horizontal, m_vertical;
    std::vector<float> m_rows; // every source row, already scaled across
};

} // namespace vidorama
