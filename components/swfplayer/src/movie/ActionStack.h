#pragma once

#include "movie/Actions.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vidorama::swf {

class ByteReader;

// A stack value as far as it can be known before the block runs: a constant,
// a reference to a clip by path, or unknown.
struct KnownValue {
    enum class Kind { Unknown, Number, String, Clip };
    Kind kind = Kind::Unknown;
    double number = 0;
    // A string's text, or a clip's path.
    std::string text;

    static KnownValue Number(double n) { return {Kind::Number, n, {}}; }
    static KnownValue String(std::string s) { return {Kind::String, 0, std::move(s)}; }
    static KnownValue Clip(std::string path) { return {Kind::Clip, 0, std::move(path)}; }
};

// The action stack as the reader follows it. Any operation it does not model
// forgets everything, so that a value it reports is never a guess.
class ActionStack {
public:
    void push(KnownValue value);
    // Popping more than is known yields unknown values.
    KnownValue pop();
    void forget() { m_values.clear(); }

    // ActionPush: one or more values.
    void readPush(ByteReader& record, const std::vector<std::string>& pool);
    // ActionGetMember of a clip: a path one level deeper.
    void getMember();
    // ActionCallFunction and ActionCallMethod: pops the call, pushes its
    // (unknown) result, and returns the timeline action it stands for.
    std::optional<Action> callFunction();
    std::optional<Action> callMethod();

private:
    // Pops an argument count and that many arguments; nullopt when unknown.
    std::optional<std::vector<KnownValue>> popArguments();

    std::vector<KnownValue> m_values;
};

} // namespace vidorama::swf
