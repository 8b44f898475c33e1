#pragma once

#include "swf/SwfBitWriter.h"
#include "swf/SwfWriter.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace vidorama::test {

// Assembles ActionScript 3 byte code: opcodes and their variable-length
// operands, with labels for branches.
class AbcCode {
public:
    AbcCode& op(std::uint8_t code) {
        m_bytes.push_back(code);
        return *this;
    }
    AbcCode& u8(std::uint8_t v) { return op(v); }
    AbcCode& u30(std::uint32_t v) {
        do {
            std::uint8_t byte = v & 0x7f;
            v >>= 7;
            m_bytes.push_back(v ? byte | 0x80 : byte);
        } while (v);
        return *this;
    }
    // A branch instruction to a label placed before or after it.
    AbcCode& branch(std::uint8_t code, const std::string& label) {
        op(code);
        m_fixups.push_back({m_bytes.size(), label});
        m_bytes.insert(m_bytes.end(), 3, 0);
        return *this;
    }
    AbcCode& label(const std::string& name) {
        m_labels[name] = m_bytes.size();
        return *this;
    }
    std::size_t here() const { return m_bytes.size(); }
    std::vector<std::uint8_t> bytes() const {
        std::vector<std::uint8_t> out = m_bytes;
        for (const auto& [at, name] : m_fixups) {
            auto offset =
                static_cast<std::int32_t>(m_labels.at(name)) - static_cast<std::int32_t>(at + 3);
            for (int i = 0; i < 3; ++i)
                out[at + i] = static_cast<std::uint8_t>(std::uint32_t(offset) >> (8 * i));
        }
        return out;
    }

private:
    std::vector<std::uint8_t> m_bytes;
    std::vector<std::pair<std::size_t, std::string>> m_fixups;
    std::map<std::string, std::size_t> m_labels;
};

// Writes an ABC block by hand: constant pools filled on demand, methods with
// bodies and one or more scripts, for instruction-level tests and hostile
// blocks alike.
class AbcWriter {
public:
    struct Handler {
        std::uint32_t from, to, target, type, varName;
    };

    std::uint32_t string(const std::string& s) { return intern(m_strings, s); }
    std::uint32_t integer(std::int32_t v) { return intern(m_ints, v); }
    std::uint32_t number(double v) {
        m_doubles.push_back(v);
        return static_cast<std::uint32_t>(m_doubles.size());
    }
    // The public package namespace of a package ("" for the top level).
    std::uint32_t package(const std::string& name = "") {
        std::uint32_t uri = string(name);
        return intern(m_namespaces, std::pair<std::uint8_t, std::uint32_t>(0x16, uri));
    }
    std::uint32_t qname(const std::string& local, const std::string& pkg = "") {
        std::uint32_t ns = package(pkg);
        return intern(m_multinames, std::vector<std::uint32_t>{0x07, ns, string(local)});
    }
    // An attribute name (@local) in the public namespace, for E4X.
    std::uint32_t attributeName(const std::string& local) {
        return intern(m_multinames, std::vector<std::uint32_t>{0x0d, package(), string(local)});
    }
    // A method of the given parameter count with its body.
    std::uint32_t method(const AbcCode& code, std::uint32_t params = 0, std::uint32_t locals = 1,
                         std::vector<Handler> handlers = {}) {
        SwfBitWriter info;
        U30(info, params).u8(0);
        for (std::uint32_t i = 0; i < params; ++i)
            U30(info, 0);
        U30(info, 0).u8(0);
        m_methods.push_back(info.take());
        auto index = static_cast<std::uint32_t>(m_methods.size() - 1);
        SwfBitWriter body;
        U30(body, index);
        U30(body, 64);
        U30(body, std::max(locals, params + 1));
        U30(body, 0);
        U30(body, 16);
        auto bytes = code.bytes();
        U30(body, static_cast<std::uint32_t>(bytes.size())).bytes(bytes);
        U30(body, static_cast<std::uint32_t>(handlers.size()));
        for (const Handler& h : handlers) {
            U30(body, h.from);
            U30(body, h.to);
            U30(body, h.target);
            U30(body, h.type);
            U30(body, h.varName);
        }
        U30(body, 0);
        m_bodies.push_back(body.take());
        return index;
    }
    // A class: its name and base (qnames), instance and class initialisers,
    // and its instances' methods (qname, method). Returns its index.
    struct ClassDef {
        std::uint32_t name = 0, base = 0, iinit = 0, cinit = 0;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> methods;
    };
    std::uint32_t addClass(ClassDef def) {
        m_classes.push_back(std::move(def));
        return static_cast<std::uint32_t>(m_classes.size() - 1);
    }
    // A script whose initializer is the method; it declares the given
    // classes as its traits.
    void script(std::uint32_t init, std::vector<std::uint32_t> classes = {}) {
        m_scripts.push_back({init, std::move(classes)});
    }

    std::vector<std::uint8_t> bytes() const {
        SwfBitWriter w;
        w.u16(16).u16(46);
        U30(w, Count(m_ints.size()));
        for (const auto& v : m_ints)
            S32(w, v.first);
        U30(w, 0); // unsigned integers
        U30(w, Count(m_doubles.size()));
        for (double v : m_doubles) {
            std::uint64_t bits;
            std::memcpy(&bits, &v, sizeof bits);
            w.u32(std::uint32_t(bits)).u32(std::uint32_t(bits >> 32));
        }
        U30(w, Count(m_strings.size()));
        for (const auto& [s, index] : Ordered(m_strings))
            U30(w, static_cast<std::uint32_t>(s.size())).bytes({s.begin(), s.end()});
        U30(w, Count(m_namespaces.size()));
        for (const auto& [ns, index] : Ordered(m_namespaces))
            U30(w.u8(ns.first), ns.second);
        U30(w, 0); // namespace sets
        U30(w, Count(m_multinames.size()));
        for (const auto& [name, index] : Ordered(m_multinames)) {
            w.u8(static_cast<std::uint8_t>(name[0]));
            for (std::size_t i = 1; i < name.size(); ++i)
                U30(w, name[i]);
        }
        U30(w, static_cast<std::uint32_t>(m_methods.size()));
        for (const auto& m : m_methods)
            w.bytes(m);
        U30(w, 0); // metadata
        U30(w, static_cast<std::uint32_t>(m_classes.size()));
        for (const ClassDef& c : m_classes) {
            U30(U30(w, c.name), c.base).u8(0);
            U30(U30(w, 0), c.iinit);
            U30(w, static_cast<std::uint32_t>(c.methods.size()));
            for (const auto& [name, method] : c.methods)
                U30(U30(U30(w, name).u8(1), 0), method);
        }
        for (const ClassDef& c : m_classes)
            U30(U30(w, c.cinit), 0);
        U30(w, static_cast<std::uint32_t>(m_scripts.size()));
        for (const auto& [init, classes] : m_scripts) {
            U30(U30(w, init), static_cast<std::uint32_t>(classes.size()));
            for (std::uint32_t index : classes)
                U30(U30(U30(w, m_classes[index].name).u8(4), 0), index);
        }
        U30(w, static_cast<std::uint32_t>(m_bodies.size()));
        for (const auto& b : m_bodies)
            w.bytes(b);
        return w.take();
    }

private:
    template <typename K>
    static std::uint32_t intern(std::map<K, std::uint32_t>& pool, const K& key) {
        auto found = pool.find(key);
        if (found != pool.end())
            return found->second;
        auto index = static_cast<std::uint32_t>(pool.size() + 1);
        pool.emplace(key, index);
        return index;
    }
    template <typename K>
    static std::vector<std::pair<K, std::uint32_t>>
    Ordered(const std::map<K, std::uint32_t>& pool) {
        std::vector<std::pair<K, std::uint32_t>> out(pool.begin(), pool.end());
        std::sort(out.begin(), out.end(),
                  [](const auto& a, const auto& b) { return a.second < b.second; });
        return out;
    }
    static std::uint32_t Count(std::size_t entries) {
        return entries ? static_cast<std::uint32_t>(entries + 1) : 0;
    }
    static SwfBitWriter& U30(SwfBitWriter& w, std::uint32_t v) {
        do {
            std::uint8_t byte = v & 0x7f;
            v >>= 7;
            w.u8(v ? byte | 0x80 : byte);
        } while (v);
        return w;
    }
    // Negative numbers take all five bytes, which the reader reads back whole.
    static SwfBitWriter& S32(SwfBitWriter& w, std::int32_t v) {
        return U30(w, static_cast<std::uint32_t>(v));
    }

    std::map<std::string, std::uint32_t> m_strings;
    std::map<std::int32_t, std::uint32_t> m_ints;
    std::vector<double> m_doubles;
    std::map<std::pair<std::uint8_t, std::uint32_t>, std::uint32_t> m_namespaces;
    std::map<std::vector<std::uint32_t>, std::uint32_t> m_multinames;
    std::vector<std::vector<std::uint8_t>> m_methods;
    std::vector<std::vector<std::uint8_t>> m_bodies;
    std::vector<ClassDef> m_classes;
    std::vector<std::pair<std::uint32_t, std::vector<std::uint32_t>>> m_scripts;
};

namespace tags {
// DoABC2 with its flags and an empty name.
inline Bytes DoAbc(const std::vector<std::uint8_t>& abc, bool lazy = false) {
    return Tag(82, SwfBitWriter().u32(lazy ? 1 : 0).string("").bytes(abc).take(), true);
}
} // namespace tags

} // namespace vidorama::test
