// The ActionScript 3 regular expression engine and the calendar arithmetic
// of Date, on their own: Flash's dialect, and hostile patterns that must end
// quickly with "no match" instead of hanging or overflowing the stack.

#include "avm1/Utf16Text.h"
#include "avm2/DateMath.h"
#include "avm2/RegExpProgram.h"
#include "avm2/StringCase.h"
#include "swf/Limits.h"

#include <chrono>
#include <cmath>
#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

using swf::avm2::RegExpCaptures;
using swf::avm2::RegExpFlags;
using swf::avm2::RegExpProgram;

// The groups of the first match as text ("-" for a group that took no
// part), or "no match".
std::string Find(const std::string& pattern, const std::string& text, RegExpFlags flags = {},
                 std::size_t start = 0) {
    std::string error;
    auto program = RegExpProgram::compile(swf::avm1::ToUtf16(pattern), flags, error);
    if (!program)
        return "error: " + error;
    std::u16string subject = swf::avm1::ToUtf16(text);
    RegExpCaptures captures;
    std::uint64_t steps = 0;
    if (!program->search(subject, start, captures, steps))
        return "no match";
    std::string out;
    for (std::size_t i = 0; i < captures.groups.size(); ++i) {
        if (i)
            out += "|";
        auto [from, to] = captures.groups[i];
        out +=
            from < 0
                ? "-"
                : swf::avm1::FromUtf16(subject.substr(std::size_t(from), std::size_t(to - from)));
    }
    return out;
}

TEST(Avm2RegExp, MatchesPerlLikePatternsAsFlashDoes) {
    EXPECT_EQ(Find("\\d+", "abc123def"), "123");
    EXPECT_EQ(Find("(a+)(b)?", "caaad"), "aaa|aaa|-");
    EXPECT_EQ(Find("a.*?b", "axxbyyb"), "axxb");
    EXPECT_EQ(Find("a.*b", "axxbyyb"), "axxbyyb");
    EXPECT_EQ(Find("^(\\w+)\\s(\\w+)$", "hello world"), "hello world|hello|world");
    EXPECT_EQ(Find("(\\w)\\1", "abccd"), "cc|c");
    EXPECT_EQ(Find("x(?=y)", "xzxy"), "x");
    EXPECT_EQ(Find("x(?!y)y?", "xyxz"), "x");
    EXPECT_EQ(Find("[^a-c]+", "abcdefabc"), "def");
    EXPECT_EQ(Find("a{2,3}", "aaaa"), "aaa");
    EXPECT_EQ(Find("a{2,}?", "aaaa"), "aa");
    EXPECT_EQ(Find("a{,2}", "a{,2}"), "a{,2}");
    EXPECT_EQ(Find("\\bfoo\\b", "afoo foo"), "foo");
    EXPECT_EQ(Find("cat|dog", "hotdog"), "dog");
    EXPECT_EQ(Find("\\u0041\\x42", "zAB"), "AB");
    EXPECT_EQ(Find("(?P<year>\\d{4})-(?P<month>\\d\\d)", "on 2006-04"), "2006-04|2006|04");
}

TEST(Avm2RegExp, FlagsChangeCaseLinesDotsAndBlanks) {
    RegExpFlags ignoreCase;
    ignoreCase.ignoreCase = true;
    EXPECT_EQ(Find("ABC", "xabc", ignoreCase), "abc");
    EXPECT_EQ(Find("[A-C]+", "xabcd", ignoreCase), "abc");
    EXPECT_EQ(Find("a.b", "a\nb"), "no match");
    RegExpFlags dotAll;
    dotAll.dotAll = true;
    EXPECT_EQ(Find("a.b", "a\nb", dotAll), "a\nb");
    EXPECT_EQ(Find("^bar", "foo\nbar"), "no match");
    RegExpFlags multiline;
    multiline.multiline = true;
    EXPECT_EQ(Find("^bar$", "foo\nbar\nbaz", multiline), "bar");
    RegExpFlags extended;
    extended.extended = true;
    EXPECT_EQ(Find("(?#comment) a b # the rest\n c", "xabc", extended), "abc");
}

TEST(Avm2RegExp, BrokenPatternsAreRefusedWithAReason) {
    EXPECT_EQ(Find("(ab", "ab").rfind("error:", 0), 0u);
    EXPECT_EQ(Find("ab)", "ab").rfind("error:", 0), 0u);
    EXPECT_EQ(Find("*a", "a").rfind("error:", 0), 0u);
    EXPECT_EQ(Find("[z-a]", "a").rfind("error:", 0), 0u);
    EXPECT_EQ(Find("[abc", "a").rfind("error:", 0), 0u);
    std::string deep(std::size_t(swf::Limits::kMaxRegExpNesting + 8), '(');
    deep += "a" + std::string(std::size_t(swf::Limits::kMaxRegExpNesting + 8), ')');
    EXPECT_EQ(Find(deep, "a").rfind("error:", 0), 0u);
}

TEST(Avm2RegExp, HostilePatternsEndQuicklyWithoutMatching) {
    auto begin = std::chrono::steady_clock::now();
    // Exponential backtracking in a naive engine.
    EXPECT_EQ(Find("(a*)*b", std::string(40, 'a')), "no match");
    EXPECT_EQ(Find("(a|aa)+c", std::string(60, 'a')), "no match");
    // Each iteration of a group costs depth: a long subject reaches the
    // depth limit instead of the end of the stack.
    std::string longText(200000, 'a');
    EXPECT_EQ(Find("(a|b)*c", longText), "no match");
    // Runs of single characters are matched without recursion.
    EXPECT_EQ(Find("a*", longText).size(), longText.size());
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    EXPECT_LT(seconds, 30.0);
}

// Case mapping goes one UTF-16 unit at a time, by the tables of the Unicode
// version Flash was built with.
TEST(Avm2StringCase, MapsUnitByUnitAsFlashsTablesDo) {
    auto upper = [](const std::u16string& s) {
        return swf::avm2::FlashUpperCase(s);
    };
    auto lower = [](const std::u16string& s) {
        return swf::avm2::FlashLowerCase(s);
    };
    EXPECT_EQ(upper(u"teST\U0001F60B \u00e9\u00ff"), u"TEST\U0001F60B \u00c9\u0178");
    EXPECT_EQ(lower(u"\u00c9\u0130\u0178"), u"\u00e9i\u00ff");
    // Simple mappings only: what would grow to two characters keeps one.
    EXPECT_EQ(upper(u"\u00df\u1f80"), u"\u00df\u1f88");
    // Georgian capitals lower to Mkhedruli; final and lunate sigma as Flash
    // had them; the micro sign has no capital.
    EXPECT_EQ(lower(u"\u10a0\u10c5"), u"\u10d0\u10f5");
    EXPECT_EQ(upper(u"\u03c2\u03f2\u00b5"), u"\u03a2\u03a3\u00b5");
    EXPECT_EQ(lower(u"\u03a2\u03a3"), u"\u03c2\u03c3");
    // A lone surrogate passes unchanged.
    EXPECT_EQ(upper(std::u16string(1, char16_t(0xd801))), std::u16string(1, char16_t(0xd801)));
}

TEST(Avm2DateMath, FieldsAndTimeValuesRoundTrip) {
    using namespace swf::avm2;
    // 1999-06-12 03:00:00 UTC, a Saturday.
    DateFields f = SplitTime(929156400000.0);
    EXPECT_EQ(f.year, 1999);
    EXPECT_EQ(f.month, 5);
    EXPECT_EQ(f.date, 12);
    EXPECT_EQ(f.hours, 3);
    EXPECT_EQ(WeekDay(929156400000.0), 6);
    EXPECT_EQ(MakeTime(f), 929156400000.0);
    // Fields out of range carry over: month 12 is January of the next year,
    // day 0 the last of the month before.
    DateFields carry{1999, 12, 0, 0, 0, 0, 0};
    DateFields carried = SplitTime(MakeTime(carry));
    EXPECT_EQ(carried.year, 1999);
    EXPECT_EQ(carried.month, 11);
    EXPECT_EQ(carried.date, 31);
    // Before 1970 and leap days.
    DateFields leap = SplitTime(MakeTime({1904, 1, 29, 12, 0, 0, 0}));
    EXPECT_EQ(leap.month, 1);
    EXPECT_EQ(leap.date, 29);
    EXPECT_TRUE(std::isnan(TimeClip(8.64e15 + 1)));
    EXPECT_EQ(DateText(929156400000.0), "Sat Jun 12 03:00:00 GMT+0000 1999");
    EXPECT_EQ(DateUtcText(929156400000.0), "Sat Jun 12 03:00:00 1999 UTC");
}

TEST(Avm2DateMath, ParsesTheFormatsFlashReads) {
    using namespace swf::avm2;
    EXPECT_EQ(ParseDate("Wed Apr 12 15:30:17 2006 GMT-0700"),
              MakeTime({2006, 3, 12, 22, 30, 17, 0}));
    EXPECT_EQ(ParseDate("Apr/03/1988 15:30:17"), MakeTime({1988, 3, 3, 15, 30, 17, 0}));
    EXPECT_EQ(ParseDate("04/03/1988"), MakeTime({1988, 3, 3, 0, 0, 0, 0}));
    EXPECT_EQ(ParseDate("Sat Apr 30 77"), MakeTime({1977, 3, 30, 0, 0, 0, 0}));
    EXPECT_TRUE(std::isnan(ParseDate("12")));
    EXPECT_TRUE(std::isnan(ParseDate("Sat Jan 30 random 77")));
    EXPECT_TRUE(std::isnan(ParseDate("Sat Jan 30 77 GMT-0700 GMT-0800")));
    // Numbers too large for a double are no date, and no failure.
    EXPECT_TRUE(std::isnan(ParseDate("Jan 1 " + std::string(400, '9'))));
    EXPECT_TRUE(std::isnan(ParseDate(std::string(400, '9') + ":00 Jan 1 2000")));
}

} // namespace
} // namespace vidorama::test
