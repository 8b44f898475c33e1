#include "movie/Filters.h"

#include "swf/ByteReader.h"

namespace vidorama::swf {

BlendMode BlendModeFromByte(std::uint8_t value) {
    if (value < static_cast<std::uint8_t>(BlendMode::Normal) ||
        value > static_cast<std::uint8_t>(BlendMode::HardLight))
        return BlendMode::Normal;
    return static_cast<BlendMode>(value);
}

namespace {

// The stored size of one filter's parameters. Gradient filters and the
// convolution filter announce their variable part in their first bytes.
std::optional<std::size_t> FilterSize(FilterType type, const ByteReader& reader) {
    auto peek = [&](std::size_t index) -> std::size_t {
        std::size_t at = reader.position() + index;
        return at < reader.size() ? reader.bytes()[at] : 0;
    };
    switch (type) {
    case FilterType::DropShadow:
        return 23;
    case FilterType::Blur:
        return 9;
    case FilterType::Glow:
        return 15;
    case FilterType::Bevel:
        return 27;
    case FilterType::GradientGlow:
    case FilterType::GradientBevel:
        return 1 + 5 * peek(0) + 19;
    case FilterType::Convolution:
        return 15 + 4 * peek(0) * peek(1);
    case FilterType::ColorMatrix:
        return 80;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::vector<Filter>> ReadFilterList(ByteReader& reader) {
    std::vector<Filter> filters;
    std::uint8_t count = reader.u8();
    for (std::uint8_t i = 0; i < count; ++i) {
        std::uint8_t id = reader.u8();
        if (id > static_cast<std::uint8_t>(FilterType::GradientBevel))
            return std::nullopt;
        Filter filter;
        filter.type = static_cast<FilterType>(id);
        auto size = FilterSize(filter.type, reader);
        if (!size || *size > reader.remaining())
            return std::nullopt;
        auto bytes = reader.take(*size);
        filter.parameters.assign(bytes.begin(), bytes.end());
        filters.push_back(std::move(filter));
    }
    if (reader.overrun())
        return std::nullopt;
    return filters;
}

} // namespace vidorama::swf
