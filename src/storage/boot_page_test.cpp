#include "storage/boot_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/unicode.h"
#include "storage/database_file.h"
#include "testing/test_files.h"
#include "testing/corpus.h"

namespace tessaril {
namespace {

using testing::MakeFile;
using testing::PageFields;

// The database information fields of a built boot page.
struct BootFields {
  std::uint16_t formatVersion = 782;
  std::u16string name;
  std::uint32_t nameLength = 0;  // the stored byte length; 0 leaves it out
  char16_t padding = u'\u2020';  // fills the rest of the 128-unit field
  std::uint32_t collationId = 872468488;

  BootFields& Version(std::uint16_t v) { return formatVersion = v, *this; }
  BootFields& Name(std::u16string n) { return name = std::move(n), *this; }
  BootFields& Length(std::uint32_t n) { return nameLength = n, *this; }
  BootFields& Padding(char16_t c) { return padding = c, *this; }
  BootFields& Collation(std::uint32_t id) { return collationId = id, *this; }
};

void Put16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value) {
  bytes.at(offset) = static_cast<std::uint8_t>(value);
  bytes.at(offset + 1) = static_cast<std::uint8_t>(value >> 8);
}

// Writes the fields into the 8192-byte page that starts at base.
void WriteBootFields(std::vector<std::uint8_t>& bytes, std::size_t base, const BootFields& f) {
  bytes.at(base + 1) = 13;  // boot page type
  Put16(bytes, base + 100, f.formatVersion);
  for (std::size_t i = 0; i < 128; ++i) {
    Put16(bytes, base + 148 + 2 * i, i < f.name.size() ? f.name[i] : f.padding);
  }
  testing::SetU32(bytes, base + 404, f.nameLength);
  testing::SetU32(bytes, base + 488, f.collationId);
}

CBootPage DecodeBuilt(const BootFields& f) {
  std::vector<std::uint8_t> page(kPageSize, 0);
  WriteBootFields(page, 0, f);
  return CBootPage(ByteView(page));
}

TEST(BootPage, VersionNames) {
  struct Case {
    std::uint32_t formatVersion;
    const char* name;
  };
  const std::vector<Case> cases = {
      {408, " SQL Server 6.5"},
      {515, " SQL Server 7.0"},
      {539, " SQL Server 2000"},
      {611, " SQL Server 2005"},
      {612, " SQL Server 2005 SP2+ with VarDecimal enabled"},
      {655, " SQL Server 2008"},
      {660, " SQL Server 2008 R2"},
      {661, " SQL Server 2008 R2"},
      {684, " SQL Server 2012 CTP1"},
      {706, " SQL Server 2012"},
      {782, " SQL Server 2014"},
      {852, " SQL Server 2016"},
      {868, " SQL Server 2017"},
      {869, " SQL Server 2017"},
      {904, " SQL Server 2019"},
      {957, " SQL Server 2022"},
      {958, " SQL Server 2022"},
      {998, " SQL Server 2025"},
      {851, " SQL Server 2014 to 2016 (format version 851)"},
      {665, " SQL Server 2008 R2 to 2012 (format version 665)"},
      {870, " SQL Server 2017 to 2019 (format version 870)"},
      {1234, " SQL Server 2025 or later (format version 1234)"},
      {407, "Unknown SQL Version"},
      {0, "Unknown SQL Version"},
  };
  for (const Case& c : cases) EXPECT_EQ(VersionName(c.formatVersion), c.name) << c.formatVersion;
}

TEST(BootPage, TwoKilobytePageFormatsAreUnsupported) {
  const std::vector<std::pair<std::uint16_t, bool>> cases = {
      {408, true}, {406, true}, {514, true}, {515, false}, {539, false}, {957, false}, {0, false}};
  for (const auto& [version, unsupported] : cases) {
    EXPECT_EQ(DecodeBuilt(BootFields().Version(version)).unsupportedPageSize(), unsupported)
        << version;
  }
}

TEST(BootPage, DatabaseNames) {
  std::u16string fullField(128, u'x');
  fullField.back() = u'y';
  struct Case {
    const char* what;
    BootFields fields;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"inner blank kept", BootFields().Name(u"Sales DB").Length(16), "Sales DB"},
      {"inner blank, no length", BootFields().Name(u"Sales DB"), "Sales DB"},
      {"blank padding", BootFields().Name(u"Sales DB").Padding(u' '), "Sales DB"},
      {"zero padding", BootFields().Name(u"model").Padding(u'\0'), "model"},
      {"non-ASCII", BootFields().Name(u"Größe_データ").Length(18), "Größe_データ"},
      {"length bounds the name", BootFields().Name(u"NorthwindXYZ").Length(18), "Northwind"},
      {"odd length ignored", BootFields().Name(u"Sales DB").Length(17), "Sales DB"},
      {"oversized length ignored", BootFields().Name(u"Sales DB").Length(300), "Sales DB"},
      {"first U+0000 ends it", BootFields().Name(std::u16string(u"AB\0CD", 5)).Length(10), "AB"},
      {"all 128 units", BootFields().Name(fullField).Length(256), Utf16ToUtf8(fullField)},
      {"blank name", BootFields().Name(u"   ").Length(6), ""},
      {"blank field", BootFields().Padding(u' '), ""},
      {"empty field", BootFields().Padding(u'\0'), ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeBuilt(c.fields).databaseName, c.expected) << c.what;
  }
}

TEST(BootPage, FieldsComeFromTheirOffsets) {
  const CBootPage boot = DecodeBuilt(BootFields().Version(869).Collation(0xC4000C29));
  EXPECT_EQ(boot.formatVersion, 869);
  EXPECT_EQ(boot.versionName(), " SQL Server 2017");
  EXPECT_EQ(boot.collationId, static_cast<std::int32_t>(0xC4000C29));  // stored signed
  const CBootPage empty(ByteView{});
  EXPECT_EQ(empty.formatVersion, 0);
  EXPECT_EQ(empty.databaseName, "");
}

// A 30-page file of system pages of object 34 (which no rule looks at), with
// the given pages placed, and a boot page naming its own position at every
// position, so the name read shows where the boot page was taken from.
struct LocateCase {
  const char* what;
  std::vector<std::pair<std::size_t, PageFields>> placed;
  std::optional<std::int32_t> expected;
};

TEST(BootPage, LocatedByTheShiftOfTheFirstAllocationUnitPage) {
  const std::vector<LocateCase> cases = {
      {"no probe pages", {}, 9},
      {"object 7 at 20 states 21", {{20, {1, 7, 0, 1, 21}}}, 8},
      {"object 7 unshifted", {{20, {1, 7, 0, 1, 20}}}, 9},
      {"first page of object 7 decides", {{12, {1, 7, 0, 1, 10}}, {20, {1, 7, 0, 1, 21}}}, 11},
      {"object 41 when 7 is absent", {{20, {1, 41, 1, 1, 17}}}, 12},
      {"object 7 before 41", {{20, {1, 7, 0, 1, 21}}, {21, {1, 41, 1, 1, 30}}}, 8},
      {"unreadable header means no shift", {{0, {1, 7, 0, 1, 5}}}, 9},
      {"boot position 0", {{20, {1, 7, 0, 1, 29}}}, std::nullopt},
      {"last page of the file", {{20, {1, 7, 0, 1, 0}}}, 29},
      {"boot position at the page count", {{20, {1, 7, 0, 1, -1}}}, std::nullopt},
  };
  testing::TempDir dir;
  for (const LocateCase& c : cases) {
    std::vector<PageFields> pages(30, PageFields{1, 34, 0});
    for (std::size_t i = 0; i < pages.size(); ++i)
      pages[i].pageNumber = static_cast<std::int32_t>(i);
    for (const auto& [position, fields] : c.placed) pages[position] = fields;
    std::vector<std::uint8_t> bytes = MakeFile(pages, true);
    for (std::size_t i = 1; i < pages.size(); ++i) {
      if (pages[i].objectId != 34) continue;
      WriteBootFields(bytes, i * kPageSize,
                      BootFields().Name(Utf8ToUtf16("at " + std::to_string(i))));
    }
    const auto path = (dir.path() / "boot.mdf").string();
    testing::WriteWholeFile(path, bytes);
    NullProgress progress;
    StopFlag stop;
    auto db = DatabaseFile::Open(path, false, progress, stop);
    ASSERT_TRUE(db.ok()) << c.what << ": " << db.error();
    const std::optional<PageId> location = LocateBootPage(**db);
    const std::optional<CBootPage> boot = ReadBootPage(**db);
    if (!c.expected) {
      EXPECT_FALSE(location) << c.what;
      EXPECT_FALSE(boot) << c.what;
      continue;
    }
    EXPECT_EQ(location, (PageId{1, *c.expected})) << c.what;
    ASSERT_TRUE(boot) << c.what;
    EXPECT_EQ(boot->databaseName, "at " + std::to_string(*c.expected)) << c.what;
  }
}

// The collation_id column of the corpus manifest ("0x3400D008 (872468488)"),
// by folder, as the 32-bit value the boot page stores.
std::map<std::string, std::int32_t> ManifestCollationIds() {
  std::map<std::string, std::int32_t> ids;
  std::ifstream manifest(*testing::CorpusDir() / "MANIFEST.tsv");
  std::string line;
  std::size_t collationColumn = 0;
  for (bool header = true; std::getline(manifest, line); header = false) {
    std::vector<std::string> fields;
    std::stringstream row(line);
    for (std::string field; std::getline(row, field, '\t');) fields.push_back(field);
    if (header) {
      const auto it = std::find(fields.begin(), fields.end(), "collation_id");
      collationColumn = static_cast<std::size_t>(it - fields.begin());
    } else if (collationColumn < fields.size()) {
      ids[fields[0]] = static_cast<std::int32_t>(std::stoul(fields[collationColumn], nullptr, 16));
    }
  }
  return ids;
}

TEST(BootPageCorpus, EveryFileNamesItsVersionDatabaseAndCollation) {
  TESSARIL_REQUIRE_CORPUS();
  const std::map<std::string, std::string> versionNames = {
      {"2000", " SQL Server 2000"},      {"2005", " SQL Server 2005"}, {"2008", " SQL Server 2008"},
      {"2008R2", " SQL Server 2008 R2"}, {"2012", " SQL Server 2012"}, {"2014", " SQL Server 2014"},
      {"2016", " SQL Server 2016"},      {"2017", " SQL Server 2017"}, {"2019", " SQL Server 2019"},
      {"2022", " SQL Server 2022"},
  };
  const std::map<std::string, std::int32_t> collationIds = ManifestCollationIds();
  const std::vector<testing::CorpusFile> files = testing::CorpusFiles();
  ASSERT_FALSE(files.empty());
  for (const testing::CorpusFile& f : files) {
    NullProgress progress;
    StopFlag stop;
    auto db = DatabaseFile::Open(f.path.string(), false, progress, stop);
    ASSERT_TRUE(db.ok()) << f.dir;
    EXPECT_EQ(LocateBootPage(**db), (PageId{1, 9})) << f.dir;
    const std::optional<CBootPage> boot = ReadBootPage(**db);
    ASSERT_TRUE(boot) << f.dir;
    EXPECT_EQ(boot->formatVersion, f.formatVersion) << f.dir;
    ASSERT_TRUE(versionNames.count(f.versionName)) << f.dir << ": " << f.versionName;
    EXPECT_EQ(boot->versionName(), versionNames.at(f.versionName)) << f.dir;
    EXPECT_FALSE(boot->unsupportedPageSize()) << f.dir;
    EXPECT_EQ(boot->databaseName, f.dbName) << f.dir;
    // Every release from 2000 on stores the name's byte length after the field.
    const std::optional<HeaderedPage> page = (*db)->ReadPage({1, 9});
    ASSERT_TRUE(page) << f.dir;
    EXPECT_EQ(LoadU32(ByteView(page->bytes), 404), 2 * Utf8ToUtf16(f.dbName).size()) << f.dir;
    ASSERT_TRUE(collationIds.count(f.dir)) << f.dir;
    EXPECT_EQ(boot->collationId, collationIds.at(f.dir)) << f.dir;
  }
}

}  // namespace
}  // namespace tessaril
