#include "damage/damage_report.h"

#include <algorithm>
#include <array>
#include <set>

#include "damage/page_examination.h"
#include "damage/page_links.h"
#include "damage/tables_at_risk.h"
#include "storage/pfs.h"

namespace tessaril {

const char* DamageKindName(DamageKind kind) {
  switch (kind) {
    case DamageKind::kChecksumFailed:
      return "checksum";
    case DamageKind::kTornPage:
      return "torn page";
    case DamageKind::kImpossibleHeader:
      return "impossible header";
    case DamageKind::kSlotArray:
      return "slot array";
    case DamageKind::kBrokenPageChain:
      return "page chain";
    case DamageKind::kBrokenIamLink:
      return "IAM link";
    case DamageKind::kBrokenLobLink:
      return "large-value link";
  }
  return "damage";
}

namespace {

// The files to read: the primary file, then every secondary file opened.
std::vector<std::pair<std::uint16_t, std::uint64_t>> FilesToRead(const DatabaseFile& db) {
  std::vector<std::pair<std::uint16_t, std::uint64_t>> files{{1, db.pageCount()}};
  for (const auto& [fileId, row] : db.secondaryFiles()) {
    if (fileId > 1 && !row.path.empty()) files.emplace_back(fileId, row.pageCount);
  }
  return files;
}

class DamageCheck {
 public:
  DamageCheck(const DatabaseFile& db, DamageReport& report)
      : report_(report), pfs_(db), files_(PageCountsOf(db)) {}

  void Page(PageId where, std::span<std::uint8_t, kPageSize> bytes);
  void Finish() {
    for (PageFinding& f : links_.Check()) report_.damage.push_back(std::move(f));
  }

 private:
  DamageReport& report_;
  PfsReader pfs_;
  FilePageCounts files_;
  PageLinks links_;
};

void DamageCheck::Page(PageId where, std::span<std::uint8_t, kPageSize> bytes) {
  ++report_.pagesRead;
  PageExamination page = ExaminePage(bytes, where);
  if (page.zero) {
    ++report_.zeroPages;
    return;
  }
  if (page.notAPage) {
    report_.information.push_back({where, *page.notAPage});
    return;
  }
  report_.checksumPages += page.checksumProtected;
  report_.tornBitPages += page.tornBitProtected;
  const CPage_Header& h = page.header;
  if (h.pageType == kIamPageType) {
    for (PageFinding& f : PageLinks::CheckIamPage({bytes.data(), bytes.size()}, h, files_)) {
      page.faults.emplace_back(f.kind, std::move(f.detail));
    }
  }
  // A page no allocation map holds keeps whatever was there before: its
  // faults are no damage to the database. An unreadable map trusts the page.
  const bool allocated = pfs_.IsAllocated(where).value_or(true);
  if (allocated) {
    links_.Add(h);
    links_.AddLobLinks(h, page.lobTargets);
  }
  for (auto& [kind, detail] : page.faults) {
    if (allocated) {
      const std::size_t rows = h.pageType == kDataPageType ? page.consistentSlots : 0;
      report_.damage.push_back({where, kind, static_cast<std::uint8_t>(h.pageType),
                                h.allocationUnitId(), std::move(detail), rows});
    } else {
      report_.information.push_back(
          {where, std::string("unallocated page, ") + DamageKindName(kind) + ": " + detail});
    }
  }
}

}  // namespace

DamageReport CheckForDamage(const DatabaseFile& db, const Catalog& catalog, ProgressSink& progress,
                            const StopFlag& stop) {
  DamageReport report;
  report.missingPages = db.missingPageCount();
  const auto files = FilesToRead(db);
  std::uint64_t total = 0;
  for (const auto& [fileId, count] : files) total += count;
  progress.ProgressRange(0, total);
  ProgressStepper stepper(progress, total);
  DamageCheck check(db, report);
  std::array<std::uint8_t, kPageSize> bytes{};
  std::uint64_t done = 0;
  for (const auto& [fileId, count] : files) {
    for (std::uint64_t n = 0; n < count && !report.stopped; ++n) {
      if (stop.requested()) {
        report.stopped = true;
        break;
      }
      const PageId where{fileId, static_cast<std::int32_t>(n)};
      if (db.ReadStoredPageInto(where, bytes)) check.Page(where, bytes);
      stepper.At(++done);
    }
  }
  check.Finish();
  std::sort(report.damage.begin(), report.damage.end(),
            [](const PageFinding& a, const PageFinding& b) { return a.page < b.page; });
  report.tables = TablesAtRisk(report.damage, catalog);
  progress.ProgressPos(total);
  return report;
}

}  // namespace tessaril
