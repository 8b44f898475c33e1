// Turns a pattern into the node graph RegExpProgram matches with: first a tree
// of terms, then nodes built from the last term back, so each knows its next.

#include "avm2/RegExpProgram.h"
#include "avm2/Value.h"
#include "swf/Limits.h"

#include <limits>

namespace vidorama::swf::avm2 {

namespace {

using Node = RegExpProgram::Node;
using Ranges = std::vector<std::pair<char16_t, char16_t>>;

struct Term;
using Alternatives = std::vector<std::vector<Term>>;

struct Term {
    enum class Kind : std::uint8_t { Single, Group, LookAhead };
    Kind kind = Kind::Single;
    // A node matching one character or an assertion; its next is set later.
    Node node;
    int capture = -1;
    bool negate = false;
    Alternatives alternatives;
    int min = 1;
    int max = 1;
    bool greedy = true;
};

void AddClassEscape(char16_t c, Ranges& ranges) {
    static const Ranges kDigits = {{'0', '9'}};
    static const Ranges kWord = {{'0', '9'}, {'A', 'Z'}, {'_', '_'}, {'a', 'z'}};
    static const Ranges kSpace = {{'\t', '\r'}, {' ', ' '}, {0xa0, 0xa0}, {0x2028, 0x2029}};
    const Ranges& set = (c == 'd' || c == 'D') ? kDigits : (c == 'w' || c == 'W') ? kWord : kSpace;
    if (c >= 'a') {
        ranges.insert(ranges.end(), set.begin(), set.end());
        return;
    }
    // The complement of a sorted, disjoint set.
    char16_t from = 0;
    for (auto [lo, hi] : set) {
        if (lo > from)
            ranges.push_back({from, char16_t(lo - 1)});
        from = char16_t(hi + 1);
    }
    ranges.push_back({from, 0xffff});
}

bool IsClassEscape(char16_t c) {
    return c == 'd' || c == 'D' || c == 'w' || c == 'W' || c == 's' || c == 'S';
}

} // namespace

class RegExpParser {
public:
    RegExpParser(const std::u16string& pattern, RegExpProgram& program)
        : m_text(pattern), m_program(program) {}

    bool parse(std::string& error) {
        Alternatives top = alternatives(0);
        if (m_error.empty() && m_at < m_text.size())
            m_error = "unmatched )";
        if (!m_error.empty()) {
            error = m_error;
            return false;
        }
        int match = add(Node{});
        m_program.m_start = compile(top, match);
        return true;
    }

private:
    bool atEnd() { return m_at >= m_text.size(); }

    // The x flag lets a pattern be spread out with blanks and # comments.
    void skipExtended() {
        if (!m_program.m_flags.extended)
            return;
        while (!atEnd()) {
            char16_t c = m_text[m_at];
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
                ++m_at;
            } else if (c == '#') {
                while (!atEnd() && m_text[m_at] != '\n')
                    ++m_at;
            } else {
                break;
            }
        }
    }

    Alternatives alternatives(int depth) {
        Alternatives result(1);
        if (depth > Limits::kMaxRegExpNesting) {
            m_error = "groups nested too deep";
            return result;
        }
        while (m_error.empty()) {
            skipExtended();
            if (atEnd() || m_text[m_at] == ')')
                break;
            if (m_text[m_at] == '|') {
                ++m_at;
                result.emplace_back();
                continue;
            }
            term(depth, result.back());
        }
        return result;
    }

    void term(int depth, std::vector<Term>& sequence) {
        Term t;
        char16_t c = m_text[m_at++];
        switch (c) {
        case '^':
            t.node.type = Node::Type::LineStart;
            break;
        case '$':
            t.node.type = Node::Type::LineEnd;
            break;
        case '.':
            t.node.type = Node::Type::Any;
            break;
        case '(':
            group(depth, t);
            break;
        case '[':
            characterClass(t.node);
            break;
        case '\\':
            escape(t.node);
            break;
        case '*':
        case '+':
        case '?':
            m_error = "nothing to repeat";
            return;
        default:
            t.node.type = Node::Type::Char;
            t.node.ch = c;
            break;
        }
        skipExtended();
        quantifier(t);
        sequence.push_back(std::move(t));
    }

    void group(int depth, Term& t) {
        t.kind = Term::Kind::Group;
        if (m_text.compare(m_at, 2, u"?#") == 0) {
            // A comment: matches the empty string.
            std::size_t close = m_text.find(u')', m_at);
            if (close == std::u16string::npos) {
                m_error = "missing ) after comment";
                return;
            }
            m_at = close + 1;
            t.capture = -1;
            t.alternatives = Alternatives(1);
            return;
        }
        if (m_text.compare(m_at, 2, u"?:") == 0) {
            m_at += 2;
        } else if (m_text.compare(m_at, 2, u"?=") == 0 || m_text.compare(m_at, 2, u"?!") == 0) {
            t.kind = Term::Kind::LookAhead;
            t.negate = m_text[m_at + 1] == '!';
            m_at += 2;
        } else if (m_text.compare(m_at, 3, u"?P<") == 0) {
            m_at += 3;
            std::string name;
            while (!atEnd() && m_text[m_at] != '>')
                name += char(m_text[m_at++] & 0x7f);
            ++m_at;
            t.capture = int(++m_program.m_groupCount);
            m_program.m_names.push_back({name, t.capture});
        } else if (!atEnd() && m_text[m_at] == '?') {
            m_error = "unsupported group";
            return;
        } else {
            t.capture = int(++m_program.m_groupCount);
        }
        t.alternatives = alternatives(depth + 1);
        if (atEnd() || m_text[m_at] != ')') {
            if (m_error.empty())
                m_error = "missing )";
            return;
        }
        ++m_at;
    }

    // One character of a class or of an escape; -1 for a class escape.
    int escapedChar(bool inClass) {
        if (atEnd())
            return '\\';
        char16_t c = m_text[m_at++];
        switch (c) {
        case 'n':
            return '\n';
        case 'r':
            return '\r';
        case 't':
            return '\t';
        case 'f':
            return '\f';
        case 'v':
            return '\v';
        case 'b':
            return inClass ? '\b' : -1;
        case '0':
            return 0;
        case 'c':
            if (!atEnd())
                return m_text[m_at++] % 32;
            return 'c';
        case 'x':
        case 'u': {
            int digits = c == 'x' ? 2 : 4;
            int value = 0;
            for (int i = 0; i < digits; ++i) {
                int h = m_at + std::size_t(i) < m_text.size() ? DigitValue(m_text[m_at + i]) : -1;
                if (h < 0 || h > 15)
                    return c;
                value = value * 16 + h;
            }
            m_at += std::size_t(digits);
            return value;
        }
        default:
            return IsClassEscape(c) ? -1 : c;
        }
    }

    void escape(Node& node) {
        if (atEnd()) {
            node.type = Node::Type::Char;
            node.ch = '\\';
            return;
        }
        char16_t c = m_text[m_at];
        if (c == 'b' || c == 'B') {
            ++m_at;
            node.type = c == 'b' ? Node::Type::WordBoundary : Node::Type::NotWordBoundary;
        } else if (c >= '1' && c <= '9') {
            int group = 0;
            while (!atEnd() && m_text[m_at] >= '0' && m_text[m_at] <= '9' && group < 100)
                group = group * 10 + (m_text[m_at++] - '0');
            node.type = Node::Type::BackReference;
            node.group = group;
        } else if (IsClassEscape(c)) {
            ++m_at;
            node.type = Node::Type::Class;
            AddClassEscape(c, node.ranges);
        } else {
            node.type = Node::Type::Char;
            node.ch = char16_t(escapedChar(false));
        }
    }

    void characterClass(Node& node) {
        node.type = Node::Type::Class;
        if (!atEnd() && m_text[m_at] == '^') {
            node.negate = true;
            ++m_at;
        }
        bool first = true;
        while (!atEnd() && (m_text[m_at] != ']' || first)) {
            first = false;
            int lo = classChar(node.ranges);
            if (lo < 0)
                continue;
            if (m_at + 1 < m_text.size() && m_text[m_at] == '-' && m_text[m_at + 1] != ']') {
                ++m_at;
                int hi = classChar(node.ranges);
                if (hi < 0) {
                    node.ranges.push_back({char16_t(lo), char16_t(lo)});
                    node.ranges.push_back({'-', '-'});
                    continue;
                }
                if (hi < lo) {
                    m_error = "range out of order in character class";
                    return;
                }
                node.ranges.push_back({char16_t(lo), char16_t(hi)});
            } else {
                node.ranges.push_back({char16_t(lo), char16_t(lo)});
            }
        }
        if (atEnd()) {
            m_error = "missing terminating ] for character class";
            return;
        }
        ++m_at;
    }

    // A class member: its character, or -1 after adding a class escape.
    int classChar(Ranges& ranges) {
        char16_t c = m_text[m_at++];
        if (c != '\\')
            return c;
        if (!atEnd() && IsClassEscape(m_text[m_at])) {
            AddClassEscape(m_text[m_at++], ranges);
            return -1;
        }
        return escapedChar(true);
    }

    // Reads a decimal count; false when there is none.
    bool count(int& value) {
        std::size_t start = m_at;
        long long n = 0;
        while (!atEnd() && m_text[m_at] >= '0' && m_text[m_at] <= '9') {
            n = std::min<long long>(n * 10 + (m_text[m_at++] - '0'),
                                    std::numeric_limits<int>::max());
        }
        value = int(n);
        return m_at > start;
    }

    void quantifier(Term& t) {
        if (atEnd())
            return;
        char16_t c = m_text[m_at];
        if (c == '*' || c == '+' || c == '?') {
            ++m_at;
            t.min = c == '+' ? 1 : 0;
            t.max = c == '?' ? 1 : std::numeric_limits<int>::max();
        } else if (c == '{') {
            // A brace that does not open a count is an ordinary character.
            std::size_t start = m_at++;
            int min = 0, max = 0;
            bool ok = count(min);
            max = min;
            if (ok && !atEnd() && m_text[m_at] == ',') {
                ++m_at;
                if (!count(max))
                    max = std::numeric_limits<int>::max();
            }
            if (!ok || atEnd() || m_text[m_at] != '}') {
                m_at = start;
                return;
            }
            ++m_at;
            if (max < min) {
                m_error = "numbers out of order in {} quantifier";
                return;
            }
            t.min = min;
            t.max = max;
        } else {
            return;
        }
        if (!atEnd() && m_text[m_at] == '?') {
            ++m_at;
            t.greedy = false;
        }
    }

    int add(Node node) {
        m_program.m_nodes.push_back(std::move(node));
        return int(m_program.m_nodes.size() - 1);
    }

    int compile(Alternatives& alternatives, int next) {
        if (alternatives.size() == 1)
            return compileSequence(alternatives[0], next);
        Node node;
        node.type = Node::Type::Alternative;
        for (auto& sequence : alternatives)
            node.branches.push_back(compileSequence(sequence, next));
        return add(std::move(node));
    }

    int compileSequence(std::vector<Term>& sequence, int next) {
        for (auto it = sequence.rbegin(); it != sequence.rend(); ++it)
            next = compileTerm(*it, next);
        return next;
    }

    int compileTerm(Term& t, int next) {
        if (t.min == 1 && t.max == 1)
            return compileAtom(t, next);
        Node loop;
        loop.type = Node::Type::Loop;
        loop.min = t.min;
        loop.max = t.max;
        loop.greedy = t.greedy;
        loop.next = next;
        loop.loop = int(m_program.m_loopCount++);
        int loopIndex = add(std::move(loop));
        Node tail;
        tail.type = Node::Type::LoopTail;
        tail.loop = loopIndex;
        int body = compileAtom(t, add(std::move(tail)));
        m_program.m_nodes[std::size_t(loopIndex)].body = body;
        return loopIndex;
    }

    int compileAtom(Term& t, int next) {
        switch (t.kind) {
        case Term::Kind::Single:
            t.node.next = next;
            return add(std::move(t.node));
        case Term::Kind::LookAhead: {
            Node look;
            look.type = Node::Type::LookAhead;
            look.negate = t.negate;
            look.next = next;
            look.body = compile(t.alternatives, add(Node{}));
            return add(std::move(look));
        }
        case Term::Kind::Group:
            break;
        }
        if (t.capture < 0)
            return compile(t.alternatives, next);
        Node end;
        end.type = Node::Type::GroupEnd;
        end.group = t.capture;
        end.next = next;
        Node start;
        start.type = Node::Type::GroupStart;
        start.group = t.capture;
        start.next = compile(t.alternatives, add(std::move(end)));
        return add(std::move(start));
    }

    const std::u16string& m_text;
    RegExpProgram& m_program;
    std::size_t m_at = 0;
    std::string m_error;
};

std::shared_ptr<const RegExpProgram> RegExpProgram::compile(const std::u16string& pattern,
                                                            const RegExpFlags& flags,
                                                            std::string& error) {
    auto program = std::make_shared<RegExpProgram>();
    program->m_flags = flags;
    RegExpParser parser(pattern, *program);
    if (!parser.parse(error))
        return nullptr;
    return program;
}

} // namespace vidorama::swf::avm2
