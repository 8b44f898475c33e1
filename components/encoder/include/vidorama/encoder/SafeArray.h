#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <new>
#include <span>
#include <vector>

namespace vidorama::encoder {

// An owned, dimensioned array with the shape of the OLE safe arrays that cross
// the encoder interface: a raw frame is a byte array of 4 x width x height and
// sound is a one-dimensional array of 16-bit samples. The element storage is
// allocated once, so a caller can refill the same array for every frame.
template <typename T> class SafeArray {
public:
    // Returns nullptr instead of throwing when the storage cannot be had, so
    // callers can report "Insufficient memory." as the program always did.
    static std::unique_ptr<SafeArray> Create(std::initializer_list<std::uint32_t> dimensions) {
        std::size_t count = 1;
        for (std::uint32_t d : dimensions) {
            if (d != 0 && count > SIZE_MAX / sizeof(T) / d)
                return nullptr;
            count *= d;
        }
        auto array = std::unique_ptr<SafeArray>(new (std::nothrow) SafeArray);
        if (!array)
            return nullptr;
        try {
            array->m_dimensions.assign(dimensions);
            array->m_elements.resize(count);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        return array;
    }

    const std::vector<std::uint32_t>& Dimensions() const { return m_dimensions; }
    std::size_t Count() const { return m_elements.size(); }
    std::size_t ByteSize() const { return m_elements.size() * sizeof(T); }
    T* Data() { return m_elements.data(); }
    const T* Data() const { return m_elements.data(); }
    std::span<T> Elements() { return m_elements; }
    std::span<const T> Elements() const { return m_elements; }

private:
    SafeArray() = default;

    std::vector<std::uint32_t> m_dimensions;
    std::vector<T> m_elements;
};

// VT_UI1 and VT_UI2 in the interface's terms.
using ByteArray = SafeArray<std::uint8_t>;
using SampleArray = SafeArray<std::uint16_t>;

} // namespace vidorama::encoder
