// Exports of corpus files read back: the SQL script through the project's
// own script reader, the CSV files and the SQLite file value by value,
// against the rows the table reader renders and the ground-truth scripts.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "base/hex.h"
#include "catalog/sql_script.h"
#include "export/export_job.h"
#include "export/sql_text.h"
#include "session/table_reader.h"
#include "testing/corpus.h"
#include "testing/opened_scan.h"

namespace tessaril {
namespace {

namespace fs = std::filesystem;

ExportSummary Export(const ScanSnapshot& scan, ExportFormat format, const fs::path& to) {
  ExportRequest request;
  request.format = format;
  request.destination = to.string();
  ScanEvents quiet;
  StopFlag stop;
  const Result<ExportSummary> summary = RunExport(scan, request, quiet, stop);
  EXPECT_TRUE(summary.ok()) << summary.error() << " " << summary.failure().detail;
  return summary ? *summary : ExportSummary();
}

// Every row of a table as the reader renders it.
std::vector<RenderedRow> RowsOf(const ScanSnapshot& scan, const CatalogObject& table,
                                std::unique_ptr<TableReader>& reader) {
  std::vector<RenderedRow> rows;
  Result<std::unique_ptr<TableReader>> opened = TableReader::Open(scan, table.id);
  if (!opened) return rows;
  reader = std::move(opened).value();
  ScanEvents quiet;
  reader->ForEachPage(quiet, [&](const GridPage& page) {
    for (const RenderedRow& row : page.rows) rows.push_back(row);
    return true;
  });
  return rows;
}

std::vector<const CatalogObject*> UserTables(const Catalog& catalog) {
  std::vector<const CatalogObject*> tables;
  for (const CatalogObject& o : catalog.objects) {
    if (o.type == "U " && !o.systemOwned) tables.push_back(&o);
  }
  return tables;
}

// The value an INSERT literal holds as the script reader gives it, in the
// renderer's text form: the quoted text of CONVERT and CAST, 1 and 0 as bit.
std::string LiteralText(const std::string& literal, const ColumnDef& column) {
  const std::size_t quote = literal.find('\'');
  if ((literal.starts_with("CONVERT(") || literal.starts_with("CAST('")) &&
      quote != std::string::npos) {
    return literal.substr(quote + 1, literal.find('\'', quote + 1) - quote - 1);
  }
  if (literal.starts_with("CAST(0x")) return literal.substr(5, literal.find(' ') - 5);
  if (column.typeCode == kBitCode) return literal == "1" ? "True" : "False";
  return literal;
}

class ExportedScript : public ::testing::TestWithParam<const char*> {};

// The script gives every table with its columns' types as the ground truth
// declares them, and every row value as the reader renders it.
TEST_P(ExportedScript, ReadsBackAsTheTablesAndRows) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile(GetParam());
  ASSERT_TRUE(file);
  const ScanSnapshot scan = testing::OpenScan(file->path.string());
  ASSERT_TRUE(scan);
  const testing::TempDir dir;
  const ExportSummary summary = Export(scan, ExportFormat::kSqlScript, dir.path() / "db.sql");
  EXPECT_EQ(summary.unreadableValues, 0u);
  const Result<SqlScript> exported = LoadSqlScript(dir.path() / "db.sql");
  ASSERT_TRUE(exported.ok());

  for (const testing::ScriptedFile& scripted : testing::kScriptedFiles) {
    if (GetParam() != std::string(scripted.dir)) continue;
    const Result<SqlScript> truth = LoadSqlScript(*testing::CorpusDir() / scripted.script);
    ASSERT_TRUE(truth.ok());
    for (const ScriptTable& table : truth->tables) {
      const ScriptTable* got = exported->FindTable(table.name);
      ASSERT_NE(got, nullptr) << table.name;
      for (const ScriptColumn& column : table.columns) {
        const ScriptColumn* c = got->FindColumn(column.name);
        ASSERT_NE(c, nullptr) << table.name << "." << column.name;
        if (column.type.empty()) continue;  // computed
        EXPECT_EQ(c->type, column.type) << table.name << "." << column.name;
        EXPECT_EQ(c->length, column.length) << table.name << "." << column.name;
        EXPECT_EQ(c->isMax, column.isMax) << table.name << "." << column.name;
        if (column.type == "decimal" || column.type == "numeric") {
          EXPECT_EQ(c->precision, column.precision) << table.name << "." << column.name;
          EXPECT_EQ(c->scale, column.scale) << table.name << "." << column.name;
        }
      }
      // The owners of the 2008 R2 and 2014 files edited some rows after the script ran.
      const bool asScripted = GetParam() == std::string("sql2000_northwind") ||
                              GetParam() == std::string("sql2008_pubs");
      if (asScripted) {
        EXPECT_EQ(exported->InsertsInto(table.name).size(), truth->InsertsInto(table.name).size())
            << table.name;
      }
    }
  }

  for (const CatalogObject* table : UserTables(scan->catalog)) {
    std::unique_ptr<TableReader> reader;
    const std::vector<RenderedRow> rows = RowsOf(scan, *table, reader);
    const std::vector<const ScriptInsert*> inserts = exported->InsertsInto(table->name);
    ASSERT_EQ(inserts.size(), rows.size()) << table->name;
    if (!reader) continue;
    const std::vector<ColumnDef>& columns = reader->layout().columns;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      std::size_t v = 0;
      for (std::size_t i = 0; i < columns.size(); ++i) {
        if (!IsInsertable(columns[i])) continue;
        ASSERT_LT(v, inserts[r]->values.size()) << table->name;
        const std::optional<std::string>& value = inserts[r]->values[v++];
        const Cell& cell = rows[r].cells[i];
        ASSERT_EQ(!value.has_value(), cell.null) << table->name << "." << columns[i].name;
        if (value) {
          EXPECT_EQ(LiteralText(*value, columns[i]), cell.text)
              << table->name << "." << columns[i].name << " row " << r;
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Corpus, ExportedScript,
                         ::testing::Values("sql2000_northwind", "sql2008r2_northwind",
                                           "sql2008_pubs", "sql2014_pubs", "sql2005_bltoolkit",
                                           "sql2022_techblog", "sql2019_students_ru",
                                           "sql2017_student_zh", "sql2016_dailynutrition"));

// RFC 4180 records of a file: fields, and whether each was quoted.
struct CsvField {
  std::string text;
  bool quoted = false;
};
std::vector<std::vector<CsvField>> ReadCsv(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string s{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<std::vector<CsvField>> records(1);
  CsvField field;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '"' && field.text.empty() && !field.quoted) {
      field.quoted = true;
      for (++i; i < s.size(); ++i) {
        if (s[i] == '"' && i + 1 < s.size() && s[i + 1] == '"') {
          field.text += '"';
          ++i;
        } else if (s[i] == '"') {
          break;
        } else {
          field.text += s[i];
        }
      }
    } else if (s[i] == ',') {
      records.back().push_back(std::move(field));
      field = {};
    } else if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
      records.back().push_back(std::move(field));
      field = {};
      records.emplace_back();
      ++i;
    } else {
      field.text += s[i];
    }
  }
  records.pop_back();  // after the last CR LF
  return records;
}

// A table with every kind of value (the 2005 file's DataTypeTest: NULLs in
// one row, every type set in the other) and the pubs tables come back from
// CSV and SQLite as the reader renders them: NULL apart from the empty
// string, binary byte for byte.
TEST(ExportedFiles, CsvAndSqliteHoldTheRenderedValues) {
  TESSARIL_REQUIRE_CORPUS();
  for (const char* dirName : {"sql2005_bltoolkit", "sql2008_pubs", "sql2019_students_ru"}) {
    SCOPED_TRACE(dirName);
    const auto file = testing::FindCorpusFile(dirName);
    ASSERT_TRUE(file);
    const ScanSnapshot scan = testing::OpenScan(file->path.string());
    ASSERT_TRUE(scan);
    const testing::TempDir dir;
    Export(scan, ExportFormat::kCsv, dir.path() / "csv");
    Export(scan, ExportFormat::kSqlite, dir.path() / "db.sqlite");
    EXPECT_TRUE(fs::exists(dir.path() / "csv" / "schema.sql"));
    EXPECT_TRUE(fs::exists(dir.path() / "csv" / "load.sql"));
    EXPECT_TRUE(fs::exists(dir.path() / "csv" / "constraints.sql"));
    sqlite3* db = nullptr;
    ASSERT_EQ(
        sqlite3_open_v2((dir.path() / "db.sqlite").c_str(), &db, SQLITE_OPEN_READONLY, nullptr),
        SQLITE_OK);
    for (const CatalogObject* table : UserTables(scan->catalog)) {
      std::unique_ptr<TableReader> reader;
      const std::vector<RenderedRow> rows = RowsOf(scan, *table, reader);
      if (!reader) continue;
      const std::vector<ColumnDef>& columns = reader->layout().columns;
      const auto csv = ReadCsv(dir.path() / "csv" / (table->name + ".csv"));
      ASSERT_EQ(csv.size(), rows.size() + 1) << table->name;
      sqlite3_stmt* select = nullptr;
      ASSERT_EQ(sqlite3_prepare_v2(db, ("SELECT * FROM \"" + table->name + "\"").c_str(), -1,
                                   &select, nullptr),
                SQLITE_OK)
          << table->name;
      for (std::size_t r = 0; r < rows.size(); ++r) {
        ASSERT_EQ(sqlite3_step(select), SQLITE_ROW) << table->name;
        int k = 0;
        for (std::size_t i = 0; i < columns.size(); ++i) {
          if (!IsInsertable(columns[i])) continue;
          const Cell& cell = rows[r].cells[i];
          const CsvField& field = csv[r + 1][static_cast<std::size_t>(k)];
          const std::string where = table->name + "." + columns[i].name;
          // CSV: NULL is an unquoted empty field, the empty string a quoted one.
          EXPECT_EQ(field.text.empty() && !field.quoted, cell.null) << where;
          if (!cell.null && columns[i].typeCode != kBitCode) {
            EXPECT_EQ(field.text, cell.text) << where;
          }
          // SQLite: real NULLs, bytes as blobs, the rest as the text or number.
          const int type = sqlite3_column_type(select, k);
          EXPECT_EQ(type == SQLITE_NULL, cell.null) << where;
          if (!cell.null && type == SQLITE_BLOB) {
            const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(select, k));
            const std::vector<std::uint8_t> got(bytes, bytes + sqlite3_column_bytes(select, k));
            EXPECT_EQ(got, DecodeHexDigits(std::string_view(cell.text).substr(2))) << where;
          } else if (!cell.null && type == SQLITE_TEXT) {
            EXPECT_EQ(reinterpret_cast<const char*>(sqlite3_column_text(select, k)), cell.text)
                << where;
          }
          ++k;
        }
      }
      EXPECT_EQ(sqlite3_step(select), SQLITE_DONE) << table->name;
      sqlite3_finalize(select);
    }
    sqlite3_close(db);
  }
}

// A stopped export and one that cannot write leave nothing under the final
// name, and say why.
TEST(ExportedFiles, AStoppedOrFailedExportLeavesNothing) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2008_pubs");
  ASSERT_TRUE(file);
  const ScanSnapshot scan = testing::OpenScan(file->path.string());
  ASSERT_TRUE(scan);
  const testing::TempDir dir;
  for (ExportFormat format :
       {ExportFormat::kSqlScript, ExportFormat::kCsv, ExportFormat::kSqlite}) {
    ExportRequest request;
    request.format = format;
    request.destination = (dir.path() / "out").string();
    ScanEvents quiet;
    StopFlag stop;
    stop.Request();
    const Result<ExportSummary> stopped = RunExport(scan, request, quiet, stop);
    ASSERT_FALSE(stopped.ok());
    EXPECT_EQ(stopped.error(), kExportStoppedText);
    if (format == ExportFormat::kCsv) {
      EXPECT_TRUE(fs::is_empty(dir.path() / "out"));
      fs::remove(dir.path() / "out");
    }
    EXPECT_FALSE(fs::exists(dir.path() / "out"));
    EXPECT_TRUE(fs::is_empty(dir.path()));

    std::ofstream(dir.path() / "file") << "x";
    request.destination = (dir.path() / "file" / "out").string();
    StopFlag running;
    const Result<ExportSummary> failed = RunExport(scan, request, quiet, running);
    ASSERT_FALSE(failed.ok());
    EXPECT_NE(failed.error().find(dir.path().string()), std::string::npos) << failed.error();
    EXPECT_FALSE(failed.failure().detail.empty());
    fs::remove(dir.path() / "file");
  }
  // The data file itself is never a destination.
  ExportRequest onto;
  onto.destination = file->path.string();
  ScanEvents quiet;
  StopFlag stop;
  const Result<ExportSummary> refused = RunExport(scan, onto, quiet, stop);
  ASSERT_FALSE(refused.ok());
  EXPECT_NE(refused.error().find("refusing to write"), std::string::npos);
}

// A value the renderer cannot read (a datetime whose time of day is past
// midnight) is NULL in every format, counted, and named by table, page,
// slot and column; the rows around it are whole.
TEST(ExportedFiles, AnUnreadableValueIsNullAndNamed) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2008r2_northwind");
  ASSERT_TRUE(file);
  const testing::TempDir dir;
  const fs::path copy = dir.path() / "damaged.mdf";
  fs::copy_file(file->path, copy);
  {
    // Order 10248's OrderDate, 1996-07-04 00:00: ticks 0, day 35248.
    std::fstream bytes(copy, std::ios::in | std::ios::out | std::ios::binary);
    const std::string s{std::istreambuf_iterator<char>(bytes), std::istreambuf_iterator<char>()};
    const std::size_t at = s.find(std::string("\0\0\0\0\xB0\x89\0\0", 8));
    ASSERT_NE(at, std::string::npos);
    bytes.seekp(static_cast<std::streamoff>(at));
    bytes.write("\xFF\xFF\xFF\xFF", 4);
  }
  const ScanSnapshot scan = testing::OpenScan(copy.string());
  ASSERT_TRUE(scan);
  for (ExportFormat format :
       {ExportFormat::kSqlScript, ExportFormat::kCsv, ExportFormat::kSqlite}) {
    const fs::path to = dir.path() / ("out" + std::to_string(static_cast<int>(format)));
    const ExportSummary summary = Export(scan, format, to);
    EXPECT_EQ(summary.rows, 3308u);
    EXPECT_EQ(summary.unreadableValues, 1u);
    EXPECT_EQ(summary.unreadablePlaces,
              std::vector<std::string>{"[dbo].[Orders] 1:205 slot 0, column OrderDate"});
    if (format == ExportFormat::kCsv) {
      const auto csv = ReadCsv(to / "Orders.csv");
      ASSERT_GT(csv.size(), 2u);
      EXPECT_EQ(csv[1][3].text, "");
      EXPECT_FALSE(csv[1][3].quoted);  // NULL, not the empty string
      EXPECT_EQ(csv[1][4].text, "1996-08-01 00:00:00.000");
    }
  }
}

}  // namespace
}  // namespace tessaril
