#include "testing/table_fixture.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "catalog/column_row.h"
#include "storage/allocation_map.h"
#include "storage/page_header.h"
#include "testing/corpus.h"

namespace tessaril::testing {
namespace {

// The rowset id SQL Server gives a table's first partition.
constexpr std::uint64_t kFixtureRowsetId = 72057594038321152ull;
// Data of the IAM header record: a sequence number at 0, the start of the
// interval the bitmap covers at 36, then the eight single-page slots.
constexpr std::size_t kIamHeaderDataSize = 90;
constexpr std::size_t kIamStartPageOffset = 36;
constexpr std::size_t kIamSinglePagesOffset = 42;
constexpr std::size_t kPagePointerSize = 6;

bool Sql2000(TableKind kind) {
  return kind == TableKind::kHeap2000 || kind == TableKind::kClustered2000;
}

bool Clustered(TableKind kind) {
  return kind == TableKind::kClustered || kind == TableKind::kClustered2000;
}

// SQL Server 2000 headers name the table and its index; later ones carry the
// allocation unit, whose index id part is 256 for the first unit.
std::uint16_t HeaderIndexId(TableKind kind) {
  if (!Sql2000(kind)) return 256;
  return Clustered(kind) ? 1 : 0;
}

void PutLe(Bytes& bytes, std::size_t at, std::uint64_t value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i)
    bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

void PutPageId(Bytes& bytes, std::size_t at, PageId id) {
  PutLe(bytes, at, static_cast<std::uint32_t>(id.pageNumber), 4);
  PutLe(bytes, at + 4, id.fileId, 2);
}

// A record of fixed data only: status, 0, the fixed-part end, the data.
Bytes FixedDataRecord(const Bytes& data) {
  Bytes record(4, 0);
  PutLe(record, 2, 4 + data.size(), 2);
  record.insert(record.end(), data.begin(), data.end());
  return record;
}

Bytes RowRecord(std::int32_t id, bool withName) {
  Bytes fixed(4, 0);
  PutLe(fixed, 0, static_cast<std::uint32_t>(id), 4);
  if (!withName) return FixedVarRecord(0x10, fixed, 1, {0}, {});
  const std::string name = "row " + std::to_string(id);
  return FixedVarRecord(0x30, fixed, 2, {0}, {{Bytes(name.begin(), name.end())}});
}

PageLayout HeaderOf(const TableFileShape& fileShape, std::uint8_t type, PageId page) {
  PageLayout layout;
  layout.type = type;
  layout.objectId = kFixtureTableId;
  layout.indexId = HeaderIndexId(fileShape.kind);
  layout.fileId = page.fileId;
  layout.pageNumber = page.pageNumber;
  return layout;
}

std::vector<HeaderedPage> DataPages(const TableFileShape& fileShape, const TableFilePlan& plan) {
  std::vector<HeaderedPage> pages;
  const std::vector<PageId>& at = plan.dataPages;
  std::int32_t id = 1;
  for (std::size_t i = 0; i < at.size(); ++i) {
    PageLayout layout = HeaderOf(fileShape, kDataPageType, at[i]);
    if (fileShape.linkPages.value_or(Clustered(fileShape.kind))) {
      if (i > 0) layout.prevPage = at[i - 1];
      if (i + 1 < at.size()) layout.nextPage = at[i + 1];
      if (i + 1 == at.size() && fileShape.chainLoopsTo) layout.nextPage = at.at(*fileShape.chainLoopsTo);
      if (fileShape.chainCutAfter == i) layout.nextPage = {0, 0};
    }
    std::vector<PageRecord> records;
    for (int r = 0; r < fileShape.rowsPerPage[i]; ++r)
      records.push_back({0, RowRecord(id++, fileShape.withName)});
    pages.push_back(MakeRecordPage(layout, records));
  }
  return pages;
}

// IAM page j holds the single pages (j == 0) and its share of the extents, in order.
std::vector<HeaderedPage> IamPages(const TableFileShape& fileShape, const TableFilePlan& plan) {
  std::vector<std::size_t> extents;  // extent numbers of the data pages past the single pages
  for (std::size_t i = fileShape.singlePages; i < plan.dataPages.size(); ++i) {
    const auto extent = static_cast<std::size_t>(plan.dataPages[i].pageNumber / kPagesPerExtent);
    if (extents.empty() || extents.back() != extent) extents.push_back(extent);
  }
  std::vector<HeaderedPage> pages;
  const std::vector<PageId>& at = plan.iamPages;
  for (std::size_t j = 0; j < at.size(); ++j) {
    PageLayout layout = HeaderOf(fileShape, kIamPageType, at[j]);
    if (j + 1 < at.size()) layout.nextPage = at[j + 1];
    if (j + 1 == at.size() && fileShape.iamChainLoops) layout.nextPage = at.front();
    Bytes header(kIamHeaderDataSize, 0);
    PutLe(header, 0, j, 4);
    PutPageId(header, kIamStartPageOffset, {1, 0});
    for (std::size_t k = 0; j == 0 && k < fileShape.singlePages; ++k) {
      PutPageId(header, kIamSinglePagesOffset + kPagePointerSize * k, plan.dataPages[k]);
    }
    Bytes bitmap(kMaxBitmapBytes, 0);
    for (std::size_t k = 0; fileShape.iamListsExtents && k < extents.size(); ++k) {
      if (k * at.size() / extents.size() != j) continue;
      bitmap.at(extents[k] / 8) |= static_cast<std::uint8_t>(1u << (extents[k] % 8));
    }
    pages.push_back(
        MakeRecordPage(layout, {{0, FixedDataRecord(header)}, {0, FixedDataRecord(bitmap)}}));
  }
  return pages;
}

ColumnDef FixtureColumn(const char* name, const char* typeText, std::int32_t typeCode,
                        std::int32_t ordinal, std::int16_t offset) {
  ColumnDef c = MakeColumnDef(name, typeText, typeCode);
  c.columnId = c.physicalOrdinal = ordinal;
  c.leafOffset = c.legacyOffset = offset;
  c.nullBit = ordinal;
  c.isInRowset = true;
  c.isVariableLength = offset < 0;
  return c;
}

void DescribeTable(const TableFileShape& fileShape, TableFixture& fixture) {
  Catalog& catalog = fixture.catalog;
  TableLayout& layout = fixture.layout;
  const TableFilePlan& plan = fixture.plan;
  catalog.sql2000Layout = Sql2000(fileShape.kind);
  fixture.recordOptions.sql2000Layout = catalog.sql2000Layout;
  CatalogObject object;
  object.id = kFixtureTableId;
  object.name = "rows";
  object.schemaId = kDboSchemaId;
  object.type = "U ";
  catalog.objects = {object};
  layout.object = object;
  layout.columns = {FixtureColumn("id", "int(4)", kIntCode, 1, 4)};
  if (fileShape.withName)
    layout.columns.push_back(FixtureColumn("name", "varchar(20)", kVarcharCode, 2, -1));
  layout.pages = plan.dataPages;
  std::sort(layout.pages.begin(), layout.pages.end());
  layout.layoutReady = true;
  if (catalog.sql2000Layout) {
    if (fileShape.kind == TableKind::kClustered2000) {
      catalog.indexes2000[kFixtureTableId] = {kFixtureTableId, 1, plan.dataPages.front(),
                                              plan.iamPages.front(), plan.dataPages.front()};
    }
    return;
  }
  RowsetRow rowset;
  rowset.rowsetId = kFixtureRowsetId;
  rowset.ownerType = 1;
  rowset.objectId = kFixtureTableId;
  rowset.indexId = Clustered(fileShape.kind) ? 1 : 0;
  rowset.partitionNumber = 1;
  AllocationUnitRow unit;
  unit.unitId = AllocationUnitId(static_cast<std::uint32_t>(kFixtureTableId), 256);
  unit.type = kInRowDataUnit;
  unit.ownerId = rowset.rowsetId;
  unit.firstPage = plan.dataPages.front();
  unit.rootPage = plan.dataPages.front();
  unit.firstIamPage = plan.iamPages.front();
  catalog.rowsets = {rowset};
  catalog.allocationUnits = {unit};
  layout.rowset = rowset;
  layout.rowsets = layout.dataRowsets = {rowset};
  layout.allocationUnit = unit;
  layout.allocationUnits = {unit};
  layout.rowsetColumns = {RowsetColumnRow{}};
}

}  // namespace

TableFilePlan PlanTableFile(const TableFileShape& fileShape) {
  if (fileShape.rowsPerPage.empty() || fileShape.singlePages >= kPagesPerExtent || fileShape.iamPageCount == 0 ||
      fileShape.singlePages > fileShape.rowsPerPage.size()) {
    throw std::logic_error("table file fileShape out of range");
  }
  TableFilePlan plan;
  std::int32_t end = 1;
  for (std::size_t i = 0; i < fileShape.rowsPerPage.size(); ++i) {
    const auto number = static_cast<std::int32_t>(
        i < fileShape.singlePages ? 1 + i : kPagesPerExtent + (i - fileShape.singlePages));
    plan.dataPages.push_back({1, number});
    end = number + 1;
  }
  const std::int32_t iamStart = (end + kPagesPerExtent - 1) / kPagesPerExtent * kPagesPerExtent;
  for (std::size_t j = 0; j < fileShape.iamPageCount; ++j) {
    plan.iamPages.push_back({1, iamStart + static_cast<std::int32_t>(j)});
  }
  plan.pageCount = iamStart + static_cast<std::int32_t>(fileShape.iamPageCount);
  return plan;
}

Bytes BuildTableFile(const TableFileShape& fileShape) {
  const TableFilePlan plan = PlanTableFile(fileShape);
  Bytes file(static_cast<std::size_t>(plan.pageCount) * kPageSize, 0);
  const auto place = [&file](const HeaderedPage& page) {
    const auto at = static_cast<std::size_t>(page.header.pageId.pageNumber) * kPageSize;
    std::copy(page.bytes.begin(), page.bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
  };
  PageLayout objectTable;
  objectTable.objectId = kSysObjects;
  objectTable.indexId = 0;
  objectTable.pageNumber = 0;
  place(MakeRecordPage(objectTable, {}));
  for (const HeaderedPage& page : DataPages(fileShape, plan)) place(page);
  for (const HeaderedPage& page : IamPages(fileShape, plan)) place(page);
  return file;
}

TableFixture OpenTableFixture(const TableFileShape& fileShape, const std::filesystem::path& dir) {
  TableFixture fixture;
  fixture.plan = PlanTableFile(fileShape);
  const std::filesystem::path path = dir / "table.mdf";
  WriteWholeFile(path, BuildTableFile(fileShape));
  NullProgress progress;
  StopFlag stop;
  auto db = DatabaseFile::Open(path.string(), false, progress, stop);
  if (!db.ok()) return fixture;
  fixture.db = std::move(db).value();
  DescribeTable(fileShape, fixture);
  return fixture;
}

}  // namespace tessaril::testing
