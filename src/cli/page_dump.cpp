#include "cli/page_dump.h"

#include "base/hex.h"
#include "base/unicode.h"

#include "storage/allocation_map.h"
#include "storage/boot_page.h"
#include "storage/boot_page_fields.h"
#include "values/text_forms.h"
#include "values/value_decoder.h"

#include <cstdio>
#include <string>

namespace tessaril::cli {

std::string HexText(ByteView bytes) { return HexDigits(bytes, false); }

namespace {

const char* RecordTypeName(std::int32_t type) {
  switch (type) {
    case kPrimaryRecord:
      return "primary record";
    case kForwardedRecord:
      return "forwarded record";
    case kForwardingStub:
      return "forwarding stub";
    case kIndexRecord:
      return "index record";
    case kBlobFragment:
      return "blob fragment";
    case kGhostIndexRecord:
      return "ghost index record";
    case kGhostDataRecord:
      return "ghost data record";
    default:
      return "ghost version record";
  }
}

std::string StatusText(const CRecord& r) {
  std::string flags;
  const auto add = [&](bool on, const char* name) {
    if (!on) return;
    if (!flags.empty()) flags += ", ";
    flags += name;
  };
  add(r.isCompressed, "compressed");
  add(r.hasNullBitmap, "null bitmap");
  add(r.hasVariableColumns, r.isCompressed ? "long data" : "variable columns");
  add(r.hasVersionTag, "versioning tag");
  char text[32];
  std::snprintf(text, sizeof text, "A 0x%02X B 0x%02X", r.statusA, r.statusB);
  return flags.empty() ? text : std::string(text) + " (" + flags + ")";
}

std::string RidText(const RecordId& rid) {
  return ToString(rid.page) + ":" + std::to_string(rid.slot);
}

void PrintValues(std::ostream& out, const CRecord& r, const std::vector<RecordValue>& values,
                 const char* label) {
  out << "  " << label << ": " << values.size() << '\n';
  for (std::size_t i = 0; i < values.size(); ++i) {
    const RecordValue& v = values[i];
    out << "    " << i << ":";
    if (v.id >= 0) out << " id " << v.id;
    out << " length " << v.length;
    if (v.complex) out << " complex";
    out << (v.hasData ? " data " + HexText(r.ValueBytes(v)) : std::string(" no data")) << '\n';
  }
}

void PrintRecord(std::ostream& out, const CPrimaryRecord& r) {
  out << "  record type: " << r.recordType << " " << RecordTypeName(r.recordType);
  if (r.forwardedTo) out << " to " << RidText(*r.forwardedTo);
  out << '\n' << "  status: " << StatusText(r) << '\n';
  if (r.isInvalid) {
    out << "  invalid\n";
    return;
  }
  out << "  fixed length: " << r.fixedLength << '\n';
  if (!r.fixedData().empty()) out << "  fixed data: " << HexText(r.fixedData()) << '\n';
  out << "  column count: " << r.columnCount << '\n';
  if (r.isCompressed) {
    out << "  cd codes:";
    for (std::uint8_t code : r.cdCodes) out << ' ' << int{code};
    out << '\n';
  }
  if (!r.nullBitmap().empty()) out << "  null bitmap: " << HexText(r.nullBitmap()) << '\n';
  if (!r.values.empty() || r.hasVariableColumns) PrintValues(out, r, r.values, "variable values");
  if (r.sparseVector) PrintValues(out, r, r.sparseVector->values, "sparse columns");
  if (r.backPointer) out << "  back pointer: " << RidText(*r.backPointer) << '\n';
  out << "  record length: " << r.recordLength << '\n';
}

// The values the table renders from the record of one slot.
void PrintRowValues(std::ostream& out, const PageRows& rows, std::size_t slot) {
  for (const RenderedRow& row : rows.rows) {
    if (row.id.slot != slot) continue;
    out << "  row (" << RowOriginName(row.origin) << "):\n";
    for (std::size_t i = 0; i < rows.columns.size() && i < row.cells.size(); ++i) {
      const ColumnDef& column = rows.columns[i];
      if (column.physicalOrdinal == kNoStorage || column.name.empty()) continue;
      out << "    " << column.name << ": " << row.cells[i].Shown() << '\n';
    }
  }
}

// UTF-16 text of printable characters only: a name among the properties.
std::optional<std::string> PrintableUtf16(ByteView bytes) {
  if (bytes.size() < 2 || bytes.size() % 2 != 0) return std::nullopt;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    const unsigned unit = bytes.At(i) | (unsigned{bytes.At(i + 1)} << 8);
    if (unit < 0x20 || (unit >= 0xD800 && unit <= 0xDFFF) || unit == 0xFFFF) return std::nullopt;
  }
  return Utf16LeToUtf8(bytes);
}

// The file header record keeps the file's size in pages as property 4.
constexpr std::size_t kFileSizeProperty = 4;

}  // namespace

void PrintFileHeaderPage(std::ostream& out, const PrimaryRecordPage& page) {
  if (page.records().empty() || page.records()[0] == nullptr) return;
  const CPrimaryRecord& r = *page.records()[0];
  out << "file header record:\n";
  for (std::size_t i = 0; i < r.values.size(); ++i) {
    const RecordValue& v = r.values[i];
    if (!v.hasData) continue;
    const ByteView bytes = r.ValueBytes(v);
    std::string text;
    if (i == kFileSizeProperty && bytes.size() == 4) {
      text = std::to_string(LoadU32(bytes, 0)) + " (file size in pages)";
    } else if (bytes.size() == 16) {
      text = UniqueIdentifierText(bytes);  // the binding and family ids
    } else if (const auto name = PrintableUtf16(bytes)) {
      text = "'" + *name + "'";
    } else if (bytes.size() == 2) {
      text = std::to_string(static_cast<std::int16_t>(LoadU16(bytes, 0)));
    } else if (bytes.size() == 4) {
      text = std::to_string(static_cast<std::int32_t>(LoadU32(bytes, 0)));
    } else {
      continue;
    }
    out << "  property " << i << ": " << text << '\n';
  }
}

void PrintBootPage(std::ostream& out, ByteView page) {
  const CBootPage boot(page);
  out << "boot page:\n"
      << "  format version: " << boot.formatVersion << " (" << boot.versionName() << ")\n"
      << "  database name: " << boot.databaseName << '\n'
      << "  collation id: " << boot.collationId << '\n';
  if (boot.unsupportedPageSize()) out << "  unsupported page size: this format uses 2 KB pages\n";
  const std::optional<BootPageFields> f = ReadBootPageFields(page, boot.formatVersion);
  if (!f) {
    out << "  (the other fields of this format's boot page are not decoded)\n";
    return;
  }
  const ByteView created(f->createDate.data(), f->createDate.size());
  out << "  created in format version: " << f->createVersion << " ("
      << VersionName(f->createVersion) << ")\n"
      << "  created: " << DateTimeText(created) << '\n'
      << "  database id: " << f->databaseId << '\n'
      << "  compatibility level: " << f->compatibilityLevel << '\n'
      << "  status: " << f->status << '\n'
      << "  highest database timestamp: " << f->maxDbTimestamp << '\n'
      << "  checkpoint log sequence number: " << ToString(f->checkpointLsn) << '\n'
      << "  dbcc flags: " << f->dbccFlags << '\n'
      << "  family id: "
      << UniqueIdentifierText(ByteView(f->familyGuid.data(), f->familyGuid.size())) << '\n'
      << "  first page of sysallocunits: " << ToString(f->firstAllocationUnitsPage) << '\n'
      << "  next allocation unit id: " << f->nextAllocationUnitId << '\n';
}

void PrintIamPage(std::ostream& out, ByteView page, const DatabaseFile& db) {
  const IamPage iam(page);
  out << "IAM page:\n"
      << "  sequence number: " << iam.sequenceNumber << '\n'
      << "  start page: " << ToString(iam.startPage);
  if (iam.startPageRejected)
    out << " (no interval start; " << ToString(iam.intervalStart()) << " used)";
  out << '\n';
  for (std::size_t k = 0; k < iam.singlePageSlots.size(); ++k) {
    out << "  single page " << k << ": " << ToString(iam.singlePageSlots[k]) << '\n';
  }
  const std::vector<Extent> extents = iam.Extents(PageCountsOf(db));
  out << "  allocated extents: " << extents.size() << '\n';
  for (const Extent& e : extents)
    out << "    " << ToString(e.first) << " - " << ToString(e.last) << '\n';
}

void PrintRecords(std::ostream& out, const PrimaryRecordPage& page, const PageRows* rows) {
  const auto& offsets = page.slotOffsets();
  const std::size_t firstCarved = offsets.size() - page.carvedCount();
  if (!page.passesSanityCheck()) out << "the header fails its check: no slot is read\n";
  if (page.compression().present) {
    const CompressionInfo& ci = page.compression();
    out << "compression information: header "
        << HexText(ByteView(ci.header.data(), ci.header.size())) << ", anchor record "
        << (ci.anchorRecord ? "yes" : "no") << ", dictionary entries " << ci.dictionary.size()
        << '\n';
  }
  for (std::size_t i = 0; i < page.records().size(); ++i) {
    out << "slot " << i;
    const auto& record = page.records()[i];
    if (i >= firstCarved) {
      out << " (carved)";
    } else if (record != nullptr && record->recordType == kGhostDataRecord) {
      out << " (ghost)";
    }
    if (i < offsets.size()) out << " offset " << offsets[i];
    if (record == nullptr) {
      out << ": no record\n";
      continue;
    }
    out << '\n';
    PrintRecord(out, *record);
    if (rows != nullptr) PrintRowValues(out, *rows, i);
  }
}

}  // namespace tessaril::cli
