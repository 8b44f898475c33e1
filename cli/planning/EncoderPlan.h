#pragma once

#include "ConvertOptions.h"
#include "core/OutputPlan.h"

#include <string>

namespace vidorama::cli {

// What one output needs from the encoder component.
struct EncoderRequest {
    OutputKind kind = OutputKind::Avi;
    const EncodingOptions* encoding = nullptr;
    int width = 0;
    int height = 0;
    Rate frameRate;
    int threadCount = 1; // 0 lets the encoders pick
};

// Builds the encoder's plan for an output: the program's settings and lists
// for AVI, MPEG, WMV and RM, the converter's own choices for the others.
// Answers an error message for a codec or option the output cannot take, or
// "" when the plan is ready. The plan's picture size may be a little larger
// than asked where a codec needs whole blocks; frames are drawn at that size.
std::string PlanEncoder(const EncoderRequest& request, encoder::OutputPlan& plan);

// The codecs, sound formats and profiles of every output kind, for
// --list-codecs.
std::string DescribeCodecs();

} // namespace vidorama::cli
