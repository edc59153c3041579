// info, pages and page: what the page store sees in a data file.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <set>

#include "catalog/system_rows.h"
#include "cli/arguments.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/opened_table.h"
#include "cli/page_dump.h"
#include "cli/terminal_events.h"
#include "session/scan_session.h"
#include "storage/boot_page.h"
#include "storage/database_file.h"
#include "values/collation_lookup.h"
#include "values/collation_table.h"

namespace tessaril::cli {

const char* const kInfoUsage =
    "usage: tessaril-cli info FILE\n"
    "  Size, page count, where the pages start, pages by type, allocation units\n"
    "  and base system table pages of a primary data file.\n";
const char* const kPagesUsage =
    "usage: tessaril-cli pages FILE [--object ID] [--unit AUID]\n"
    "       tessaril-cli pages FILE --table NAME\n"
    "  The page inventory, one page a line, tab-separated: file id, page number,\n"
    "  page type, object id, index id, allocation unit id.\n"
    "  --object ID   only pages whose header names this object id\n"
    "  --unit AUID   only pages of this allocation unit (decimal or 0x hex)\n"
    "  --table NAME  the data pages chosen for a table, with the rowset and\n"
    "                allocation unit they were chosen through\n";
const char* const kPageUsage =
    "usage: tessaril-cli page FILE FILEID:PAGE [--deleted] [--carve] [--no-values]\n"
    "  Every field of one page's header, with torn bits put back, then every\n"
    "  slot and its record. Page 0 is the file's header page, page 9 of file 1\n"
    "  the boot page. On a data page of a table, each slot's column values\n"
    "  follow its bytes (the file is scanned for its catalog first).\n"
    "  --deleted    decode ghost (deleted) records too\n"
    "  --carve      also look for deleted records in free space (implies --deleted)\n"
    "  --no-values  only the bytes: no scan for the catalog\n";

namespace {

struct Inspection {
  int status = kExitOk;
  std::unique_ptr<DatabaseFile> db;
};

// Parses the words, prints --help or usage errors, and opens the file.
Inspection OpenForInspection(const std::vector<std::string>& words, const char* usage,
                             std::size_t positionalCount, const std::set<std::string>& valueOptions,
                             InventoryMode mode, Arguments& args,
                             std::set<std::string> flagOptions = {}) {
  CommandLine line =
      ParseCommandLine(words, usage, positionalCount, std::move(flagOptions), valueOptions);
  if (!line.args) return {line.status, nullptr};
  args = std::move(*line.args);
  std::unique_ptr<DatabaseFile> db =
      OpenDataFile(args.positional[0], mode, InventoryCacheFolderOf(args));
  return {db ? kExitOk : kExitFailed, std::move(db)};
}

std::string DataOffsetText(const DatabaseFile& db) {
  const OffsetCheck& check = db.offsetCheck();
  const std::uint64_t remainder = db.fileSize() % kPageSize;
  std::string text = std::to_string(check.dataOffset);
  if (check.matchedPage) {
    text += " (page " + std::to_string(*check.matchedPage) +
            " carries its own page number at this offset";
    if (remainder != 0 && check.dataOffset == 0) {
      text += "; " + std::to_string(remainder) + " bytes after the last whole page";
    }
    return text + ")";
  }
  return text + " (no page carries its own page number at offset " + std::to_string(remainder) +
         (remainder != 0 ? " or 0" : "") + "; the size remainder is used)";
}

struct InventoryRow {
  PageEntry entry;
  std::int32_t objectId = 0;
  std::uint64_t unit = 0;
};

// Every filed page once, in file order. A system data page sits in two maps.
std::vector<InventoryRow> InventoryRows(const PageInventory& inventory) {
  std::map<std::pair<std::uint16_t, std::uint32_t>, InventoryRow> rows;
  const auto add = [&](const PageEntry& e, std::int32_t objectId) {
    const std::uint64_t unit = AllocationUnitId(static_cast<std::uint32_t>(objectId), e.indexId());
    rows.emplace(std::pair(e.fileId, e.pageNumber), InventoryRow{e, objectId, unit});
  };
  for (const auto& [objectId, list] : inventory.systemPages) {
    for (const PageEntry& e : list) add(e, objectId);
  }
  for (const auto* map : {&inventory.dataPages, &inventory.iamPages}) {
    for (const auto& [unit, list] : *map) {
      for (const PageEntry& e : list) add(e, static_cast<std::int32_t>(UnitObjectId(unit)));
    }
  }
  std::vector<InventoryRow> out;
  out.reserve(rows.size());
  for (auto& [key, row] : rows) out.push_back(row);
  return out;
}

// The boot page's version, name and collation, worded as the scan log words them.
void PrintDatabaseInfo(const DatabaseFile& db) {
  const std::optional<CBootPage> boot = ReadBootPage(db);
  const std::string version = boot ? boot->versionName() : kUnknownVersionName;
  std::cout << kVersionLinePrefix << version << '\n'
            << "database name: " << (boot ? boot->databaseName : std::string()) << '\n';
  if (boot && boot->unsupportedPageSize()) {
    std::cout << "unsupported page size: this format uses 2 KB pages, which cannot be decoded\n";
  }
  CollationResult collation;
  if (boot) {
    ApplyDatabaseCollation(CollationTable::LoadBesideProgram(), boot->collationId, {}, collation);
  }
  std::cout << kCollationLinePrefix << (collation.found ? collation.name : kUnknownCollationText)
            << '\n'
            << "collation id: " << (boot ? boot->collationId : 0) << '\n'
            << "code page: " << collation.codePage << '\n';
}

}  // namespace

int InfoCommand(const std::vector<std::string>& words) {
  Arguments args;
  Inspection in = OpenForInspection(words, kInfoUsage, 1, {}, InventoryMode::kMap, args);
  if (!in.db) return in.status;
  const DatabaseFile& db = *in.db;
  std::cout << "file: " << db.path() << '\n'
            << "file size: " << db.fileSize() << " bytes\n"
            << "page count: " << db.pageCount() << '\n'
            << "data offset: " << DataOffsetText(db) << '\n';
  PrintDatabaseInfo(db);
  std::cout << "pages by type:\n";
  for (std::size_t type = 0; type < db.pageTypeCounts().size(); ++type) {
    if (db.pageTypeCounts()[type] == 0) continue;
    std::cout << "  " << type << " " << PageTypeName(static_cast<std::uint32_t>(type)) << ": "
              << db.pageTypeCounts()[type] << '\n';
  }
  std::set<std::uint64_t> units;
  for (const auto& [unit, list] : db.inventory().dataPages) units.insert(unit);
  for (const auto& [unit, list] : db.inventory().iamPages) units.insert(unit);
  std::cout << "allocation units: " << units.size() << '\n'
            << "system pages: " << db.inventory().systemPageCount() << '\n';
  // The 2000 layout keeps other tables under the same small ids.
  const std::optional<CBootPage> boot = ReadBootPage(db);
  const bool layout2000 = boot && boot->formatVersion < kFirst2005FormatVersion;
  for (const auto& [objectId, list] : db.inventory().systemPages) {
    const std::string name = SystemTableName(objectId, layout2000);
    std::cout << "  object " << objectId << (name.empty() ? "" : " (" + name + ")") << ": "
              << list.size() << '\n';
  }
  return kExitOk;
}

int PagesCommand(const std::vector<std::string>& words) {
  // --table NAME is the catalog's view of a table's pages.
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (words[i] == "--table" && i + 1 < words.size()) {
      std::vector<std::string> rest;
      for (std::size_t j = 0; j < words.size(); ++j) {
        if (j != i) rest.push_back(words[j]);
      }
      return TablePagesCommand(rest);
    }
  }
  Arguments args;
  Inspection in =
      OpenForInspection(words, kPagesUsage, 1, {"--object", "--unit"}, InventoryMode::kMap, args);
  if (!in.db) return in.status;
  std::optional<std::int64_t> object;
  std::optional<std::uint64_t> unit;
  if (auto text = args.Value("--object")) {
    try {
      object = std::stoll(*text);
    } catch (const std::exception&) {
      PrintError("--object takes an object id, not " + *text);
      return kExitUsage;
    }
  }
  if (auto text = args.Value("--unit")) {
    unit = ParseCount(*text);
    if (!unit) {
      PrintError("--unit takes an allocation unit id, not " + *text);
      return kExitUsage;
    }
  }
  std::cout << "file\tpage\ttype\tobject\tindex\tunit\n";
  for (const InventoryRow& row : InventoryRows(in.db->inventory())) {
    if (object && row.objectId != *object) continue;
    if (unit && row.unit != *unit) continue;
    std::cout << row.entry.fileId << '\t' << row.entry.pageNumber << '\t'
              << static_cast<int>(row.entry.type()) << '\t' << row.objectId << '\t'
              << row.entry.indexId() << '\t' << row.unit << '\n';
  }
  return kExitOk;
}

namespace {

// Why a page cannot be shown: past the end of its file, or a file not opened.
std::string UnreadablePageReason(const DatabaseFile& db, PageId id) {
  const std::optional<std::uint64_t> pages = db.PageCountOf(id.fileId);
  if (!pages) {
    return "page " + ToString(id) + " cannot be read: file " + std::to_string(id.fileId) +
           " is not among the files opened (the primary file is 1; secondary files are " +
           "found beside it)";
  }
  return "page " + ToString(id) + " is past the end (" + std::to_string(*pages) + " pages)";
}

}  // namespace

int PageCommand(const std::vector<std::string>& words) {
  Arguments args;
  Inspection in = OpenForInspection(words, kPageUsage, 2, {}, InventoryMode::kSkip, args,
                                    {"--deleted", "--carve", "--no-values"});
  if (!in.db) return in.status;
  const std::string& address = args.positional[1];
  const std::size_t colon = address.find(':');
  const auto fileId = ParseCount(address.substr(0, colon));
  const auto number =
      colon == std::string::npos ? std::nullopt : ParseCount(address.substr(colon + 1));
  if (!fileId || !number || *fileId > UINT16_MAX || *number > INT32_MAX) {
    PrintError("a page is named FILEID:PAGE, for example 1:9, not " + address);
    return kExitUsage;
  }
  const PageId id{static_cast<std::uint16_t>(*fileId), static_cast<std::int32_t>(*number)};
  // The readers also give the zero-padded page just past the last whole
  // one; a page that is not in the file is not shown.
  const std::optional<std::uint64_t> pageCount = in.db->PageCountOf(id.fileId);
  const bool inFile = pageCount && static_cast<std::uint64_t>(id.pageNumber) < *pageCount;
  const std::optional<HeaderedPage> page = !inFile ? std::nullopt
                                           : id.pageNumber == 0
                                               ? in.db->ReadFileHeaderPage(id.fileId)
                                               : in.db->ReadPage(id);
  if (!page) {
    PrintError(UnreadablePageReason(*in.db, id));
    return kExitFailed;
  }
  const CPage_Header& h = page->header;
  char hex[32];
  const auto hex16 = [&](unsigned value) {
    std::snprintf(hex, sizeof hex, "0x%04X", value);
    return std::string(hex);
  };
  std::snprintf(hex, sizeof hex, "0x%08X", h.tornBits);
  const std::string tornBits = hex;
  std::cout << "page: " << ToString(id) << (id.pageNumber == 0 ? " (file header page)" : "") << '\n'
            << "header version: " << int{h.headerVersion} << '\n'
            << "page type: " << h.pageType << " (" << PageTypeName(h.pageType) << ")\n"
            << "type flag bits: " << int{h.typeFlagBits} << '\n'
            << "level: " << int{h.level} << '\n'
            << "flag bits: " << hex16(h.flagBits) << '\n'
            << "index id: " << h.indexId << '\n'
            << "previous page: " << ToString(h.prevPage) << '\n'
            << "minimum record length: " << h.minRecordLength << '\n'
            << "next page: " << ToString(h.nextPage) << '\n'
            << "slot count: " << h.slotCount << '\n'
            << "object id: " << h.objectId << '\n'
            << "allocation unit id: " << h.allocationUnitId() << '\n'
            << "free byte count: " << h.freeByteCount << '\n'
            << "free data offset: " << h.freeDataOffset << '\n'
            << "this page: " << ToString(h.pageId) << '\n'
            << "reserved byte count: " << h.reservedByteCount << '\n'
            << "log sequence number: " << h.LsnText() << '\n'
            << "transaction reserved byte count: " << h.xactReservedByteCount << '\n'
            << "transaction id: " << h.TransactionIdText() << '\n'
            << "ghost record count: " << h.ghostRecordCount << '\n'
            << "torn bits: " << tornBits << '\n'
            << "torn bits restored: " << (h.tornBitsRestored ? "yes" : "no") << '\n';
  const RecordOptions options = RowRecordOptions(args);
  const ByteView bytes(page->bytes.data(), page->bytes.size());
  if (h.pageType == kBootPageType) PrintBootPage(std::cout, bytes);
  if (h.pageType == kIamPageType) PrintIamPage(std::cout, bytes, *in.db);
  const PrimaryRecordPage records(*page, in.db.get(), options);
  // A data page shows its values as the table that owns it renders them.
  std::optional<PageRows> rows;
  if (h.pageType == kDataPageType && !args.Has("--no-values")) {
    if (const ScanSnapshot scan = OpenDatabaseOf(args)) rows = ReadRowsOfPage(scan, id);
    std::cout << "table: " << (rows ? rows->tableName : std::string("none found in the catalog"))
              << '\n';
  }
  if (h.pageType == kFileHeaderPageType) PrintFileHeaderPage(std::cout, records);
  PrintRecords(std::cout, records, rows ? &*rows : nullptr);
  return kExitOk;
}

}  // namespace tessaril::cli
