#include "avm2/ErrorMessageTexts.h"
#include "avm2/Vm.h"

namespace vidorama::swf::avm2 {

std::string ErrorMessage(int code, const std::string& a, const std::string& b,
                         const std::string& c) {
    auto found = ErrorMessageTexts().find(code);
    std::string text = found == ErrorMessageTexts().end() ? "Error" : found->second;
    const std::string* params[] = {&a, &b, &c};
    for (int i = 0; i < 3; ++i) {
        std::string marker = "%" + std::to_string(i + 1);
        std::size_t at = text.find(marker);
        if (at != std::string::npos)
            text.replace(at, marker.size(), *params[i]);
    }
    return text;
}

std::string ErrorMessageWithNumber(int code) {
    auto found = ErrorMessageTexts().find(code);
    std::string number = "Error #" + std::to_string(code);
    return found == ErrorMessageTexts().end() ? number : number + ": " + found->second;
}

} // namespace vidorama::swf::avm2
