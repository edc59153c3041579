// Byte vectors of compressed records, compression information, SCSU and
// vardecimal values with their decoded values, read from the corpus folder.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "records/compressed_layout.h"
#include "records/compression_info.h"
#include "testing/record_builder.h"
#include "storage/page_header.h"
#include "testing/corpus.h"
#include "testing/json_value.h"
#include "testing/row_texts.h"
#include "values/compressed_row.h"
#include "values/compressed_value.h"
#include "values/vardecimal.h"

namespace tessaril {
namespace {

using testing::Bytes;
using testing::JsonValue;

std::vector<JsonValue> Vectors(const std::vector<std::string>& kinds) {
  const auto dir = testing::CorpusDir();
  if (!dir) return {};
  std::ifstream in(*dir / "vectors" / "vectors.json");
  std::stringstream text;
  text << in.rdbuf();
  const std::optional<JsonValue> doc = testing::ParseJson(text.str());
  std::vector<JsonValue> out;
  if (!doc) return out;
  for (const JsonValue& v : doc->items) {
    const JsonValue* kind = v.Find("kind");
    for (const std::string& k : kinds) {
      if (kind != nullptr && kind->text == k) out.push_back(v);
    }
  }
  return out;
}

// A column of the type a vector names ("int", "datetime2(3)", "decimal(_, 3) ...").
ColumnDef ColumnOf(const std::string& type, std::int32_t ordinal) {
  struct Named {
    const char* prefix;
    const char* typeText;
    std::int32_t code;
  };
  static constexpr Named kTypes[] = {
      {"tinyint", "tinyint(1)", 14},
      {"smallint", "smallint(2)", 13},
      {"int", "int(4)", 9},
      {"bigint", "bigint(8)", 0},
      {"datetime2", "datetime2(8)", 7},
      {"datetime", "datetime(8)", 4},
      {"date", "date(3)", 5},
      {"real", "real(4)", 28},
      {"float", "float(8)", 22},
      {"smalldatetime", "smalldatetime(4)", 27},
      {"rowversion", "timestamp(8)", 30},
      {"char(2000)", "char(2000)", 3},
      {"varchar", "varchar(8000)", 17},
      {"nvarchar", "nvarchar(8000)", 11},
      {"decimal", "decimal(38)", 24},
  };
  ColumnDef c;
  for (const Named& n : kTypes) {
    if (type.rfind(n.prefix, 0) == 0) {
      c = MakeColumnDef("c", n.typeText, n.code);
      break;
    }
  }
  c.columnId = c.physicalOrdinal = ordinal;
  c.isInRowset = true;
  c.isNullable = true;
  const std::size_t open = type.find('(');
  if (c.typeCode == 7) c.scale = static_cast<std::uint8_t>(std::stoi(type.substr(open + 1)));
  if (c.typeCode == 24) {
    c.precision = 38;
    c.scale = static_cast<std::uint8_t>(std::stoi(type.substr(type.find(',') + 1)));
  }
  return c;
}

// The vectors write some values shorter than this program does: "1.0" for a
// real of 1, "-1" for a decimal(_, 3), a smalldatetime without its seconds.
bool SameValue(std::string ours, std::string stated) {
  const auto trim = [](std::string& s) {
    if (s.find('.') == std::string::npos || s.find(' ') != std::string::npos) return;
    s.erase(s.find_last_not_of('0') + 1);
    if (!s.empty() && s.back() == '.') s.pop_back();
  };
  trim(ours);
  trim(stated);
  return ours == stated || ours == stated + ":00";
}

// Values a vector states in words rather than as text.
std::string Expected(const std::string& id, const std::string& column, const JsonValue& value) {
  if (id == "rc-iv-longdata" && column == "FixedTextField") return "Row 1" + std::string(1995, ' ');
  return value.kind == JsonValue::Kind::kNull ? "NULL" : value.AsText();
}

TEST(CompressionVectors, RecordsDecodeToTheirStatedValues) {
  TESSARIL_REQUIRE_CORPUS();
  const std::vector<JsonValue> vectors = Vectors({"row_compressed_record"});
  if (vectors.empty()) GTEST_SKIP() << "no compressed record vectors in the corpus";
  TextDecoding text(nullptr, {});
  Bytes emptyPage(kPageSize, 0);
  const CPage_Header header(emptyPage);
  for (const JsonValue& v : vectors) {
    const std::string id = v.Find("id")->text;
    const Bytes bytes = testing::Hex(v.Find("hex")->text);
    const PageContext context{ByteView(bytes.data(), bytes.size()), &header, nullptr};
    const auto record = DecodeCompressedRecord(context, 0, bytes.size(), {});
    ASSERT_FALSE(record->isInvalid) << id;
    std::vector<ColumnDef> columns;
    const JsonValue& types = *v.Find("types");
    for (std::size_t i = 0; i < types.items.size(); ++i) {
      columns.push_back(ColumnOf(types.items[i].text, static_cast<std::int32_t>(i + 1)));
    }
    const std::vector<std::string> texts =
        testing::ShownTexts(RenderCompressedRecord(*record, {}, columns, text, {}, nullptr));
    const auto& decoded = v.Find("decoded")->members;
    ASSERT_EQ(decoded.size(), columns.size()) << id;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const std::string expected = Expected(id, decoded[c].first, decoded[c].second);
      EXPECT_TRUE(SameValue(texts[c], expected))
          << id << " " << decoded[c].first << ": " << texts[c] << " vs " << expected;
    }
  }
}

TEST(CompressionVectors, ValuesDecodeToTheirStatedText) {
  TESSARIL_REQUIRE_CORPUS();
  const std::vector<JsonValue> vectors =
      Vectors({"row_compressed_value", "scsu_nvarchar", "vardecimal"});
  if (vectors.empty()) GTEST_SKIP() << "no value vectors in the corpus";
  TextDecoding text(nullptr, {});
  for (const JsonValue& v : vectors) {
    const Bytes bytes = testing::Hex(v.Find("hex")->text);
    const ColumnDef column = ColumnOf(v.Find("types")->items.at(0).text, 1);
    const std::string ours =
        CompressedValueText(ByteView(bytes.data(), bytes.size()), column, text);
    EXPECT_TRUE(SameValue(ours, v.Find("decoded")->text))
        << v.Find("id")->text << ": " << ours << " vs " << v.Find("decoded")->text;
  }
}

// The compression information of a real page: anchor values and dictionary.
TEST(CompressionVectors, CompressionInformationMatchesItsDump) {
  TESSARIL_REQUIRE_CORPUS();
  for (const JsonValue& v : Vectors({"page_compression_ci"})) {
    const std::string id = v.Find("id")->text;
    if (id != "ci-iv-anchor-dict") continue;
    const JsonValue& decoded = *v.Find("decoded");
    Bytes page(kPageSize, 0);
    page[1] = 1;
    page[2] = kCompressionInfoFlag;
    const Bytes ci = testing::Hex(v.Find("hex")->text);
    std::copy(ci.begin(), ci.end(), page.begin() + kPageHeaderSize);
    const CPage_Header header(page);
    const CompressionInfo info =
        ReadCompressionInfo({ByteView(page.data(), page.size()), &header, nullptr}, {});
    const JsonValue& anchor = *decoded.Find("anchor");
    ASSERT_EQ(info.anchorValues.size(), anchor.Find("CD")->items.size()) << id;
    for (std::size_t i = 0; i < info.anchorValues.size(); ++i) {
      const JsonValue& stated = *anchor.Find("col" + std::to_string(i + 1));
      const Bytes expected =
          stated.kind == JsonValue::Kind::kNull ? Bytes{} : testing::Hex(stated.text);
      EXPECT_EQ(info.anchorValues[i].bytes, expected) << id << " col" << i + 1;
      EXPECT_EQ(std::to_string(info.anchorValues[i].code), anchor.Find("CD")->items[i].text);
    }
    const JsonValue& dictionary = *decoded.Find("dictionary");
    ASSERT_EQ(std::to_string(info.dictionary.size()), dictionary.Find("entry_count")->text);
    for (const char* entry : {"entry0", "entry72", "entry104", "entry112"}) {
      const std::size_t index = std::stoul(std::string(entry).substr(5));
      EXPECT_EQ(info.dictionary[index], testing::Hex(dictionary.Find(entry)->text)) << entry;
    }
  }
}

}  // namespace
}  // namespace tessaril
