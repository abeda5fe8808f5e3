// The help file format: the shipped file reads whole, damaged ones are refused with
// the line at fault, and what reaches the window is escaped.
#include <gtest/gtest.h>

#include "product/tessaly/HelpFile.h"
#include "tests/support/TempMachine.h"

using namespace tessaly;

namespace {

const std::string kShipped = TESSALY_SOURCE_DIR "/tessaly.hlp";

TEST(HelpFile, TheShippedFileReadsWithEveryLinkLeadingSomewhere)
{
    HelpDocument doc;
    std::string error;
    ASSERT_TRUE(LoadHelpFile(kShipped, doc, error)) << error;
    EXPECT_EQ(doc.Title, "Tessaly v1.1 Help");
    ASSERT_GE(doc.Topics.size(), 5u);
    EXPECT_EQ(doc.Topics[0].Id, "contents");
    int links = 0;
    for (const HelpTopic& t : doc.Topics)
        for (const HelpBlock& b : t.Blocks)
            for (const HelpSpan& s : b.Spans)
                if (!s.Link.empty()) {
                    ++links;
                    EXPECT_NE(doc.Find(s.Link), nullptr) << s.Link;
                }
    EXPECT_GE(links, 5);
    // Written for the target system: CR LF throughout.
    const std::string bytes = testsupport::ReadHostFile(kShipped);
    for (size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n') {
            ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at " << i;
        }
}

TEST(HelpFile, ParagraphsItemsAndLinks)
{
    HelpDocument doc;
    std::string error;
    ASSERT_TRUE(ParseHelp("TESSALY HELP 1\ntitle: T\nauthor: ignored\n\n== a: First\none\ntwo {b: to B}\n\n"
                          "- item {a: self}\n- next\nthird\n== b: Second\n",
                          doc, error))
        << error;
    ASSERT_EQ(doc.Topics.size(), 2u);
    const HelpTopic& a = doc.Topics[0];
    ASSERT_EQ(a.Blocks.size(), 4u);
    EXPECT_FALSE(a.Blocks[0].Item);
    EXPECT_EQ(a.Blocks[0].Spans.back().Link, "b");
    EXPECT_EQ(a.Blocks[0].Spans.back().Text, "to B");
    EXPECT_TRUE(a.Blocks[1].Item);
    EXPECT_TRUE(a.Blocks[2].Item);
    EXPECT_FALSE(a.Blocks[3].Item) << "a line after an item starts a paragraph";
    EXPECT_TRUE(doc.Topics[1].Blocks.empty());
    const std::string html = TopicHtml(a);
    EXPECT_NE(html.find("<p>one two <a href=\"topic:b\">to B</a></p>"), std::string::npos) << html;
    EXPECT_NE(html.find("<ul>\n<li>item"), std::string::npos) << html;
}

TEST(HelpFile, RefusesDamageNamingTheLine)
{
    struct Case {
        const char* what;
        std::string bytes;
        std::string error;
    };
    const std::string head = "TESSALY HELP 1\r\ntitle: T\r\n\r\n";
    const Case cases[] = {
        {"empty", "", "line 0: the file is empty."},
        {"other file", "MZ\x90\0", "line 1: this is not a Tessaly help file."},
        {"later format", "TESSALY HELP 2\r\n", "line 1: the file is of a later format"},
        {"no title", "TESSALY HELP 1\r\n== a: A\r\n", "line 2: the header has no title."},
        {"no topics", head, "the file has no topics."},
        {"text before topics", head + "stray\r\n", "line 4: text before the first topic."},
        {"bad id", head + "== A B: x\r\n", "line 4: a topic id may hold only"},
        {"no topic title", head + "== a:\r\n", "line 4: the topic has no title."},
        {"twice", head + "== a: A\r\n== a: B\r\n", "line 5: the topic \"a\" is there twice."},
        {"open link", head + "== a: A\r\nsee {a: here\r\n", "line 5: a link is not closed."},
        {"stray brace", head + "== a: A\r\nsee } here\r\n", "line 5: a '}' without its '{'."},
        {"link to nowhere", head + "== a: A\r\nsee {b: B}\r\n", "line 5: a link to the topic \"b\""},
        {"binary", head + "== a: A\r\nx\x01y\r\n", "line 5: the file holds characters that are not text."},
        {"lone CR", head + "== a: A\rx\r\n", "line 4: the file holds characters"},
        {"long line", head + "== a: A\r\n" + std::string(kMaxHelpLine + 1, 'x'), "line 5: the line is too long."},
        {"too large", std::string(kMaxHelpFileSize + 1, 'x'), "the file is larger than a help file can be."},
    };
    for (const Case& c : cases) {
        HelpDocument doc;
        std::string error;
        EXPECT_FALSE(ParseHelp(c.bytes, doc, error)) << c.what;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.what << ": " << error;
    }
}

TEST(HelpFile, EveryCutOfTheShippedFileIsReadOrRefused)
{
    const std::string bytes = testsupport::ReadHostFile(kShipped);
    for (size_t n = 0; n < bytes.size(); n += 7) {
        HelpDocument doc;
        std::string error;
        if (!ParseHelp(bytes.substr(0, n), doc, error)) {
            EXPECT_FALSE(error.empty()) << n;
        }
    }
}

TEST(HelpFile, TextReachesTheWindowEscaped)
{
    HelpDocument doc;
    std::string error;
    ASSERT_TRUE(ParseHelp("TESSALY HELP 1\ntitle: <T>\n== a: <b>x</b>\n<script>&amp; \"q\" \xE9 {a: <i>}\n", doc, error))
        << error;
    const std::string html = TopicHtml(doc.Topics[0]);
    EXPECT_EQ(html.find("<script>"), std::string::npos);
    EXPECT_EQ(html.find("<b>"), std::string::npos);
    EXPECT_NE(html.find("&lt;script&gt;&amp;amp; &quot;q&quot; \xC3\xA9"), std::string::npos) << html;
    EXPECT_NE(html.find(">&lt;i&gt;</a>"), std::string::npos) << html;
}

}  // namespace
