#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vidorama::swf::avm1 {

// A run of action bytes and whatever keeps them alive. Code of the movie's
// own tags needs no owner: the movie outlives its player's scripts.
struct Code {
    std::span<const std::uint8_t> bytes;
    std::shared_ptr<const void> owner;

    Code sub(std::size_t offset, std::size_t size) const {
        return {bytes.subspan(offset, size), owner};
    }
};

using ConstantPool = std::shared_ptr<const std::vector<std::string>>;

// A function as DefineFunction or DefineFunction2 describes it.
struct ScriptFunction {
    struct Parameter {
        std::string name;
        // DefineFunction2 may pass a parameter in a register (1-255) instead.
        std::uint8_t reg = 0;
    };

    enum Flags : std::uint16_t {
        kPreloadThis = 0x0001,
        kSuppressThis = 0x0002,
        kPreloadArguments = 0x0004,
        kSuppressArguments = 0x0008,
        kPreloadSuper = 0x0010,
        kSuppressSuper = 0x0020,
        kPreloadRoot = 0x0040,
        kPreloadParent = 0x0080,
        kPreloadGlobal = 0x0100,
    };

    std::string name;
    std::vector<Parameter> parameters;
    bool isFunction2 = false;
    std::uint16_t flags = 0;
    // Registers of a DefineFunction2 call; the others have the usual four.
    std::uint16_t registerCount = 4;
    Code body;
    // The constant pool in force where the function was defined.
    ConstantPool pool;
};

} // namespace vidorama::swf::avm1
