#include "avm2/AbcFile.h"
#include "swf/ByteReader.h"
#include "swf/Limits.h"

#include <limits>
#include <stdexcept>

namespace vidorama::swf::avm2 {

bool AbcMultiname::attribute() const {
    switch (kind) {
    case MultinameKind::QNameA:
    case MultinameKind::RTQNameA:
    case MultinameKind::RTQNameLA:
    case MultinameKind::MultinameA:
    case MultinameKind::MultinameLA:
        return true;
    default:
        return false;
    }
}

bool AbcMultiname::runtimeNamespace() const {
    return kind == MultinameKind::RTQName || kind == MultinameKind::RTQNameA ||
           kind == MultinameKind::RTQNameL || kind == MultinameKind::RTQNameLA;
}

bool AbcMultiname::runtimeName() const {
    return kind == MultinameKind::RTQNameL || kind == MultinameKind::RTQNameLA ||
           kind == MultinameKind::MultinameL || kind == MultinameKind::MultinameLA;
}

namespace {

// Why a block is refused; caught once at the top and made an Error.
struct BrokenBlock : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class AbcParser {
public:
    explicit AbcParser(std::span<const std::uint8_t> bytes) : m_in(bytes) {}

    std::shared_ptr<const AbcFile> parse() {
        auto abc = std::make_shared<AbcFile>();
        m_in.u16(); // minor version
        m_in.u16(); // major version
        readPools(*abc);
        std::size_t methodCount = count("methods");
        abc->methods.resize(methodCount);
        for (auto& method : abc->methods)
            readMethod(*abc, method);
        std::size_t metadataCount = count("metadata");
        for (std::size_t i = 0; i < metadataCount; ++i)
            skipMetadata(*abc);
        std::size_t classCount = count("classes");
        abc->instances.resize(classCount);
        for (auto& instance : abc->instances)
            readInstance(*abc, instance);
        abc->classes.resize(classCount);
        for (auto& klass : abc->classes) {
            klass.init = index(abc->methods.size(), "class initializer", false);
            klass.traits = readTraits(*abc);
        }
        abc->scripts.resize(count("scripts"));
        for (auto& script : abc->scripts) {
            script.init = index(abc->methods.size(), "script initializer", false);
            script.traits = readTraits(*abc);
        }
        std::size_t bodyCount = count("method bodies");
        for (std::size_t i = 0; i < bodyCount; ++i)
            readBody(*abc);
        check();
        return abc;
    }

private:
    void check() {
        if (m_in.overrun())
            throw BrokenBlock("the block ends inside a structure");
    }

    std::uint32_t u30() {
        std::uint32_t value = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            std::uint8_t byte = m_in.u8();
            value |= std::uint32_t(byte & 0x7f) << shift;
            if (!(byte & 0x80))
                break;
        }
        check();
        return value;
    }

    std::int32_t s32() {
        std::uint32_t value = 0;
        int shift = 0;
        for (; shift < 35; shift += 7) {
            std::uint8_t byte = m_in.u8();
            value |= std::uint32_t(byte & 0x7f) << shift;
            if (!(byte & 0x80)) {
                shift += 7;
                break;
            }
        }
        if (shift < 32 && (value & (1u << (shift - 1))))
            value |= ~0u << shift;
        check();
        return static_cast<std::int32_t>(value);
    }

    // A table's length, bounded by the limit for any one table.
    std::size_t count(const char* what) {
        std::uint32_t n = u30();
        if (n > Limits::kMaxAbcPoolEntries || n > m_in.remaining())
            throw BrokenBlock(std::string("too many ") + what);
        return n;
    }

    // A pool's length as stored: one more than its entries, 0 for empty.
    std::size_t poolCount(const char* what) {
        std::size_t n = count(what);
        return n == 0 ? 1 : n;
    }

    std::uint32_t index(std::size_t size, const char* what, bool zeroAllowed = true) {
        std::uint32_t i = u30();
        if (i >= size || (!zeroAllowed && size == 0))
            throw BrokenBlock(std::string(what) + " index out of range");
        return i;
    }

    void readPools(AbcFile& abc) {
        abc.ints.resize(poolCount("integers"));
        for (std::size_t i = 1; i < abc.ints.size(); ++i)
            abc.ints[i] = s32();
        abc.uints.resize(poolCount("unsigned integers"));
        for (std::size_t i = 1; i < abc.uints.size(); ++i)
            abc.uints[i] = static_cast<std::uint32_t>(s32());
        abc.doubles.resize(poolCount("numbers"));
        abc.doubles[0] = std::numeric_limits<double>::quiet_NaN();
        for (std::size_t i = 1; i < abc.doubles.size(); ++i)
            abc.doubles[i] = m_in.f64();
        abc.strings.resize(poolCount("strings"));
        for (std::size_t i = 1; i < abc.strings.size(); ++i) {
            std::uint32_t length = u30();
            if (length > Limits::kMaxScriptStringBytes || length > m_in.remaining())
                throw BrokenBlock("a string runs past the block");
            auto bytes = m_in.take(length);
            abc.strings[i].assign(bytes.begin(), bytes.end());
        }
        abc.namespaces.resize(poolCount("namespaces"));
        for (std::size_t i = 1; i < abc.namespaces.size(); ++i) {
            abc.namespaces[i].kind = static_cast<NamespaceKind>(m_in.u8());
            abc.namespaces[i].name = index(abc.strings.size(), "namespace name");
        }
        abc.namespaceSets.resize(poolCount("namespace sets"));
        for (std::size_t i = 1; i < abc.namespaceSets.size(); ++i) {
            std::size_t n = count("namespaces in a set");
            for (std::size_t k = 0; k < n; ++k)
                abc.namespaceSets[i].push_back(index(abc.namespaces.size(), "namespace"));
        }
        abc.multinames.resize(poolCount("multinames"));
        for (std::size_t i = 1; i < abc.multinames.size(); ++i)
            readMultiname(abc, abc.multinames[i], i);
        check();
    }

    void readMultiname(const AbcFile& abc, AbcMultiname& name, std::size_t position) {
        name.kind = static_cast<MultinameKind>(m_in.u8());
        switch (name.kind) {
        case MultinameKind::QName:
        case MultinameKind::QNameA:
            name.ns = index(abc.namespaces.size(), "namespace");
            name.name = index(abc.strings.size(), "name");
            break;
        case MultinameKind::RTQName:
        case MultinameKind::RTQNameA:
            name.name = index(abc.strings.size(), "name");
            break;
        case MultinameKind::RTQNameL:
        case MultinameKind::RTQNameLA:
            break;
        case MultinameKind::Multiname:
        case MultinameKind::MultinameA:
            name.name = index(abc.strings.size(), "name");
            name.nsSet = index(abc.namespaceSets.size(), "namespace set", false);
            break;
        case MultinameKind::MultinameL:
        case MultinameKind::MultinameLA:
            name.nsSet = index(abc.namespaceSets.size(), "namespace set", false);
            break;
        case MultinameKind::TypeName: {
            // The parts may come later in the pool; the machine resolves them
            // with a bounded depth, so a name that contains itself is harmless.
            name.base = index(abc.multinames.size(), "type name");
            std::size_t n = count("type parameters");
            for (std::size_t k = 0; k < n; ++k)
                name.params.push_back(index(abc.multinames.size(), "type parameter"));
            if (name.base == position)
                throw BrokenBlock("a type name names itself");
            break;
        }
        default:
            throw BrokenBlock("unknown multiname kind");
        }
    }

    AbcConstant readConstant(const AbcFile& abc, std::uint32_t valueIndex, std::uint8_t kind) {
        std::size_t size = 0;
        switch (kind) {
        case 0x03:
            size = abc.ints.size();
            break;
        case 0x04:
            size = abc.uints.size();
            break;
        case 0x06:
            size = abc.doubles.size();
            break;
        case 0x01:
            size = abc.strings.size();
            break;
        case 0x0b:
        case 0x0a:
        case 0x0c:
        case 0x00:
            size = ~std::size_t(0);
            break;
        case 0x08:
        case 0x16:
        case 0x17:
        case 0x18:
        case 0x19:
        case 0x1a:
        case 0x05:
            size = abc.namespaces.size();
            break;
        default:
            throw BrokenBlock("unknown constant kind");
        }
        if (valueIndex >= size)
            throw BrokenBlock("constant index out of range");
        return {kind, valueIndex};
    }

    void readMethod(AbcFile& abc, AbcMethod& method) {
        std::size_t params = count("parameters");
        method.returnType = index(abc.multinames.size(), "return type");
        for (std::size_t i = 0; i < params; ++i)
            method.paramTypes.push_back(index(abc.multinames.size(), "parameter type"));
        method.name = index(abc.strings.size(), "method name");
        method.flags = m_in.u8();
        if (method.flags & kHasOptional) {
            std::size_t n = count("optional parameters");
            if (n > params)
                throw BrokenBlock("more optional parameters than parameters");
            for (std::size_t i = 0; i < n; ++i) {
                std::uint32_t valueIndex = u30();
                method.optionals.push_back(readConstant(abc, valueIndex, m_in.u8()));
            }
        }
        if (method.flags & kHasParamNames)
            for (std::size_t i = 0; i < params; ++i)
                index(abc.strings.size(), "parameter name");
        check();
    }

    void skipMetadata(const AbcFile& abc) {
        index(abc.strings.size(), "metadata name");
        std::size_t n = count("metadata items");
        for (std::size_t i = 0; i < 2 * n; ++i)
            index(abc.strings.size(), "metadata item");
    }

    std::vector<AbcTrait> readTraits(const AbcFile& abc) {
        std::size_t n = count("traits");
        if (n > Limits::kMaxAbcTraits)
            throw BrokenBlock("too many traits");
        std::vector<AbcTrait> traits(n);
        for (auto& trait : traits) {
            trait.name = index(abc.multinames.size(), "trait name", false);
            if (trait.name == 0 || abc.multinames[trait.name].kind != MultinameKind::QName)
                throw BrokenBlock("a trait's name is not a qualified name");
            std::uint8_t kind = m_in.u8();
            if ((kind & 0x0f) > 6)
                throw BrokenBlock("unknown trait kind");
            trait.kind = static_cast<TraitKind>(kind & 0x0f);
            trait.slotId = u30();
            switch (trait.kind) {
            case TraitKind::Slot:
            case TraitKind::Const: {
                trait.index = index(abc.multinames.size(), "slot type");
                std::uint32_t valueIndex = u30();
                if (valueIndex != 0)
                    trait.value = readConstant(abc, valueIndex, m_in.u8());
                break;
            }
            case TraitKind::Class:
                trait.index = index(abc.instances.size(), "class", false);
                break;
            default:
                trait.index = index(abc.methods.size(), "method", false);
                break;
            }
            if (kind & 0x40) {
                std::size_t metadata = count("trait metadata");
                for (std::size_t i = 0; i < metadata; ++i)
                    u30();
            }
        }
        check();
        return traits;
    }

    void readInstance(AbcFile& abc, AbcInstance& instance) {
        instance.name = index(abc.multinames.size(), "class name", false);
        instance.superName = index(abc.multinames.size(), "base class name");
        instance.flags = m_in.u8();
        if (instance.flags & kClassProtectedNs)
            instance.protectedNs = index(abc.namespaces.size(), "protected namespace");
        std::size_t interfaces = count("interfaces");
        for (std::size_t i = 0; i < interfaces; ++i)
            instance.interfaces.push_back(index(abc.multinames.size(), "interface"));
        instance.init = index(abc.methods.size(), "instance initializer", false);
        instance.traits = readTraits(abc);
    }

    void readBody(AbcFile& abc) {
        std::uint32_t method = index(abc.methods.size(), "method", false);
        AbcMethodBody body;
        body.maxStack = u30();
        body.localCount = u30();
        body.initScopeDepth = u30();
        body.maxScopeDepth = u30();
        if (body.maxStack > Limits::kMaxAbcMethodStack ||
            body.localCount > Limits::kMaxAbcMethodLocals ||
            body.maxScopeDepth > Limits::kMaxAbcScopeDepth ||
            body.initScopeDepth > body.maxScopeDepth)
            throw BrokenBlock("a method body declares too large a frame");
        std::uint32_t length = u30();
        if (length > Limits::kMaxAbcMethodCodeBytes || length > m_in.remaining())
            throw BrokenBlock("a method's code runs past the block");
        body.code = m_in.take(length);
        std::size_t exceptions = count("exception handlers");
        for (std::size_t i = 0; i < exceptions; ++i) {
            AbcException handler;
            handler.from = u30();
            handler.to = u30();
            handler.target = u30();
            handler.type = index(abc.multinames.size(), "exception type");
            handler.varName = index(abc.multinames.size(), "exception variable");
            if (handler.from > length || handler.to > length || handler.target >= length ||
                handler.from > handler.to)
                throw BrokenBlock("an exception handler lies outside its method");
            body.exceptions.push_back(handler);
        }
        body.traits = readTraits(abc);
        if (abc.methods[method].body >= 0)
            throw BrokenBlock("a method has two bodies");
        abc.methods[method].body = static_cast<int>(abc.bodies.size());
        abc.bodies.push_back(std::move(body));
    }

    ByteReader m_in;
};

} // namespace

Result<std::shared_ptr<const AbcFile>> ReadAbc(std::span<const std::uint8_t> bytes) {
    try {
        return AbcParser(bytes).parse();
    } catch (const BrokenBlock& broken) {
        return MakeError(Error::Category::Format,
                         std::string("broken ActionScript 3 block: ") + broken.what());
    }
}

} // namespace vidorama::swf::avm2
