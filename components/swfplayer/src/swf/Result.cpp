#include "swf/Result.h"

namespace vidorama::swf {

Error MakeError(Error::Category category, std::string message, int tagCode, std::int64_t offset) {
    return Error{category, std::move(message), tagCode, offset};
}

} // namespace vidorama::swf
