// RegExp, and the String methods that search with one.

#include "avm1/Utf16Text.h"
#include "avm2/Native.h"
#include "avm2/RegExpObject.h"

#include <cmath>

namespace vidorama::swf::avm2 {

namespace {

using avm1::FromUtf16;
using avm1::ToUtf16;

// Regular expression steps cost the frame's script budget at this rate, so a
// loop of searches is cut like any other long-running script.
constexpr std::uint64_t kRegExpStepsPerScriptStep = 8;

Object* AllocateRegExp(Vm& vm, ClassObject* cls) {
    auto* re =
        vm.make<RegExpObject>(Object::Kind::RegExp, cls, &cls->instanceTraits, cls->prototype);
    re->sealed = false;
    return re;
}

RegExpObject* AsRegExp(const Value& v) {
    if (v.isObject() && v.object->kind() == Object::Kind::RegExp)
        return static_cast<RegExpObject*>(v.object);
    return nullptr;
}

RegExpObject* ThisRegExp(Vm& vm, const Value& self) {
    RegExpObject* re = AsRegExp(self);
    if (!re)
        vm.throwError("TypeError", 1034, ErrorMessage(1034, vm.describe(self), "RegExp"));
    return re;
}

void Compile(Vm& vm, RegExpObject& re, const std::string& source, const std::string& flags) {
    re.source = source;
    for (char c : flags) {
        re.flags.global |= c == 'g';
        re.flags.ignoreCase |= c == 'i';
        re.flags.multiline |= c == 'm';
        re.flags.dotAll |= c == 's';
        re.flags.extended |= c == 'x';
    }
    std::string error;
    re.program = RegExpProgram::compile(ToUtf16(source), re.flags, error);
    if (!re.program)
        vm.noteMissing("RegExp pattern: " + error);
}

Value RegExpInit(Vm& vm, const Value& self, Args args) {
    RegExpObject* re = ThisRegExp(vm, self);
    Value pattern = Arg(args, 0);
    Value flags = Arg(args, 1);
    if (RegExpObject* from = AsRegExp(pattern)) {
        if (!flags.isUndefined())
            vm.throwError("TypeError", 1100, ErrorMessage(1100));
        re->source = from->source;
        re->flags = from->flags;
        re->program = from->program;
        return Value();
    }
    Compile(vm, *re, pattern.isUndefined() ? std::string() : vm.toString(pattern),
            flags.isUndefined() ? std::string() : vm.toString(flags));
    return Value();
}

Value RegExpCall(Vm& vm, const Value&, Args args) {
    if (AsRegExp(Arg(args, 0)) && Arg(args, 1).isUndefined())
        return args[0];
    return vm.constructClass(vm.natives.regexp, args);
}

// Searches from start, charging the steps to the frame.
bool Search(Vm& vm, const RegExpObject& re, const std::u16string& text, std::size_t start,
            RegExpCaptures& captures) {
    if (!re.program)
        return false;
    std::uint64_t steps = 0;
    bool found = re.program->search(text, start, captures, steps);
    vm.spendSteps(steps / kRegExpStepsPerScriptStep);
    return found;
}

std::string Group(const std::u16string& text, const RegExpCaptures& captures, std::size_t group) {
    if (group >= captures.groups.size() || !captures.matched(group))
        return {};
    auto [from, to] = captures.groups[group];
    return FromUtf16(text.substr(std::size_t(from), std::size_t(to - from)));
}

// exec()'s result: the match and its groups, with index, input and the named groups.
Value MatchArray(Vm& vm, const RegExpObject& re, const std::u16string& text,
                 const std::string& input, const RegExpCaptures& captures) {
    std::vector<Value> groups;
    for (std::size_t i = 0; i < captures.groups.size(); ++i)
        groups.push_back(Value(Group(text, captures, i)));
    ArrayObject* result = vm.newArray(std::move(groups));
    for (const auto& [name, group] : re.program->groupNames())
        result->setDynamic(name, Value(Group(text, captures, std::size_t(group))));
    result->setDynamic("index", Value(double(captures.groups[0].first)));
    result->setDynamic("input", Value(input));
    return Value(result);
}

// exec() as Flash runs it: a global RegExp goes on from lastIndex and moves it.
Value Exec(Vm& vm, RegExpObject& re, const std::string& input) {
    std::u16string text = ToUtf16(input);
    double start = re.flags.global ? re.lastIndex : 0;
    RegExpCaptures captures;
    if (start < 0 || start > double(text.size()) ||
        !Search(vm, re, text, std::size_t(start), captures)) {
        if (re.flags.global)
            re.lastIndex = 0;
        return Value::null();
    }
    if (re.flags.global)
        re.lastIndex = captures.groups[0].second;
    return MatchArray(vm, re, text, input, captures);
}

Value ExecMethod(Vm& vm, const Value& self, Args args) {
    return Exec(vm, *ThisRegExp(vm, self), vm.toString(Arg(args, 0)));
}

Value TestMethod(Vm& vm, const Value& self, Args args) {
    return Value(!Exec(vm, *ThisRegExp(vm, self), vm.toString(Arg(args, 0))).isNull());
}

Value RegExpToString(Vm& vm, const Value& self, Args) {
    RegExpObject* re = ThisRegExp(vm, self);
    std::string text = "/" + re->source + "/";
    const std::pair<bool, char> flags[] = {{re->flags.global, 'g'},
                                           {re->flags.ignoreCase, 'i'},
                                           {re->flags.multiline, 'm'},
                                           {re->flags.dotAll, 's'},
                                           {re->flags.extended, 'x'}};
    for (auto [on, letter] : flags)
        if (on)
            text += letter;
    return Value(text);
}

Value Source(Vm& vm, const Value& self, Args) {
    return Value(ThisRegExp(vm, self)->source);
}
Value Global(Vm& vm, const Value& self, Args) {
    return Value(ThisRegExp(vm, self)->flags.global);
}
Value IgnoreCase(Vm& vm, const Value& self, Args) {
    return Value(ThisRegExp(vm, self)->flags.ignoreCase);
}
Value Multiline(Vm& vm, const Value& self, Args) {
    return Value(ThisRegExp(vm, self)->flags.multiline);
}
Value DotAll(Vm& vm, const Value& self, Args) {
    return Value(ThisRegExp(vm, self)->flags.dotAll);
}
Value Extended(Vm& vm, const Value& self, Args) {
    return Value(ThisRegExp(vm, self)->flags.extended);
}
Value LastIndex(Vm& vm, const Value& self, Args) {
    return Value(ThisRegExp(vm, self)->lastIndex);
}
Value SetLastIndex(Vm& vm, const Value& self, Args args) {
    ThisRegExp(vm, self)->lastIndex = double(ToInt32(vm.toNumber(Arg(args, 0))));
    return Value();
}

// A pattern argument as a RegExp: strings are made into one.
RegExpObject* PatternArg(Vm& vm, const Value& pattern) {
    if (RegExpObject* re = AsRegExp(pattern))
        return re;
    Value source = Value(pattern.isUndefined() ? std::string() : vm.toString(pattern));
    Value args[] = {source};
    return AsRegExp(vm.constructClass(vm.natives.regexp, args));
}

// Every match from the start, stepping over empty ones.
template <typename Visit>
void EachMatch(Vm& vm, const RegExpObject& re, const std::u16string& text, bool all, Visit visit) {
    std::size_t at = 0;
    RegExpCaptures captures;
    while (at <= text.size() && Search(vm, re, text, at, captures)) {
        visit(captures);
        if (!all)
            break;
        auto [from, to] = captures.groups[0];
        at = std::size_t(to == from ? to + 1 : to);
    }
}

Value StringMatch(Vm& vm, const Value& self, Args args) {
    std::string input = vm.toString(ThisPrimitive(self));
    RegExpObject* re = PatternArg(vm, Arg(args, 0));
    std::u16string text = ToUtf16(input);
    if (!re->flags.global) {
        RegExpCaptures captures;
        if (!Search(vm, *re, text, 0, captures))
            return Value::null();
        return MatchArray(vm, *re, text, input, captures);
    }
    std::vector<Value> matches;
    EachMatch(vm, *re, text, true, [&](const RegExpCaptures& captures) {
        // An empty match at the very end is not listed, unlike replace's.
        auto [from, to] = captures.groups[0];
        if (from == to && std::size_t(from) == text.size() && !matches.empty())
            return;
        vm.checkListSize(matches.size() + 1);
        matches.push_back(Value(Group(text, captures, 0)));
    });
    re->lastIndex = 0;
    return Value(vm.newArray(std::move(matches)));
}

Value StringSearch(Vm& vm, const Value& self, Args args) {
    std::u16string text = ToUtf16(vm.toString(ThisPrimitive(self)));
    RegExpObject* re = PatternArg(vm, Arg(args, 0));
    RegExpCaptures captures;
    if (!Search(vm, *re, text, 0, captures))
        return Value(-1);
    return Value(captures.groups[0].first);
}

// A replacement string with its $ forms expanded for one match.
std::u16string Expand(const std::u16string& with, const std::u16string& text,
                      const RegExpCaptures& captures) {
    std::u16string out;
    auto [from, to] = captures.groups[0];
    for (std::size_t i = 0; i < with.size(); ++i) {
        char16_t c = with[i];
        char16_t next = i + 1 < with.size() ? with[i + 1] : 0;
        if (c != '$' || next == 0) {
            out += c;
            continue;
        }
        if (next == '$') {
            out += '$';
        } else if (next == '&') {
            out += text.substr(std::size_t(from), std::size_t(to - from));
        } else if (next == '`') {
            out += text.substr(0, std::size_t(from));
        } else if (next == '\'') {
            out += text.substr(std::size_t(to));
        } else if (next >= '0' && next <= '9') {
            std::size_t group = std::size_t(next - '0');
            char16_t second = i + 2 < with.size() ? with[i + 2] : 0;
            std::size_t two = group * 10 + std::size_t(second - '0');
            bool twoDigits = second >= '0' && second <= '9' && two < captures.groups.size();
            if (twoDigits) {
                group = two;
                // Flash reads $0n as group n but then copies the n as well.
                if (next != '0')
                    ++i;
            }
            if (group == 0 || group >= captures.groups.size()) {
                out += c;
                out += next;
            } else if (captures.matched(group)) {
                auto [gFrom, gTo] = captures.groups[group];
                out += text.substr(std::size_t(gFrom), std::size_t(gTo - gFrom));
            }
        } else {
            out += c;
            continue;
        }
        ++i;
    }
    return out;
}

} // namespace

Value RegExpReplace(Vm& vm, const std::string& input, RegExpObject& re, const Value& with) {
    std::u16string text = ToUtf16(input);
    bool callback = with.isObject() && with.object->kind() == Object::Kind::Function;
    std::u16string pattern = callback ? std::u16string() : ToUtf16(vm.toString(with));
    std::u16string out;
    std::size_t copied = 0;
    EachMatch(vm, re, text, re.flags.global, [&](const RegExpCaptures& captures) {
        auto [from, to] = captures.groups[0];
        out += text.substr(copied, std::size_t(from) - copied);
        if (callback) {
            std::vector<Value> callArgs;
            for (std::size_t i = 0; i < captures.groups.size(); ++i)
                callArgs.push_back(Value(Group(text, captures, i)));
            callArgs.push_back(Value(from));
            callArgs.push_back(Value(input));
            out += ToUtf16(vm.toString(vm.call(with, Value::null(), callArgs)));
        } else {
            out += Expand(pattern, text, captures);
        }
        vm.checkStringSize(out.size() * 2);
        copied = std::size_t(to);
    });
    out += text.substr(std::min(copied, text.size()));
    return Value(FromUtf16(out));
}

Value RegExpSplit(Vm& vm, const std::string& input, RegExpObject& re, double limit) {
    std::u16string text = ToUtf16(input);
    std::vector<Value> parts;
    if (limit <= 0)
        return Value(vm.newArray());
    // Flash splits only where the pattern matches something: empty matches
    // split nothing. The limit is checked after each piece, so a piece's
    // groups may end the list one element past it, as in Flash.
    std::size_t piece = 0;
    std::size_t at = 0;
    RegExpCaptures captures;
    while (at < text.size() && Search(vm, re, text, at, captures)) {
        auto [from, to] = captures.groups[0];
        if (from == to) {
            at = std::size_t(to) + 1;
            continue;
        }
        parts.push_back(Value(FromUtf16(text.substr(piece, std::size_t(from) - piece))));
        if (double(parts.size()) >= limit)
            return Value(vm.newArray(std::move(parts)));
        for (std::size_t i = 1; i < captures.groups.size() && double(parts.size()) < limit; ++i)
            parts.push_back(captures.matched(i) ? Value(Group(text, captures, i)) : Value());
        vm.checkListSize(parts.size());
        piece = std::size_t(to);
        at = std::size_t(to);
    }
    if (double(parts.size()) < limit)
        parts.push_back(Value(FromUtf16(text.substr(piece))));
    return Value(vm.newArray(std::move(parts)));
}

void InstallRegExp(Vm& vm) {
    auto& n = vm.natives;
    n.regexp = vm.defineClass("", "RegExp", n.object, AllocateRegExp, RegExpInit);
    n.regexp->sealedInstances = false;
    n.regexp->callAsFunction = RegExpCall;
    vm.defineMethod(n.regexp, "exec", ExecMethod);
    vm.defineMethod(n.regexp, "test", TestMethod);
    vm.defineMethod(n.regexp, "toString", RegExpToString);
    vm.defineAccessor(n.regexp, "source", Source, nullptr);
    vm.defineAccessor(n.regexp, "global", Global, nullptr);
    vm.defineAccessor(n.regexp, "ignoreCase", IgnoreCase, nullptr);
    vm.defineAccessor(n.regexp, "multiline", Multiline, nullptr);
    vm.defineAccessor(n.regexp, "dotall", DotAll, nullptr);
    vm.defineAccessor(n.regexp, "extended", Extended, nullptr);
    vm.defineAccessor(n.regexp, "lastIndex", LastIndex, SetLastIndex);
    vm.defineMethod(n.string, "match", StringMatch);
    vm.defineMethod(n.string, "search", StringSearch);
}

} // namespace vidorama::swf::avm2
