#include "values/schema_match.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "base/unicode.h"
#include "records/record_page.h"
#include "values/large_value.h"
#include "values/record_shape.h"
#include "values/value_decoder.h"

namespace tessaril {
namespace {

// A unit is judged on the records of its first pages.
constexpr std::size_t kSamplePages = 16;
constexpr std::size_t kSampleRecords = 400;
// The longest record a page holds, and the bytes a variable value's entry
// in the offset array takes.
constexpr int kLongestRecord = 8060;
constexpr int kVariableEntry = 2;
// The share of its sampled records a table must fit, in percent.
constexpr std::size_t kLeastFitPercent = 90;

// Limits of the stored forms: a datetime's days from 1753-01-01 to
// 9999-12-31 counted from 1900, its time in 1/300 seconds; a date's days
// from 0001-01-01.
constexpr std::int64_t kFirstDateTimeDay = -53690;
constexpr std::int64_t kLastDateTimeDay = 2958463;
constexpr std::uint32_t kDateTimeTicksADay = 300u * 86400u;
constexpr std::uint32_t kLastDateDay = 3652058;
constexpr std::uint16_t kMinutesADay = 1440;

// A 3-byte day count.
std::uint32_t LoadDay(ByteView b, std::size_t at) {
  return static_cast<std::uint32_t>(b.At(at)) | static_cast<std::uint32_t>(b.At(at + 1)) << 8 |
         static_cast<std::uint32_t>(b.At(at + 2)) << 16;
}

// Text holds no control characters but tab, line feed and carriage return.
bool IsTextUnit(std::uint16_t unit) {
  return unit >= 0x20 || unit == '\t' || unit == '\n' || unit == '\r';
}

bool LooksLikeText(ByteView b) {
  for (std::size_t i = 0; i < b.size(); ++i) {
    if (!IsTextUnit(b.At(i))) return false;
  }
  return true;
}

// Whether stored bytes can be a value of the column's type: the checks that
// tell types of one width apart (a datetime from a bigint, varchar from
// nvarchar text, text from a text pointer) without deciding what a value
// means.
bool Plausible(const ColumnDef& c, ByteView b) {
  switch (c.typeCode) {
    case kDateTimeCode: {
      if (b.size() != 8) return false;
      const auto day = static_cast<std::int32_t>(LoadU32(b, 4));
      return LoadU32(b, 0) < kDateTimeTicksADay && day >= kFirstDateTimeDay &&
             day <= kLastDateTimeDay;
    }
    case kSmallDateTimeCode:
      return b.size() == 4 && LoadU16(b, 0) < kMinutesADay;
    case kDateCode:
      return b.size() == 3 && LoadDay(b, 0) <= kLastDateDay;
    case kDateTime2Code:
    case kDateTimeOffsetCode: {
      // The date follows the time; a datetimeoffset ends with its 2-byte offset.
      const std::size_t tail = c.typeCode == kDateTime2Code ? 3 : 5;
      return b.size() > tail && LoadDay(b, b.size() - tail) <= kLastDateDay;
    }
    case kDecimalCode:
    case kNumericCode:
      return !b.empty() && b.data()[0] <= 1;  // the sign byte
    case kCharCode:
    case kVarcharCode:
      return LooksLikeText(b);
    case kNcharCode:
    case kNvarcharCode:
      return IsUtf16Text(b, IsTextUnit);  // no control characters, surrogates in pairs
    default:
      return true;
  }
}

// How one table fits the sampled records of a unit.
struct Fit {
  std::size_t fits = 0;   // records of its shape whose values read as its types
  std::size_t exact = 0;  // of those, records with all its columns and its whole fixed part
  bool sameUnit = false;  // the copy's table of this unit
  bool Better(const Fit& o) const {
    if (sameUnit != o.sameUnit) return sameUnit;
    if (exact != o.exact) return exact > o.exact;
    return fits > o.fits;
  }
  bool Ties(const Fit& o) const {
    return sameUnit == o.sameUnit && exact == o.exact && fits == o.fits;
  }
};

class TableFit {
 public:
  TableFit(const TableLayout& layout, bool sql2000) : layout_(layout), sql2000_(sql2000) {
    int longest = 0;  // the longest record the columns make, when none is (max)
    for (const ColumnDef& c : layout.columns) {
      values_.push_back(DescribeValue(c));
      if (c.physicalOrdinal == kNoStorage || c.isSparse) continue;
      ++storedColumns_;
      const bool variable = c.isVariableLength || values_.back().variable;
      if (variable && c.maxLength <= 0) longest = kLongestRecord + 1;
      longest +=
          variable ? c.maxLength + kVariableEntry : std::max<int>(values_.back().fixedWidth, 0);
    }
    // Rows that may pass the longest record push values off the page, and
    // any variable column may then hold a pointer.
    mayOverflow_ = longest > kLongestRecord;
    // Placement rows count every column a whole record holds.
    if (!layout.rowsetColumns.empty()) {
      wholeColumns_ = static_cast<std::int16_t>(layout.rowsetColumns.size());
    }
    shape_ = ShapeOfTable(layout, values_, sql2000);
  }

  // Whether the record is of the table; exact when it holds all of it.
  bool Fits(const CPrimaryRecord& r, bool& exact) const {
    if (!FitsShape(r, shape_)) return false;
    for (std::size_t i = 0; i < layout_.columns.size(); ++i) {
      const ColumnDef& c = layout_.columns[i];
      if (c.physicalOrdinal == kNoStorage || c.isSparse || c.physicalOrdinal > r.columnCount)
        continue;
      const Stored stored = ValueBytes(r, c, values_[i]);
      if (stored.impossible || (stored.bytes && !Plausible(c, *stored.bytes))) return false;
    }
    // Without placement rows a uniquifier may add a column the table does
    // not list.
    const bool allColumns =
        wholeColumns_ > 0 ? r.columnCount == wholeColumns_ : r.columnCount >= storedColumns_;
    exact = allColumns && (shape_.maxFixedLength < 0 || r.fixedLength == shape_.maxFixedLength);
    return true;
  }

 private:
  // The stored bytes of a column that is not NULL, placed as the layout
  // places it; none for NULL, a bit, or a value held off the record;
  // impossible when the column cannot hold what the record holds.
  struct Stored {
    std::optional<ByteView> bytes;
    bool impossible = false;
  };
  Stored ValueBytes(const CPrimaryRecord& r, const ColumnDef& c, const ValueLayout& v) const {
    const std::int32_t bit = c.nullBit & 0xFFFF;
    if (bit > 0 && r.hasNullBitmap && r.IsNull(bit - 1)) return {};
    const std::int16_t offset = sql2000_ ? c.legacyOffset : c.leafOffset;
    if (offset < 0) {
      const auto index = static_cast<std::size_t>(-1 - offset);
      if (index >= r.values.size()) return {};
      // A pointer to a value kept off the record: only a large type, or a
      // table whose rows can outgrow a page, has one.
      if (r.values[index].complex) return {std::nullopt, !HoldsLargeValues(c) && !mayOverflow_};
      const ByteView b = r.ValueBytes(r.values[index]);
      if (c.maxLength > 0 && b.size() > static_cast<std::size_t>(c.maxLength)) {
        return {std::nullopt, true};
      }
      return {b};
    }
    if (c.typeCode == kBitCode || offset < kRecordHeaderLength || v.fixedWidth <= 0) return {};
    const ByteView fixed = r.fixedData();
    const auto at = static_cast<std::size_t>(offset - kRecordHeaderLength);
    const auto width = static_cast<std::size_t>(v.fixedWidth);
    if (!fixed.Contains(at, width)) return {};
    return {fixed.Sub(at, width)};
  }

  const TableLayout& layout_;
  bool sql2000_;
  std::vector<ValueLayout> values_;
  RecordShape shape_;
  std::int16_t storedColumns_ = 0;
  std::int16_t wholeColumns_ = 0;  // 0: not known
  bool mayOverflow_ = false;
};

// The first records of a unit's pages, with the pages that own them.
struct Sample {
  std::vector<std::unique_ptr<PrimaryRecordPage>> pages;
  std::vector<const CPrimaryRecord*> records;
};

Sample SampleUnit(const LostUnit& unit, const DatabaseFile& db, const RecordOptions& options) {
  Sample sample;
  RecordOptions live = options;
  live.showDeletedRecords = live.showAdvancedDeletedRecords = false;
  for (const PageId& id : unit.pages) {
    if (sample.pages.size() == kSamplePages || sample.records.size() >= kSampleRecords) break;
    std::optional<HeaderedPage> page = db.ReadPage(id);
    if (!page) continue;
    sample.pages.push_back(std::make_unique<PrimaryRecordPage>(std::move(*page), &db, live));
    for (const auto& r : sample.pages.back()->records()) {
      const bool data = r && (r->recordType == kPrimaryRecord || r->recordType == kForwardedRecord);
      if (data && !r->isInvalid && !r->isCompressed) sample.records.push_back(r.get());
    }
  }
  return sample;
}

bool NamesUnit(const SchemaTable& table, const DatabaseFile& db, std::uint64_t key) {
  for (const std::uint64_t id : table.unitIds) {
    if (db.inventory().KeyOfUnit(id) == key) return true;
  }
  return false;
}

// A name no other table of the schema has: the table's own, else with the
// lost unit's id.
std::string FreeName(const Catalog& catalog, const std::string& name, std::int32_t schemaId,
                     std::uint64_t unitId) {
  for (const CatalogObject& o : catalog.objects) {
    if (o.name == name && o.schemaId == schemaId) return name + "_" + std::to_string(unitId);
  }
  return name;
}

std::string Joined(const std::vector<const SchemaTable*>& tables) {
  std::string text;
  for (const SchemaTable* t : tables) text += (text.empty() ? "" : ", ") + t->layout.object.name;
  return text;
}

// Gives lost tables recovered from their column rows the name of the copy's
// table of the same id and columns.
void NameTablesOfColumnRows(Catalog& catalog, const std::vector<SchemaTable>& schema,
                            std::vector<std::string>& log) {
  for (CatalogObject& o : catalog.objects) {
    if (!o.lostAndFound || catalog.lostUnits.count(o.id) != 0) continue;
    for (const SchemaTable& t : schema) {
      if (t.layout.object.id != o.id || t.layout.object.id <= 0) continue;
      const std::string name = FreeName(catalog, t.layout.object.name, t.layout.object.schemaId, 0);
      if (name != t.layout.object.name) break;
      log.push_back("Schema: " + o.name + " is " + name + ", the table of its id");
      o.name = name;
      o.schemaId = t.layout.object.schemaId;
      o.lostAndFound = false;
      break;
    }
  }
}

}  // namespace

std::vector<std::string> MatchLostUnits(Catalog& catalog, const DatabaseFile& db,
                                        const std::vector<SchemaTable>& schema,
                                        const RecordOptions& options) {
  std::vector<std::string> log;
  NameTablesOfColumnRows(catalog, schema, log);
  std::vector<TableFit> fits;
  for (const SchemaTable& t : schema) fits.emplace_back(t.layout, catalog.sql2000Layout);
  for (auto& [objectId, unit] : catalog.lostUnits) {
    if (options.stopRequested()) break;
    CatalogObject* object = nullptr;
    for (CatalogObject& o : catalog.objects) {
      if (o.id == objectId) object = &o;
    }
    const Sample sample = SampleUnit(unit, db, options);
    if (object == nullptr || sample.records.empty()) continue;
    std::optional<Fit> best;
    std::vector<const SchemaTable*> bestTables;
    for (std::size_t t = 0; t < schema.size(); ++t) {
      Fit fit;
      fit.sameUnit = NamesUnit(schema[t], db, unit.unitId);
      // A table that misses more records than it may is left at once: a big
      // schema costs a record or two a table for most units.
      const std::size_t mayMiss = sample.records.size() * (100 - kLeastFitPercent) / 100;
      std::size_t missed = 0;
      for (const CPrimaryRecord* r : sample.records) {
        bool exact = false;
        if (!fits[t].Fits(*r, exact)) {
          if (++missed > mayMiss) break;
          continue;
        }
        ++fit.fits;
        if (exact) ++fit.exact;
      }
      const bool enough = fit.fits * 100 >= kLeastFitPercent * sample.records.size() &&
                          (fit.exact > 0 || fit.sameUnit);
      if (!enough) continue;
      if (!best || fit.Better(*best)) {
        best = fit;
        bestTables = {&schema[t]};
      } else if (fit.Ties(*best)) {
        bestTables.push_back(&schema[t]);
      }
    }
    const std::string records = std::to_string(sample.records.size()) + " sampled records";
    if (bestTables.empty()) {
      log.push_back("Schema: " + object->name + " fits no table of the schema (" + records + ")");
      continue;
    }
    if (bestTables.size() > 1) {
      log.push_back("Schema: " + object->name + " fits " + std::to_string(bestTables.size()) +
                    " tables of the schema equally (" + Joined(bestTables) + "): left as stored");
      continue;
    }
    const TableLayout& layout = bestTables.front()->layout;
    const std::string name =
        FreeName(catalog, layout.object.name, layout.object.schemaId, unit.unitId);
    log.push_back("Schema: " + object->name + " is " + name + " (" + std::to_string(best->fits) +
                  " of " + records + " fit)");
    object->name = name;
    object->schemaId = layout.object.schemaId;
    object->lostAndFound = false;
    auto matched = std::make_shared<TableLayout>(layout);
    matched->pages.clear();
    unit.schema = std::move(matched);
  }
  return log;
}

}  // namespace tessaril
