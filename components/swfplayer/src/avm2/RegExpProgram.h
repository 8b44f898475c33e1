#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vidorama::swf::avm2 {

// The flags an ActionScript 3 RegExp is made with.
struct RegExpFlags {
    bool global = false;
    bool ignoreCase = false;
    bool multiline = false;
    bool dotAll = false;
    bool extended = false;
};

// Where each group matched, as UTF-16 offsets; -1 for a group that took no part.
struct RegExpCaptures {
    std::vector<std::pair<int, int>> groups;
    bool matched(std::size_t group) const { return groups[group].first >= 0; }
};

// A compiled pattern in Flash's dialect (Perl-like: lazy quantifiers,
// look-ahead, named groups, the s and x flags). Matching backtracks with a
// bounded number of steps and a bounded depth, so a hostile pattern gives "no
// match" instead of a hang or a stack overflow.
class RegExpProgram {
public:
    // The program, or nullptr with a message for a pattern that does not parse.
    static std::shared_ptr<const RegExpProgram>
    compile(const std::u16string& pattern, const RegExpFlags& flags, std::string& error);

    // The first match at or after start.
    bool search(const std::u16string& text, std::size_t start, RegExpCaptures& out,
                std::uint64_t& steps) const;
    // Capturing groups, the whole match not counted.
    std::size_t groupCount() const { return m_groupCount; }
    // Names given with (?P<name>...), with their group numbers.
    const std::vector<std::pair<std::string, int>>& groupNames() const { return m_names; }

    struct Node;

private:
    friend class RegExpParser;
    friend class RegExpMatcher;
    std::vector<Node> m_nodes;
    int m_start = 0;
    std::size_t m_groupCount = 0;
    std::size_t m_loopCount = 0;
    std::vector<std::pair<std::string, int>> m_names;
    RegExpFlags m_flags;
};

// One step of a compiled pattern; every node but the last names the next.
struct RegExpProgram::Node {
    enum class Type : std::uint8_t {
        Char,
        Any,
        Class,
        LineStart,
        LineEnd,
        WordBoundary,
        NotWordBoundary,
        GroupStart,
        GroupEnd,
        BackReference,
        Alternative,
        Loop,
        LoopTail,
        LookAhead,
        Match
    };
    Type type = Type::Match;
    int next = -1;
    char16_t ch = 0;
    // Class: inclusive ranges; negate inverts the class or a look-ahead.
    std::vector<std::pair<char16_t, char16_t>> ranges;
    bool negate = false;
    // Alternative: the entry of each branch. Loop and LookAhead: the body.
    std::vector<int> branches;
    int body = -1;
    int group = 0;
    int loop = 0;
    int min = 0;
    int max = 0;
    bool greedy = true;
};

} // namespace vidorama::swf::avm2
