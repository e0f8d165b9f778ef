#include "model/XmlDoc.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace {

// The document a writer builds: names with blanks, values needing escapes, empty elements,
// nesting, attributes.
CXmlDoc BuildSample() {
    CXmlDoc doc;
    const bool built = doc.AddElem("vuzovez") && doc.IntoElem() &&
                       doc.AddElem("Preference File", "/home/a b/referenceFile.xml") &&
                       doc.AddElem("Working Path", "x < y & \"z\" 'w' > v") && doc.AddElem("Empty") &&
                       doc.AddElem("slideshow") && doc.AddChildElem("name", "  padded  ") && doc.IntoElem() &&
                       doc.AddElem("TRANSITION_SETTING") && doc.SetAttrib("NAME", "Cube \"fly\" <'&'>") &&
                       doc.IntoElem() && doc.AddElem("param1", "3") && doc.OutOfElem() &&
                       doc.AddElem("unicode", "Zoë 日本 \xF0\x9F\x98\x80") && doc.OutOfElem() && doc.OutOfElem();
    EXPECT_TRUE(built);
    return doc;
}

// From inside "slideshow": its children in order, attribute and nesting included.
void ExpectSlideshowChildren(CXmlDoc& doc) {
    ASSERT_TRUE(doc.FindElem("name"));
    EXPECT_EQ(doc.GetData(), "  padded  ");
    ASSERT_TRUE(doc.FindElem("TRANSITION_SETTING"));
    EXPECT_EQ(doc.GetAttrib("NAME"), "Cube \"fly\" <'&'>");
    ASSERT_TRUE(doc.IntoElem() && doc.FindElem("param1"));
    EXPECT_EQ(doc.GetData(), "3");
    ASSERT_TRUE(doc.OutOfElem() && doc.FindElem("unicode"));
    EXPECT_EQ(doc.GetData(), "Zoë 日本 \xF0\x9F\x98\x80");
    EXPECT_FALSE(doc.FindElem());
}

} // namespace

TEST(XmlDocTest, WriterFormAndRoundTrip) {
    CXmlDoc doc = BuildSample();
    const std::string text = doc.GetDoc();
    EXPECT_EQ(text.rfind("<vuzovez>\r\n<Preference File>", 0), 0u) << text;
    EXPECT_NE(text.find("<Working Path>x &lt; y &amp; \"z\" 'w' &gt; v</Working Path>\r\n"), std::string::npos);
    EXPECT_NE(text.find("<Empty/>\r\n"), std::string::npos);
    EXPECT_NE(text.find("<TRANSITION_SETTING NAME=\"Cube &quot;fly&quot; &lt;&apos;&amp;&apos;&gt;\">\r\n"),
              std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 12), "</vuzovez>\r\n");
    // One element per line, CR LF only, no indentation.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(text.begin(), text.end(), '\r'));
    for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        EXPECT_EQ(text[at], '<') << at;
    // The index kept while writing points at the right text.
    ASSERT_TRUE(doc.IntoElem());
    EXPECT_EQ(doc.GetTagName(), "slideshow");
    ASSERT_TRUE(doc.IntoElem());
    ExpectSlideshowChildren(doc);
    // And a fresh parse of the text reads every value back.
    CXmlDoc parsed;
    ASSERT_TRUE(parsed.SetDoc(text)) << parsed.GetError();
    ASSERT_TRUE(parsed.FindElem("vuzovez") && parsed.IntoElem() && parsed.FindElem("Preference File"));
    EXPECT_EQ(parsed.GetTagName(), "Preference");
    EXPECT_EQ(parsed.GetData(), "/home/a b/referenceFile.xml");
    ASSERT_TRUE(parsed.FindElem("Working Path"));
    EXPECT_EQ(parsed.GetData(), "x < y & \"z\" 'w' > v");
    ASSERT_TRUE(parsed.FindElem("Empty"));
    EXPECT_EQ(parsed.GetData(), "");
    ASSERT_TRUE(parsed.FindElem("slideshow"));
    EXPECT_EQ(parsed.GetData(), ""); // has children
    ASSERT_TRUE(parsed.IntoElem());
    ExpectSlideshowChildren(parsed);
}

TEST(XmlDocTest, EmptyDocumentAndRootRules) {
    CXmlDoc doc;
    EXPECT_FALSE(doc.SetDoc(""));
    EXPECT_FALSE(doc.SetDoc(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(doc.IsWellFormed());
    EXPECT_FALSE(doc.AddChildElem("x"));
    EXPECT_TRUE(doc.AddElem("root"));
    EXPECT_EQ(doc.GetDoc(), "<root/>\r\n");
    EXPECT_FALSE(doc.AddElem("second"));
    // Children of an empty root: the root's end tag gets a line of its own.
    EXPECT_TRUE(doc.AddChildElem("a", "1"));
    EXPECT_EQ(doc.GetDoc(), "<root>\r\n<a>1</a>\r\n</root>\r\n");
    EXPECT_TRUE(doc.AddChildElem("b"));
    EXPECT_EQ(doc.GetDoc(), "<root>\r\n<a>1</a>\r\n<b/>\r\n</root>\r\n");
    // Attributes on empty and non-empty elements, replaced in place.
    EXPECT_TRUE(doc.IntoElem());
    EXPECT_TRUE(doc.SetAttrib("k", "v"));
    EXPECT_TRUE(doc.SetAttrib("k", "longer value"));
    EXPECT_EQ(doc.GetDoc(), "<root>\r\n<a>1</a>\r\n<b k=\"longer value\"/>\r\n</root>\r\n");
    EXPECT_FALSE(doc.SetAttrib("", "v"));
    EXPECT_FALSE(doc.SetAttrib("two words", "v"));
    // Names that would not parse back as the same element are refused.
    for (const char* bad : {"", "a<b", "a>b", "a&b", "a\"b", "a'b", "a/b"}) EXPECT_FALSE(doc.AddElem(bad)) << bad;
    CXmlDoc parsed;
    ASSERT_TRUE(parsed.SetDoc(doc.GetDoc()));
    ASSERT_TRUE(parsed.FindElem("root") && parsed.IntoElem() && parsed.FindElem("b"));
    EXPECT_EQ(parsed.GetAttrib("k"), "longer value");
}

TEST(XmlDocTest, ReadingRules) {
    CXmlDoc doc;
    ASSERT_TRUE(doc.SetDoc("<?xml version=\"1.0\"?>\n<!-- note -->\n<!DOCTYPE r [ <!ENTITY x \"y\"> ]>\n"
                           "<r a='1' b=2 c = \"&lt;3&gt;\">\n"
                           "  <c>  <![CDATA[ <raw> &amp; ]]>  </c>\n"
                           "  <d>&bogus; & &amp;lt; &#65;</d>\n"
                           "  <!-- between --><e>one</e><e>two</e>\n"
                           "</r> trailing junk <<<"))
        << doc.GetError();
    ASSERT_TRUE(doc.FindElem("r"));
    EXPECT_EQ(doc.GetAttrib("a"), "1");
    EXPECT_EQ(doc.GetAttrib("b"), "");  // unquoted values are not found
    EXPECT_EQ(doc.GetAttrib("c"), "<3>");
    EXPECT_EQ(doc.GetAttrib("missing"), "");
    ASSERT_TRUE(doc.IntoElem());
    ASSERT_TRUE(doc.FindElem("c"));
    EXPECT_EQ(doc.GetData(), " <raw> &amp; ");
    ASSERT_TRUE(doc.FindElem("d"));
    EXPECT_EQ(doc.GetData(), "&bogus; & &lt; &#65;");
    // A failed search keeps the current element.
    EXPECT_FALSE(doc.FindElem("nothing"));
    EXPECT_EQ(doc.GetData(), "&bogus; & &lt; &#65;");
    ASSERT_TRUE(doc.FindElem("e"));
    EXPECT_EQ(doc.GetData(), "one");
    ASSERT_TRUE(doc.FindElem("e"));
    EXPECT_EQ(doc.GetData(), "two");
    EXPECT_TRUE(doc.OutOfElem());
    EXPECT_FALSE(doc.OutOfElem());
    // Names match by their first word.
    ASSERT_TRUE(doc.SetDoc("<Working Path>w</Working Path>"));
    EXPECT_TRUE(doc.FindElem("Working Path"));
    EXPECT_EQ(doc.GetData(), "w");
    ASSERT_TRUE(doc.SetDoc("<Working Path>w</Working Path>"));
    EXPECT_FALSE(doc.FindElem("Work"));
    EXPECT_FALSE(doc.FindElem("WorkingPath"));
    // Child search walks the current element's children, then IntoElem enters the one found.
    ASSERT_TRUE(doc.SetDoc("<r><a>1</a><b>2</b><a>3</a></r>"));
    ASSERT_TRUE(doc.FindChildElem("a") && doc.FindChildElem("a"));
    EXPECT_EQ(doc.GetTagName(), "r");
    EXPECT_FALSE(doc.FindChildElem("a"));
    ASSERT_TRUE(doc.IntoElem());
    EXPECT_EQ(doc.GetData(), "3");
}

TEST(XmlDocTest, ParseErrorsGiveTheirTexts) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"no tags at all", "Element tag not found"},
        {"<r><a>1</a>", "Element tag not found"},
        {"<", "Abrupt end within tag"},
        {"<r>   <   ", "Abrupt end within tag"},
        {"<\"r\">", "Tag starts with quote"},
        {"<!-- never closed <r/>", "Invalid node"},
        // A blank between '<' and '!' or '?' is no node; these once made the parser spin forever.
        {"<\r!DOCTYPE x><r/>", "Invalid node"},
        {"< ?xml?><r/>", "Invalid node"},
        {"<r", "End of tag not found"},
        {"<r>text", "Element tag not found"},
        {"<r><a>1</a><", "Abrupt end within tag"},
        {"<r>1</a>", "End tag does not correspond to r"},
        {"<r>1</r", "End tag not completed for element r"},
        {"<r>1</", "End tag not completed for element r"},
    };
    for (const auto& c : cases) {
        CXmlDoc doc;
        EXPECT_FALSE(doc.SetDoc(c.text)) << c.text;
        EXPECT_EQ(doc.GetError(), c.error) << c.text;
        EXPECT_FALSE(doc.IsWellFormed());
        EXPECT_FALSE(doc.FindElem());
        EXPECT_EQ(doc.GetDoc(), c.text);  // the text stays
    }
    CXmlDoc doc;
    ASSERT_TRUE(doc.SetDoc("<r/>"));
    EXPECT_TRUE(doc.GetError().empty());
}

TEST(XmlDocTest, NestingDepthIsCapped) {
    auto nested = [](int depth) {
        std::string s;
        for (int i = 0; i < depth; ++i) s += "<e>";
        s += "x";
        for (int i = 0; i < depth; ++i) s += "</e>";
        return s;
    };
    CXmlDoc doc;
    EXPECT_TRUE(doc.SetDoc(nested(CXmlDoc::kMaxDepth))) << doc.GetError();
    EXPECT_FALSE(doc.SetDoc(nested(CXmlDoc::kMaxDepth + 1)));
    EXPECT_FALSE(doc.GetError().empty());
    std::string deep;
    for (int i = 0; i < 200000; ++i) deep += "<a>";
    EXPECT_FALSE(doc.SetDoc(deep));
    EXPECT_FALSE(doc.GetError().empty());
}

TEST(XmlDocTest, UnclosedAttributeQuoteStaysInsideTheTag) {
    CXmlDoc doc;
    ASSERT_TRUE(doc.SetDoc("<r a=\"open><c>\"x\"</c></r>"));
    ASSERT_TRUE(doc.FindElem("r"));
    EXPECT_EQ(doc.GetAttrib("a"), "");
    // Setting it adds a fresh attribute instead of splicing into the content.
    EXPECT_TRUE(doc.SetAttrib("a", "v"));
    CXmlDoc again;
    EXPECT_TRUE(again.SetDoc(doc.GetDoc())) << doc.GetDoc();
}

TEST(XmlDocTest, FilesReadUtf16AndAreReplacedWholeOrNotAtAll) {
    TempDir dir;
    std::string utf16 = "\xFF\xFE";
    for (char16_t c : std::u16string(u"<r><n>Zoë</n></r>")) (utf16 += static_cast<char>(c & 0xFF)) += static_cast<char>(c >> 8);
    const std::string path = dir.File("p.prg");
    WriteFileBytes(path, utf16);
    std::string text;
    uint64_t bytes = 0;
    ASSERT_TRUE(CXmlDoc::ReadTextFile(path, text, &bytes));
    EXPECT_EQ(bytes, utf16.size());
    EXPECT_EQ(text, "<r><n>Zoë</n></r>");
    EXPECT_FALSE(CXmlDoc::ReadTextFile(dir.File("missing.xml"), text));

    ASSERT_TRUE(CXmlDoc::WriteTextFile(path, BuildSample().GetDoc()));
    EXPECT_EQ(ReadFileBytes(path), BuildSample().GetDoc());
    EXPECT_FALSE(CXmlDoc::WriteTextFile(dir.File("no/such/folder/p.prg"), "x"));
    // A target that cannot be replaced stays as it was, and no temporary file is left behind.
    std::filesystem::create_directory(dir.File("taken"));
    WriteFileBytes(dir.File("taken/inside"), "keep");
    EXPECT_FALSE(CXmlDoc::WriteTextFile(dir.File("taken"), "x"));
    EXPECT_EQ(ReadFileBytes(dir.File("taken/inside")), "keep");
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) (void)e, ++entries;
    EXPECT_EQ(entries, 2);
}

TEST(XmlDocTest, CopyKeepsPositionButNotError) {
    CXmlDoc bad;
    EXPECT_FALSE(bad.SetDoc("<r>"));
    CXmlDoc doc = BuildSample();
    ASSERT_TRUE(doc.IntoElem() && doc.IntoElem() && doc.FindElem("name"));
    bad = doc;
    EXPECT_EQ(bad.GetData(), "  padded  ");
    EXPECT_EQ(bad.GetError(), "Element tag not found");
}
