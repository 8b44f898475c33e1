#pragma once

#include "core/CodecOptions.h"

#include <string>

namespace vidorama::encoder {

enum class ConfigureResult { Accepted, Cancelled, Unavailable };

// Lets the user edit one codec's options. The module supplies a dialog; the
// core has no user interface of its own.
class CodecConfigurator {
public:
    virtual ~CodecConfigurator() = default;
    virtual ConfigureResult configure(const std::string& codecName,
                                      const CodecCapabilities& capabilities,
                                      CodecOptions& options) = 0;
};

} // namespace vidorama::encoder
