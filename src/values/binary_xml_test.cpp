#include "values/binary_xml.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "testing/corpus.h"
#include "values/binary_xml_test_doc.h"

namespace tessaril {
namespace {

using namespace testing;  // the document writer

struct Case {
  std::string what;
  Bytes bytes;
  std::string text;
};

void ExpectComplete(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    const BinaryXmlText decoded = DecodeBinaryXml(View(c.bytes));
    EXPECT_EQ(decoded.text, c.text) << c.what;
    EXPECT_TRUE(decoded.complete) << c.what;
  }
}

TEST(BinaryXml, WritesTheDocumentStructureAsXmlText) {
  ExpectComplete({
      {"nested elements and attributes",
       Doc({Open("root"), Attr("id"), Str("7"), Attr("empty"), EndAttrs(), Open("x"), Str("hi"),
            End(), Open("y"), Attr("n"), Str("2"), EndAttrs(), Open("z"), Str("deep"), End(), End(),
            End()}),
       "<root id=\"7\" empty=\"\"><x>hi</x><y n=\"2\"><z>deep</z></y></root>"},
      {"declared prefixes and a default namespace",
       Doc({Open("p:a", "urn:p"), Xmlns("p", "urn:p"), EndAttrs(), Open("p:b", "urn:p"),
            Attr("p:x", "urn:p"), Str("1"), EndAttrs(), End(), Open("c", "urn:d"),
            Xmlns("", "urn:d"), EndAttrs(), Open("d", "urn:d"), End(), End(), End()}),
       "<p:a xmlns:p=\"urn:p\"><p:b p:x=\"1\"/><c xmlns=\"urn:d\"><d/></c></p:a>"},
      {"namespaces the stream did not declare",
       Doc({Open("q:a", "urn:q"), Attr("r:x", "urn:r"), Str("1"), EndAttrs(), Open("b", "urn:d"),
            Open("c"), End(), End(), End()}),
       "<q:a r:x=\"1\" xmlns:q=\"urn:q\" xmlns:r=\"urn:r\">"
       "<b xmlns=\"urn:d\"><c xmlns=\"\"/></b></q:a>"},
      {"a qualified-name value",
       Doc({Open("p:a", "urn:p"), Xmlns("p", "urn:p"), EndAttrs(), QNameValue("p:item", "urn:p"),
            End()}),
       "<p:a xmlns:p=\"urn:p\">p:item</p:a>"},
      {"characters that need escapes",
       Doc({Open("t"), Attr("a"), Str("say \"x\" & <y>\tz\n"), EndAttrs(),
            Str("a < b & c > d \"q\"\r\n"), End()}),
       "<t a=\"say &quot;x&quot; &amp; &lt;y&gt;&#x9;z&#xA;\">"
       "a &lt; b &amp; c &gt; d \"q\"&#xD;\n</t>"},
      {"text beyond ASCII",
       Doc({Open("t"), Attr("w"), Str("Ü"), EndAttrs(), Str("日本 Ü 😀"), End()}),
       "<t w=\"Ü\">日本 Ü 😀</t>"},
      {"a CDATA section in two pieces, with ]]> inside",
       Doc({Open("c"), CDataPiece("<x> & ]]"), CDataPiece("> y"), Raw({0xF1}), End()}),
       "<c><![CDATA[<x> & ]]]]><![CDATA[> y]]></c>"},
      {"comment and processing instructions",
       Doc({Comment(" note "), Pi("target", "some data"), Pi("bare", ""), Open("r"), End()}),
       "<!-- note --><?target some data?><?bare?><r/>"},
      {"empty elements: written empty, with an empty string, with attributes",
       Doc({Open("r"), Open("e"), End(), Open("f"), Str(""), End(), Open("g"), Attr("a"), Str("1"),
            EndAttrs(), End(), End()}),
       "<r><e/><f></f><g a=\"1\"/></r>"},
      {"extension blocks and a flush between tokens",
       Doc({Open("r"), Ext({1, 2, 3}), Attr("a"), Ext({}), Str("v"), EndAttrs(), Flush(), Open("s"),
            Str("t"), End(), End()}),
       "<r a=\"v\"><s>t</s></r>"},
      {"xml declaration and document type",
       Doc({Utf16("1.0", {0xFE}), Utf16("utf-8", {0xFD}), Raw({0x01}), Utf16("r", {0xFC}),
            Utf16("r.dtd", {0xFB}), Open("r"), End()}),
       "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>"
       "<!DOCTYPE r SYSTEM \"r.dtd\"><r/>"},
      // Inside: its own header, then name 1 "n", qualified name 1 n, <n/>.
      {"a nested document with its own header and names",
       Doc({Open("r"), Raw(Hex("ecdfff01b004f0016e00ef000001f801f7eb")), Open("r"), End(), End()}),
       "<r><n/><r/></r>"},
  });
}

TEST(BinaryXml, ShowsTypedValuesInTheirXmlForm) {
  const auto value = [](const Bytes& token) { return Doc({Open("v"), Raw(token), End()}, 2); };
  const Bytes magnitude314 = Le(31400000000, 8) + Le(0, 8);  // 3.14 at scale 10
  ExpectComplete({
      {"int", value(Bytes{0x02} + Le(-42, 4)), "<v>-42</v>"},
      {"smallint", value(Bytes{0x01} + Le(-300, 2)), "<v>-300</v>"},
      {"bigint", value(Bytes{0x08} + Le(-9000000000, 8)), "<v>-9000000000</v>"},
      {"tinyint", value({0x07, 0xFF}), "<v>255</v>"},
      {"xsd byte", value({0x88, 0xFF}), "<v>-1</v>"},
      {"xsd unsignedLong", value(Bytes{0x8B} + Le(-1, 8)), "<v>18446744073709551615</v>"},
      {"bit", value({0x06, 0x01}), "<v>1</v>"},
      {"boolean", value({0x86, 0x00}), "<v>false</v>"},
      {"decimal(10,2)", value(Bytes{0x0A, 7, 10, 2, 1} + Le(12345, 4)), "<v>123.45</v>"},
      {"negative numeric keeps its scale", value(Bytes{0x0B, 7, 9, 4, 0} + Le(1200000, 4)),
       "<v>-120.0000</v>"},
      {"xsd decimal drops trailing zeros", value(Bytes{0x87, 19, 38, 10, 1} + magnitude314),
       "<v>3.14</v>"},
      {"money", value(Bytes{0x05} + Le(1234500, 8)), "<v>123.45</v>"},
      {"money, four decimals", value(Bytes{0x05} + Le(-1234567, 8)), "<v>-123.4567</v>"},
      {"smallmoney", value(Bytes{0x14} + Le(10000, 4)), "<v>1.00</v>"},
      {"float", value(Bytes{0x04} + Hex("000000000000f83f")), "<v>1.5</v>"},
      {"float infinity", value(Bytes{0x04} + Hex("000000000000f0ff")), "<v>-INF</v>"},
      {"real", value(Bytes{0x03} + Hex("0000803e")), "<v>0.25</v>"},
      {"uniqueidentifier", value(Bytes{0x09} + Hex("000102030405060708090a0b0c0d0e0f")),
       "<v>03020100-0504-0706-0809-0A0B0C0D0E0F</v>"},
      {"varbinary as base64", value(Bytes{0x0F, 3} + Hex("616263")), "<v>YWJj</v>"},
      {"binary as base64, padded", value(Bytes{0x0C, 4} + Hex("61626364")), "<v>YWJjZA==</v>"},
      {"binhex", value({0x84, 2, 0xAB, 0x01}), "<v>AB01</v>"},
      {"varchar in its own code page", value(Bytes{0x10, 7} + Le(1252, 4) + Hex("48e980")),
       "<v>H\u00e9\u20ac</v>"},
      {"datetime", value(Bytes{0x12} + Le(43830, 4) + Le(3313537, 4)),
       "<v>2020-01-02T03:04:05.123</v>"},
      {"datetime on the second", value(Bytes{0x12} + Le(43830, 4) + Le(3313500, 4)),
       "<v>2020-01-02T03:04:05</v>"},
      {"smalldatetime", value(Bytes{0x13} + Le(43830, 2) + Le(184, 2)),
       "<v>2020-01-02T03:04:00</v>"},
      {"date", value(Bytes{0x7F} + Le(737425, 3)), "<v>2020-01-02</v>"},
      {"datetime2(7)", value(Bytes{0x7E, 7} + Le(110451234500, 5) + Le(737425, 3)),
       "<v>2020-01-02T03:04:05.12345</v>"},
      {"time(3)", value(Bytes{0x7D, 3} + Le(11045123, 4) + Le(0, 3)), "<v>03:04:05.123</v>"},
      {"datetimeoffset: UTC stored, local shown",
       value(Bytes{0x7B, 0} + Le(84600, 3) + Le(737424, 3) + Le(120, 2)),
       "<v>2020-01-02T01:30:00+02:00</v>"},
      {"datetimeoffset at UTC", value(Bytes{0x7B, 0} + Le(84600, 3) + Le(737424, 3) + Le(0, 2)),
       "<v>2020-01-01T23:30:00Z</v>"},
      {"date with zone", value(Bytes{0x7C, 0} + Le(84600, 3) + Le(737424, 3) + Le(120, 2)),
       "<v>2020-01-02+02:00</v>"},
      {"time with zone", value(Bytes{0x7A, 0} + Le(84600, 3) + Le(737424, 3) + Le(-60, 2)),
       "<v>22:30:00-01:00</v>"},
      {"xsd dateTime", value(Bytes{0x82} + Le(0x57d5a41f3d40c, 8)),
       "<v>2020-01-02T03:04:05.123Z</v>"},
      {"xsd time", value(Bytes{0x81} + Le(0x2a22220, 8)), "<v>03:04:05Z</v>"},
      // The zone is kept as the shift back to UTC: -120 steps is two hours east.
      {"xsd date with zone", value(Bytes{0x83} + Le(0x73ed0cfb0, 8)), "<v>2020-01-02+02:00</v>"},
      {"xsd date at UTC", value(Bytes{0x83} + Le(0x73ed0d190, 8)), "<v>2020-01-02Z</v>"},
      {"a list of typed values", value(Bytes{0x02} + Le(1, 4) + Bytes{0x02} + Le(2, 4)),
       "<v>1 2</v>"},
  });
}

TEST(BinaryXml, DamagedStreamsGivePartialTextNeverACrash) {
  const Bytes whole = Doc({Open("root"), Attr("a"), Str("one"), EndAttrs(), Open("b"), Str("hello"),
                           End(), Comment("c"), End()});
  const std::vector<Case> cases = {
      // Cut short: what was read stays, a string keeps the units that are there,
      // and the open elements are closed.
      {"cut after an attribute's name", Doc({Open("root"), Attr("a")}), "<root a=\"\"></root>"},
      {"cut inside an attribute's value", Doc({Open("root"), Attr("a"), Raw({0x11, 3, 'o', 0})}),
       "<root a=\"o\"></root>"},
      {"cut inside character data",
       Doc({Open("root"), Attr("a"), Str("one"), EndAttrs(), Open("b"),
            Raw({0x11, 5, 'h', 0, 'e', 0, 'l', 0})}),
       "<root a=\"one\"><b>hel</b></root>"},
      // Wrong tokens: decoding stops there.
      {"an undefined name", Doc({Open("r"), Raw({0xF8, 0x09}), End()}), "<r></r>"},
      {"an end without a start", Doc({Open("r"), End(), End()}), "<r/>"},
      {"a 2008 date token in a version 1 stream", Doc({Open("r"), Raw({0x7F, 1, 0, 0}), End()}),
       "<r></r>"},
      {"an unknown token", Doc({Open("r"), Str("a"), Raw({0x40})}), "<r>a</r>"},
      {"a length past the end", Doc({Open("r"), Raw({0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0x07})}),
       "<r></r>"},
      {"a count with too many bytes",
       Doc({Open("r"), Raw({0x11, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01})}), "<r></r>"},
  };
  for (const Case& c : cases) {
    const BinaryXmlText decoded = DecodeBinaryXml(View(c.bytes));
    EXPECT_EQ(decoded.text, c.text) << c.what;
    EXPECT_FALSE(decoded.complete) << c.what;
  }
  // Every cut of the stream decodes to something no longer than the whole;
  // only a cut before the first element can pass for a complete document.
  const std::string full = BinaryXmlToText(View(whole));
  EXPECT_EQ(full, "<root a=\"one\"><b>hello</b><!--c--></root>");
  for (std::size_t size = 0; size < whole.size(); ++size) {
    const BinaryXmlText cut = DecodeBinaryXml(ByteView(whole.data(), size));
    EXPECT_TRUE(!cut.complete || cut.text.empty()) << size;
    EXPECT_LE(cut.text.size(), full.size() + 7) << size;  // at most a cut "</root>" more
  }
}

TEST(BinaryXml, OnlyTheBinaryXmlHeaderIsRead) {
  const Bytes body = Doc({Open("r"), End()});
  const auto withHeader = [&](const Bytes& header) {
    return header + Bytes(body.begin() + 5, body.end());
  };
  EXPECT_EQ(BinaryXmlToText(View(withHeader(Hex("dfff01b004")))), "<r/>");
  for (const char* header : {"dffe01b004", "fffd01b004", "dfff03b004", "dfff01e904", "dfff01"}) {
    EXPECT_EQ(BinaryXmlToText(View(withHeader(Hex(header)))), "") << header;
  }
  EXPECT_EQ(BinaryXmlToText(ByteView()), "");
  EXPECT_EQ(BinaryXmlToText(View(Hex("3c723e3c2f723e"))), "");  // "<r></r>" as plain text
}

TEST(BinaryXml, NestingIsCappedAt256Levels) {
  const auto nested = [](std::size_t depth) {
    std::vector<Token> tokens(depth, Open("e"));
    tokens.resize(2 * depth, End());
    return Doc(tokens);
  };
  std::string open;
  std::string close;
  for (int i = 0; i < 255; ++i) {
    open += "<e>";
    close += "</e>";
  }
  const BinaryXmlText atCap = DecodeBinaryXml(View(nested(256)));
  EXPECT_TRUE(atCap.complete);
  EXPECT_EQ(atCap.text, open + "<e/>" + close);
  const BinaryXmlText overCap = DecodeBinaryXml(View(nested(1000)));
  EXPECT_FALSE(overCap.complete);
  EXPECT_EQ(overCap.text, open + "<e></e>" + close);
}

// A JSON string value after "key": in one vector's text, escapes resolved.
std::string JsonField(const std::string& object, const std::string& key) {
  const std::size_t at = object.find("\"" + key + "\":");
  if (at == std::string::npos) return {};
  std::size_t i = object.find('"', at + key.size() + 3);
  std::string value;
  while (i != std::string::npos && ++i < object.size() && object[i] != '"') {
    if (object[i] != '\\' || i + 1 >= object.size()) {
      value += object[i];
      continue;
    }
    const char escaped = object[++i];
    if (escaped == 'u' && i + 4 < object.size()) {
      AppendUtf8(value, static_cast<char32_t>(std::stoi(object.substr(i + 1, 4), nullptr, 16)));
      i += 4;
    } else {
      value += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
    }
  }
  return value;
}

TEST(BinaryXml, MatchesTheBinaryXmlVectors) {
  // All eight are marked real: captured from SQL Server, untyped xml in
  // version 1 and xml-typed-v2 from a schema-bound column in version 2.
  // xml-cdata holds no CDATA token: SQL Server keeps a section's content as
  // ordinary character data, and the decoded text escapes it as such.
  const std::set<std::string> vectorIds = {"xml-simple", "xml-attrs",   "xml-empty",
                                           "xml-repeat", "xml-escape",  "xml-attresc",
                                           "xml-cdata",  "xml-typed-v2"};
  TESSARIL_REQUIRE_CORPUS();
  const auto path = *testing::CorpusDir() / "vectors" / "vectors.json";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "no " << path;
  const Bytes file = testing::ReadWholeFile(path);
  const std::string json(file.begin(), file.end());
  std::set<std::string> seen;
  const std::string idKey = "\"id\":";
  for (std::size_t at = json.find(idKey); at != std::string::npos;) {
    const std::size_t next = json.find(idKey, at + 1);
    const std::string object = json.substr(at, next == std::string::npos ? next : next - at);
    at = next;
    if (JsonField(object, "kind") != "binary_xml") continue;
    const std::string id = JsonField(object, "id");
    const BinaryXmlText decoded = DecodeBinaryXml(View(Hex(JsonField(object, "hex"))));
    EXPECT_EQ(decoded.text, JsonField(object, "decoded")) << id;
    EXPECT_TRUE(decoded.complete) << id;
    seen.insert(id);
  }
  EXPECT_EQ(seen, vectorIds);
}

}  // namespace
}  // namespace tessaril
