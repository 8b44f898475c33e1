#pragma once

#include "swf/Result.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vidorama::swf::avm2 {

// The kinds of namespace an ABC block names; private namespaces are unique
// to the block (and index) that declares them.
enum class NamespaceKind : std::uint8_t {
    Namespace = 0x08,
    Package = 0x16,
    PackageInternal = 0x17,
    Protected = 0x18,
    Explicit = 0x19,
    StaticProtected = 0x1a,
    Private = 0x05,
};

struct AbcNamespace {
    NamespaceKind kind = NamespaceKind::Package;
    std::uint32_t name = 0; // string index
};

enum class MultinameKind : std::uint8_t {
    QName = 0x07,
    QNameA = 0x0d,
    RTQName = 0x0f,
    RTQNameA = 0x10,
    RTQNameL = 0x11,
    RTQNameLA = 0x12,
    Multiname = 0x09,
    MultinameA = 0x0e,
    MultinameL = 0x1b,
    MultinameLA = 0x1c,
    TypeName = 0x1d,
};

struct AbcMultiname {
    MultinameKind kind = MultinameKind::QName;
    std::uint32_t ns = 0;    // namespace index (QName)
    std::uint32_t name = 0;  // string index, 0 for "any"
    std::uint32_t nsSet = 0; // namespace set index (Multiname kinds)
    // TypeName: the generic's multiname and its parameters' multinames.
    std::uint32_t base = 0;
    std::vector<std::uint32_t> params;

    bool attribute() const;
    bool runtimeNamespace() const;
    bool runtimeName() const;
};

// A constant given to an optional parameter or a slot: its pool and index.
struct AbcConstant {
    std::uint8_t kind = 0; // 0: undefined
    std::uint32_t index = 0;
};

enum MethodFlags : std::uint8_t {
    kNeedArguments = 0x01,
    kNeedActivation = 0x02,
    kNeedRest = 0x04,
    kHasOptional = 0x08,
    kSetDxns = 0x40,
    kHasParamNames = 0x80,
};

struct AbcException {
    std::uint32_t from = 0, to = 0, target = 0;
    std::uint32_t type = 0;    // multiname, 0 for any
    std::uint32_t varName = 0; // multiname
};

struct AbcTrait;

struct AbcMethodBody {
    std::uint32_t maxStack = 0, localCount = 0, initScopeDepth = 0, maxScopeDepth = 0;
    std::span<const std::uint8_t> code;
    std::vector<AbcException> exceptions;
    std::vector<AbcTrait> traits; // of the activation object
};

struct AbcMethod {
    std::vector<std::uint32_t> paramTypes; // multinames, 0 for any
    std::uint32_t returnType = 0;
    std::uint32_t name = 0;
    std::uint8_t flags = 0;
    std::vector<AbcConstant> optionals;
    int body = -1; // index into AbcFile::bodies, -1 for a method without one
};

enum class TraitKind : std::uint8_t {
    Slot = 0,
    Method = 1,
    Getter = 2,
    Setter = 3,
    Class = 4,
    Function = 5,
    Const = 6,
};

struct AbcTrait {
    std::uint32_t name = 0; // multiname (a QName)
    TraitKind kind = TraitKind::Slot;
    std::uint32_t slotId = 0; // slot id, or dispatch id of methods
    std::uint32_t index = 0;  // slot type name, class or method index
    AbcConstant value;        // slot or const initial value
};

enum InstanceFlags : std::uint8_t {
    kClassSealed = 0x01,
    kClassFinal = 0x02,
    kClassInterface = 0x04,
    kClassProtectedNs = 0x08,
};

struct AbcInstance {
    std::uint32_t name = 0, superName = 0;
    std::uint8_t flags = 0;
    std::uint32_t protectedNs = 0;
    std::vector<std::uint32_t> interfaces;
    std::uint32_t init = 0;
    std::vector<AbcTrait> traits;
};

struct AbcClass {
    std::uint32_t init = 0;
    std::vector<AbcTrait> traits;
};

struct AbcScript {
    std::uint32_t init = 0;
    std::vector<AbcTrait> traits;
};

// One DoABC block as read: every pool, with index 0 of each constant pool
// standing for "none" as the format defines it. The code views point into the
// movie's data, which outlives the block.
struct AbcFile {
    std::vector<std::int32_t> ints;
    std::vector<std::uint32_t> uints;
    std::vector<double> doubles;
    std::vector<std::string> strings;
    std::vector<AbcNamespace> namespaces;
    std::vector<std::vector<std::uint32_t>> namespaceSets;
    std::vector<AbcMultiname> multinames;
    std::vector<AbcMethod> methods;
    std::vector<AbcMethodBody> bodies;
    std::vector<AbcInstance> instances;
    std::vector<AbcClass> classes;
    std::vector<AbcScript> scripts;
};

// Reads an ABC block, checking every index against its pool and every count
// against the engine's limits. A broken block is refused as a whole.
Result<std::shared_ptr<const AbcFile>> ReadAbc(std::span<const std::uint8_t> bytes);

} // namespace vidorama::swf::avm2
