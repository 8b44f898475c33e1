#pragma once

#include "core/CodecConfigurator.h"

namespace vidorama::encoder {

// Shows CodecOptionsDialog modally over the window the user is working in
// (the program's settings dialog). Without a running Qt Widgets application
// there is nothing to show it on, and it says so.
class DialogCodecConfigurator final : public CodecConfigurator {
public:
    ConfigureResult configure(const std::string& codecName, const CodecCapabilities& capabilities,
                              CodecOptions& options) override;
};

} // namespace vidorama::encoder
