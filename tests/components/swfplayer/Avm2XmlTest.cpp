// ActionScript 3 XML on blocks assembled by hand: parsing and printing as
// Flash does, E4X queries and assignment, and hostile markup that must end
// in Flash's errors instead of exhausting the stack.

#include "movie/Movie.h"
#include "player/Player.h"
#include "swf/AbcWriter.h"
#include "swf/Limits.h"
#include "swf/SwfWriter.h"

#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

enum Op : std::uint8_t {
    kPushString = 0x2c,
    kPushScope = 0x30,
    kReturnVoid = 0x47,
    kCallProperty = 0x46,
    kCallPropVoid = 0x4f,
    kConstructProp = 0x4a,
    kGetDescendants = 0x59,
    kFindPropStrict = 0x5d,
    kSetProperty = 0x61,
    kGetLocal = 0x62,
    kSetLocal = 0x63,
    kGetProperty = 0x66,
    kGetLocal0 = 0xd0,
};

struct Played {
    std::string traced;
    std::vector<std::string> missing;
};

// A script that parses markup into local 1 and traces what the steps
// written by body() leave on the stack, one trace per step.
class XmlScript {
public:
    AbcWriter abc;
    AbcCode code;

    explicit XmlScript(const std::string& markup) {
        code.op(kGetLocal0).op(kPushScope);
        code.op(kFindPropStrict).u30(abc.qname("XML"));
        code.op(kPushString).u30(abc.string(markup));
        code.op(kConstructProp).u30(abc.qname("XML")).u30(1);
        code.op(kSetLocal).u30(1);
    }
    void trace(const std::function<void()>& value) {
        code.op(kFindPropStrict).u30(abc.qname("trace"));
        value();
        code.op(kCallPropVoid).u30(abc.qname("trace")).u30(1);
    }
    void xml() { code.op(kGetLocal).u30(1); }
    void call(const std::string& method, std::uint32_t args = 0) {
        code.op(kCallProperty).u30(abc.qname(method)).u30(args);
    }
    void get(std::uint32_t name) { code.op(kGetProperty).u30(name); }
    void string(const std::string& s) { code.op(kPushString).u30(abc.string(s)); }

    Played play() {
        code.op(kReturnVoid);
        abc.script(abc.method(code, 0, 3));
        MovieWriter writer;
        writer.tag(tags::FileAttributes(true));
        writer.frame({tags::DoAbc(abc.bytes())});
        auto movie = swf::Movie::load(writer.bytes());
        EXPECT_TRUE(movie.ok());
        Played played;
        swf::Player player(movie.value(),
                           [&](const std::string& line) { played.traced += line + "\n"; });
        played.missing = player.scriptFeaturesMissing();
        return played;
    }
};

bool Mentions(const std::vector<std::string>& missing, const std::string& text) {
    for (const std::string& line : missing)
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

TEST(Avm2Xml, MarkupPrintsBackAsFlashPrettyPrintsIt) {
    XmlScript s("<?xml version='1.0'?><!DOCTYPE a [<!ELEMENT a ANY>]>"
                "<a x='1&amp;2' y=\"q&quot;\"> <b>  text  </b><!--gone--><?gone too?>"
                "<c><![CDATA[<raw>]]></c><d/>&#65;&unknown;</a>");
    s.trace([&] {
        s.xml();
        s.call("toXMLString");
    });
    EXPECT_EQ(s.play().traced, "<a x=\"1&amp;2\" y=\"q&quot;\">\n"
                               "  <b>text</b>\n"
                               "  <c><![CDATA[<raw>]]></c>\n"
                               "  <d/>\n"
                               "  A&amp;unknown;\n"
                               "</a>\n");
}

TEST(Avm2Xml, QueriesFindChildrenAttributesAndDescendants) {
    XmlScript s("<r id='7'><i n='1'><i n='2'/></i><j>x</j><i n='3'>y</i></r>");
    s.trace([&] {
        s.xml();
        s.get(s.abc.qname("i"));
        s.call("length");
    });
    s.trace([&] {
        s.xml();
        s.get(s.abc.attributeName("id"));
    });
    s.trace([&] {
        s.xml();
        s.code.op(kGetDescendants).u30(s.abc.attributeName("n"));
    });
    s.trace([&] {
        s.xml();
        s.get(s.abc.qname("j"));
    });
    s.trace([&] {
        s.xml();
        s.string("i");
        s.call("elements", 1);
        s.call("length");
    });
    EXPECT_EQ(s.play().traced, "2\n7\n123\nx\n2\n");
}

TEST(Avm2Xml, AssignmentMakesReplacesAndDeclaresWhatIsNeeded) {
    XmlScript s("<p:a xmlns:p='urn:p'><p:b/><c>old</c><c>dup</c></p:a>");
    s.xml();
    s.string("new");
    s.code.op(kSetProperty).u30(s.abc.qname("c"));
    s.xml();
    s.string("v");
    s.code.op(kSetProperty).u30(s.abc.attributeName("at"));
    s.xml();
    s.string("made");
    s.code.op(kSetProperty).u30(s.abc.qname("e"));
    s.trace([&] {
        s.xml();
        s.call("toXMLString");
    });
    // A child printed alone declares the namespace its name needs.
    s.trace([&] {
        s.xml();
        s.call("children");
        s.get(s.abc.qname("0"));
        s.call("toXMLString");
    });
    EXPECT_EQ(s.play().traced, "<p:a at=\"v\" xmlns:p=\"urn:p\">\n"
                               "  <p:b/>\n"
                               "  <c>new</c>\n"
                               "  <e>made</e>\n"
                               "</p:a>\n"
                               "<p:b xmlns:p=\"urn:p\"/>\n");
}

TEST(Avm2Xml, BrokenMarkupEndsInFlashsErrors) {
    const std::pair<std::string, std::string> cases[] = {
        {"<a><b></a>", "Error #1085: The element type \"b\" must be terminated"},
        {"<a/><b/>", "Error #1088"},
        {"<a x='1' x='2'/>", "Error #1104"},
        {"<!-- open", "Error #1094"},
        {"<a x='1", "Error #1095"},
        {"<p:a/>", "Error #1083"},
    };
    for (const auto& [markup, error] : cases) {
        XmlScript s(markup);
        Played played = s.play();
        // Uncaught, so the log has it too, from where it was thrown.
        EXPECT_NE(played.traced.find(error), std::string::npos) << markup;
        EXPECT_NE(played.traced.find("\tat global$init()"), std::string::npos) << markup;
        EXPECT_TRUE(Mentions(played.missing, error)) << markup;
    }
}

TEST(Avm2Xml, HostileNestingAndCyclesAreRefused) {
    std::string deep;
    for (int i = 0; i <= swf::Limits::kMaxXmlDepth; ++i)
        deep += "<a>";
    XmlScript nested(deep);
    EXPECT_TRUE(Mentions(nested.play().missing, "Error #1090"));

    // A node appended into its own subtree would make the tree a loop.
    XmlScript cycle("<a><b/></a>");
    cycle.xml();
    cycle.get(cycle.abc.qname("b"));
    cycle.xml();
    cycle.call("appendChild", 1);
    EXPECT_TRUE(Mentions(cycle.play().missing, "Error #1118"));
}

} // namespace
} // namespace vidorama::test
