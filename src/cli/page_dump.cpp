#include "cli/page_dump.h"

#include "base/hex.h"

#include "storage/allocation_map.h"
#include "storage/boot_page.h"

#include <cstdio>
#include <string>

namespace tessaril::cli {
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

}  // namespace

std::string HexText(ByteView bytes) { return HexDigits(bytes, false); }

void PrintBootPage(std::ostream& out, ByteView page) {
  const CBootPage boot(page);
  out << "boot page:\n"
      << "  format version: " << boot.formatVersion << " (" << boot.versionName() << ")\n"
      << "  database name: " << boot.databaseName << '\n'
      << "  collation id: " << boot.collationId << '\n';
  if (boot.unsupportedPageSize()) out << "  unsupported page size: this format uses 2 KB pages\n";
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

void PrintRecords(std::ostream& out, const PrimaryRecordPage& page) {
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
    if (i >= firstCarved) out << " (carved)";
    if (i < offsets.size()) out << " offset " << offsets[i];
    const auto& record = page.records()[i];
    if (record == nullptr) {
      out << ": no record\n";
      continue;
    }
    out << '\n';
    PrintRecord(out, *record);
  }
}

}  // namespace tessaril::cli
