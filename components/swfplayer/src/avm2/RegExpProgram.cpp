// Backtracking over the node graph. Runs of one character under a quantifier
// are matched in a loop, so common patterns do not recurse per character;
// everything else recurses within a depth and step budget.

#include "avm2/RegExpProgram.h"

#include "swf/Limits.h"

namespace vidorama::swf::avm2 {

namespace {

using Node = RegExpProgram::Node;

bool IsNewline(char16_t c) {
    return c == '\n' || c == '\r';
}

bool IsWordChar(char16_t c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// Simple case folding: ASCII and Latin-1 letters.
char16_t Fold(char16_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xc0 && c <= 0xde && c != 0xd7))
        return char16_t(c + 32);
    return c;
}

char16_t Upper(char16_t c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xe0 && c <= 0xfe && c != 0xf7))
        return char16_t(c - 32);
    return c;
}

} // namespace

class RegExpMatcher {
public:
    RegExpMatcher(const RegExpProgram& program, const std::u16string& text)
        : m_program(program), m_nodes(program.m_nodes), m_text(text),
          m_captures(program.m_groupCount + 1, {-1, -1}),
          m_groupStarts(program.m_groupCount + 1, -1), m_loopCounts(program.m_loopCount, 0),
          m_loopStarts(program.m_loopCount, -1) {}

    bool search(std::size_t start, RegExpCaptures& out) {
        for (std::size_t at = start; at <= m_text.size() && !m_aborted; ++at) {
            std::fill(m_captures.begin(), m_captures.end(), std::pair{-1, -1});
            if (run(m_program.m_start, int(at))) {
                m_captures[0] = {int(at), m_matchEnd};
                out.groups = m_captures;
                return true;
            }
        }
        return false;
    }

    std::uint64_t steps() const { return m_steps; }

private:
    bool matchesOne(const Node& node, int pos) const {
        if (std::size_t(pos) >= m_text.size())
            return false;
        char16_t c = m_text[std::size_t(pos)];
        switch (node.type) {
        case Node::Type::Char:
            return c == node.ch || (m_program.m_flags.ignoreCase && Fold(c) == Fold(node.ch));
        case Node::Type::Any:
            return m_program.m_flags.dotAll || !IsNewline(c);
        default:
            break;
        }
        bool in = inRanges(node, c);
        if (!in && m_program.m_flags.ignoreCase)
            in = inRanges(node, Fold(c)) || inRanges(node, Upper(c));
        return in != node.negate;
    }

    static bool inRanges(const Node& node, char16_t c) {
        for (auto [lo, hi] : node.ranges)
            if (c >= lo && c <= hi)
                return true;
        return false;
    }

    bool isSingle(const Node& node) const {
        return node.type == Node::Type::Char || node.type == Node::Type::Any ||
               node.type == Node::Type::Class;
    }

    bool atWordBoundary(int pos) const {
        bool before = pos > 0 && IsWordChar(m_text[std::size_t(pos - 1)]);
        bool after = std::size_t(pos) < m_text.size() && IsWordChar(m_text[std::size_t(pos)]);
        return before != after;
    }

    bool atLineEnd(int pos) const {
        std::size_t at = std::size_t(pos);
        if (at == m_text.size())
            return true;
        if (m_program.m_flags.multiline)
            return IsNewline(m_text[at]);
        return at + 1 == m_text.size() && m_text[at] == '\n';
    }

    // Steps and depth are spent here; once either runs out every path fails.
    bool enter(int node, int pos) {
        if (m_aborted)
            return false;
        if (++m_depth > Limits::kMaxRegExpDepth) {
            m_aborted = true;
            --m_depth;
            return false;
        }
        bool result = run(node, pos);
        --m_depth;
        return result;
    }

    bool run(int index, int pos) {
        while (index >= 0) {
            if (++m_steps > Limits::kMaxRegExpSteps)
                m_aborted = true;
            if (m_aborted)
                return false;
            const Node& node = m_nodes[std::size_t(index)];
            switch (node.type) {
            case Node::Type::Char:
            case Node::Type::Any:
            case Node::Type::Class:
                if (!matchesOne(node, pos))
                    return false;
                ++pos;
                break;
            case Node::Type::LineStart:
                if (pos != 0 &&
                    !(m_program.m_flags.multiline && IsNewline(m_text[std::size_t(pos - 1)])))
                    return false;
                break;
            case Node::Type::LineEnd:
                if (!atLineEnd(pos))
                    return false;
                break;
            case Node::Type::WordBoundary:
            case Node::Type::NotWordBoundary:
                if (atWordBoundary(pos) != (node.type == Node::Type::WordBoundary))
                    return false;
                break;
            case Node::Type::BackReference:
                if (!backReference(node, pos))
                    return false;
                break;
            case Node::Type::GroupStart:
                return groupStart(node, pos);
            case Node::Type::GroupEnd:
                return groupEnd(node, pos);
            case Node::Type::Alternative:
                for (int branch : node.branches)
                    if (enter(branch, pos))
                        return true;
                return false;
            case Node::Type::Loop:
                return loop(node, pos);
            case Node::Type::LoopTail:
                return loopTail(node, pos);
            case Node::Type::LookAhead:
                if (!lookAhead(node, pos))
                    return false;
                break;
            case Node::Type::Match:
                m_matchEnd = pos;
                return true;
            }
            index = node.next;
        }
        return false;
    }

    bool backReference(const Node& node, int& pos) {
        if (std::size_t(node.group) >= m_captures.size())
            return true;
        auto [from, to] = m_captures[std::size_t(node.group)];
        if (from < 0)
            return true;
        int length = to - from;
        if (std::size_t(pos + length) > m_text.size())
            return false;
        for (int i = 0; i < length; ++i) {
            char16_t a = m_text[std::size_t(from + i)], b = m_text[std::size_t(pos + i)];
            if (a != b && !(m_program.m_flags.ignoreCase && Fold(a) == Fold(b)))
                return false;
        }
        pos += length;
        return true;
    }

    bool groupStart(const Node& node, int pos) {
        int saved = m_groupStarts[std::size_t(node.group)];
        m_groupStarts[std::size_t(node.group)] = pos;
        if (enter(node.next, pos))
            return true;
        m_groupStarts[std::size_t(node.group)] = saved;
        return false;
    }

    bool groupEnd(const Node& node, int pos) {
        auto saved = m_captures[std::size_t(node.group)];
        m_captures[std::size_t(node.group)] = {m_groupStarts[std::size_t(node.group)], pos};
        if (enter(node.next, pos))
            return true;
        m_captures[std::size_t(node.group)] = saved;
        return false;
    }

    bool lookAhead(const Node& node, int pos) {
        auto saved = m_captures;
        int savedEnd = m_matchEnd;
        bool found = enter(node.body, pos);
        m_matchEnd = savedEnd;
        if (!found || node.negate)
            m_captures = std::move(saved);
        return found != node.negate;
    }

    bool loop(const Node& node, int pos) {
        const Node& body = m_nodes[std::size_t(node.body)];
        if (isSingle(body) && m_nodes[std::size_t(body.next)].type == Node::Type::LoopTail)
            return singleLoop(node, body, pos);
        auto slot = std::size_t(node.loop);
        int savedCount = m_loopCounts[slot], savedStart = m_loopStarts[slot];
        m_loopCounts[slot] = 0;
        m_loopStarts[slot] = -1;
        bool result = iterate(node, pos);
        m_loopCounts[slot] = savedCount;
        m_loopStarts[slot] = savedStart;
        return result;
    }

    bool singleLoop(const Node& node, const Node& body, int pos) {
        int count = 0;
        while (count < node.max && matchesOne(body, pos + count))
            ++count;
        m_steps += std::uint64_t(count);
        if (count < node.min)
            return false;
        if (node.greedy) {
            for (int n = count; n >= node.min; --n)
                if (enter(node.next, pos + n))
                    return true;
            return false;
        }
        for (int n = node.min; n <= count; ++n)
            if (enter(node.next, pos + n))
                return true;
        return false;
    }

    bool iterate(const Node& node, int pos) {
        auto slot = std::size_t(node.loop);
        int count = m_loopCounts[slot];
        bool mayStop = count >= node.min;
        bool mayGo = count < node.max;
        if (mayStop && !node.greedy && enter(node.next, pos))
            return true;
        if (mayGo) {
            int savedStart = m_loopStarts[slot];
            m_loopCounts[slot] = count + 1;
            m_loopStarts[slot] = pos;
            if (enter(node.body, pos))
                return true;
            m_loopCounts[slot] = count;
            m_loopStarts[slot] = savedStart;
        }
        return mayStop && node.greedy && enter(node.next, pos);
    }

    bool loopTail(const Node& tail, int pos) {
        const Node& node = m_nodes[std::size_t(tail.loop)];
        auto slot = std::size_t(node.loop);
        // An iteration that matched nothing ends the loop, or it would never end.
        if (pos == m_loopStarts[slot] && m_loopCounts[slot] > node.min)
            return false;
        int count = m_loopCounts[slot], start = m_loopStarts[slot];
        bool result = iterate(node, pos);
        m_loopCounts[slot] = count;
        m_loopStarts[slot] = start;
        return result;
    }

    const RegExpProgram& m_program;
    const std::vector<Node>& m_nodes;
    const std::u16string& m_text;
    std::vector<std::pair<int, int>> m_captures;
    std::vector<int> m_groupStarts;
    std::vector<int> m_loopCounts;
    std::vector<int> m_loopStarts;
    std::uint64_t m_steps = 0;
    int m_depth = 0;
    int m_matchEnd = 0;
    bool m_aborted = false;
};

bool RegExpProgram::search(const std::u16string& text, std::size_t start, RegExpCaptures& out,
                           std::uint64_t& steps) const {
    if (start > text.size())
        return false;
    RegExpMatcher matcher(*this, text);
    bool found = matcher.search(start, out);
    steps = matcher.steps();
    return found;
}

} // namespace vidorama::swf::avm2
