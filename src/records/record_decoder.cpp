#include "records/record_decoder.h"

#include <algorithm>

#include "records/compressed_layout.h"
#include "records/compression_info.h"
#include "records/record_page.h"
#include "storage/database_file.h"

namespace tessaril {
namespace {

constexpr std::size_t kStubTargetPage = 1;
constexpr std::size_t kStubTargetFile = 5;
constexpr std::size_t kStubTargetSlot = 7;
constexpr std::size_t kFixedEndOffset = 2;
constexpr std::size_t kFixedDataOffset = kRecordHeaderLength;
constexpr std::uint8_t kMaxPageType = 17;
constexpr std::size_t kBackPointerLength = 10;

// Decodes a FixedVar record over rec (the record's bytes, at most maxLength).
// Ranges set are relative to rec; extent grows to the end of everything kept.
class FixedVarDecoder {
 public:
  FixedVarDecoder(CPrimaryRecord& r, ByteView rec, const RecordOptions& options, bool probe)
      : r_(r), rec_(rec), options_(options), probe_(probe) {}

  void Run();
  std::size_t extent() const { return extent_; }

 private:
  void Keep(std::size_t end) { extent_ = std::max(extent_, end); }
  void DecodeVariableColumns(std::size_t& pos);

  CPrimaryRecord& r_;
  ByteView rec_;
  const RecordOptions& options_;
  bool probe_;
  std::size_t extent_ = 0;
};

void FixedVarDecoder::Run() {
  const std::size_t maxLength = rec_.size();
  std::size_t pos = kFixedDataOffset;
  const auto fixedLength = static_cast<std::int16_t>(
      static_cast<std::int16_t>(LoadU16(rec_, kFixedEndOffset)) - kRecordHeaderLength);
  r_.fixedLength = fixedLength;
  if (fixedLength > 0 && fixedLength < kMaxRecordLength &&
      rec_.Contains(kFixedDataOffset, static_cast<std::size_t>(fixedLength))) {
    r_.fixed_ = {static_cast<std::uint16_t>(kFixedDataOffset),
                 static_cast<std::uint16_t>(fixedLength)};
    pos += static_cast<std::size_t>(fixedLength);
    Keep(pos);
  } else {
    r_.fixedLength = 0;
  }
  const bool hasFixedData = r_.fixed_.length > 0;
  if (!rec_.Contains(pos, 2)) {
    r_.isInvalid = true;  // the column count lies past what can be read
    return;
  }
  r_.columnCount = static_cast<std::int16_t>(LoadU16(rec_, pos));
  if (r_.columnCount <= 0 || r_.columnCount >= kMaxColumns) return;
  pos += 2;
  if (r_.hasNullBitmap) {
    const std::size_t bitmapLength = (static_cast<std::size_t>(r_.columnCount) + 7) / 8;
    if (!rec_.Contains(pos, bitmapLength)) {
      r_.isInvalid = true;
      return;
    }
    r_.nullBitmap_ = {static_cast<std::uint16_t>(pos), static_cast<std::uint16_t>(bitmapLength)};
    pos += bitmapLength;
    Keep(pos);
  }
  if (r_.hasVariableColumns) {
    if (!hasFixedData && !r_.hasNullBitmap) {
      r_.variableCount = r_.columnCount;
    } else {
      if (pos + 2 <= maxLength) r_.variableCount = static_cast<std::int16_t>(LoadU16(rec_, pos));
      pos += 2;
    }
    DecodeVariableColumns(pos);
  }
  r_.recordLength = static_cast<std::int32_t>(pos);
  if (r_.recordLength > 0 && static_cast<std::size_t>(r_.recordLength) <= maxLength) {
    r_.hasRaw_ = true;
    Keep(pos);
  }
}

void FixedVarDecoder::DecodeVariableColumns(std::size_t& pos) {
  const std::size_t maxLength = rec_.size();
  // A forwarded record carries one more variable column than it has columns:
  // the back pointer to its stub.
  const bool oneExtra = r_.variableCount == r_.columnCount + 1;
  if (r_.columnCount - r_.variableCount < 0 && !oneExtra) {
    r_.variableCount = 0;
    pos = 0;
    return;
  }
  if (r_.variableCount <= 0 || r_.variableCount >= kMaxColumns) return;
  for (int i = 0; i < r_.variableCount; ++i) {
    r_.variableEnds.push_back(pos + 2 <= maxLength ? LoadU16(rec_, pos) : 0);
    pos += 2;
  }
  for (std::uint16_t& stored : r_.variableEnds) {
    if (options_.stopRequested()) break;
    RecordValue value;
    value.complex = (stored & 0x8000) != 0;
    stored &= 0x7FFF;
    const std::size_t end = stored;
    const std::size_t start = pos;
    // End offsets never decrease and never leave the page: a record whose
    // offsets do is damaged, and no row is made of it.
    if (end < start || end > maxLength) r_.isInvalid = true;
    if (end >= start) {
      value.length = static_cast<std::int32_t>(end - start);
      const bool rejected = end > maxLength || end >= kPageSize || end - start >= kPageSize ||
                            value.length == 0 || start < 1 || start >= kPageSize;
      if (!rejected) {
        value.hasData = true;
        value.data = {static_cast<std::uint16_t>(start), static_cast<std::uint16_t>(value.length)};
        pos = end;
        Keep(end);
        const ByteView bytes = rec_.Sub(start, end - start);
        if (value.complex && value.length != 16 && ComplexId(bytes) == kSparseVectorComplexId &&
            !probe_) {
          r_.sparseVector = DecodeSparseVector(bytes, static_cast<std::uint16_t>(start), options_);
        }
      }
    }
    r_.values.push_back(value);
  }
  const bool dropped = (oneExtra || r_.recordType == kForwardedRecord) && TakeBackPointer(r_, rec_);
  if (oneExtra && !dropped) {
    // One value more than columns and no back pointer: the counts do not fit.
    r_.values.clear();
    r_.variableEnds.clear();
    r_.sparseVector.reset();
    r_.variableCount = 0;
    pos = 0;
  }
}

// Status byte A and the page check shared by every decoder. Returns false
// when the record is invalid at once.
bool CommonStart(CPrimaryRecord& r, const PageContext& context, std::uint8_t statusA) {
  r.statusA = statusA;
  r.isCompressed = (statusA & 0x01) != 0;
  r.recordType = (statusA >> 1) & 0x07;
  r.hasNullBitmap = (statusA & 0x10) != 0;
  r.hasVariableColumns = (statusA & 0x20) != 0;
  r.hasVersionTag = (statusA & 0x40) != 0;
  if (context.header == nullptr || context.header->pageId.pageNumber < 0 ||
      context.header->pageType > kMaxPageType) {
    r.isInvalid = true;
    return false;
  }
  return true;
}

bool TypeAccepted(std::int32_t type, const RecordOptions& options) {
  return type == kPrimaryRecord || type == kForwardedRecord || type == kForwardingStub ||
         (type == kGhostDataRecord && options.showDeletedRecords);
}

void SetGhost(CRecord& r, const RecordOptions& options) {
  r.isGhost = !options.showDeletedRecords &&
              (r.recordType == kGhostIndexRecord || r.recordType == kGhostDataRecord ||
               r.recordType == kGhostVersionRecord);
}

void CopyBytes(CRecord& r, ByteView rec, std::size_t extent) {
  const ByteView kept = rec.Sub(0, extent);
  r.bytes_.assign(kept.data(), kept.data() + kept.size());
}

// The target of a stub is read without carving; its own stubs are not followed.
RecordOptions TargetOptions(const RecordOptions& options) {
  RecordOptions target = options;
  target.showAdvancedDeletedRecords = false;
  return target;
}

// Follows a forwarding stub one hop. The stub takes the forwarded record's
// data; a target that cannot be read leaves fixedLength kUnreadableStubTarget; a target that is
// not a forwarded record makes the stub invalid.
void FollowStub(CPrimaryRecord& stub, ByteView rec, const PageContext& context,
                const RecordOptions& options) {
  const RecordId target{
      {LoadU16(rec, kStubTargetFile), static_cast<std::int32_t>(LoadU32(rec, kStubTargetPage))},
      LoadU16(rec, kStubTargetSlot)};
  stub.forwardedTo = target;
  CopyBytes(stub, rec, std::min<std::size_t>(rec.size(), kForwardingStubLength));
  std::unique_ptr<CPrimaryRecord> found;
  if (context.file != nullptr && rec.size() >= kForwardingStubLength) {
    if (auto page = context.file->ReadPage(target.page)) {
      PrimaryRecordPage targetPage(std::move(*page), context.file, TargetOptions(options),
                                   target.slot);
      found = targetPage.TakeRecord(0);
      if (found && found->isCompressed) {
        const PageContext targetContext{targetPage.bytes(), &targetPage.header(), context.file};
        found->ownPageCompression = std::make_shared<const CompressionInfo>(
            ReadCompressionInfo(targetContext, TargetOptions(options)));
      }
    }
  }
  if (!found || found->recordLength < 1 || found->rawRecord().empty()) {
    stub.fixedLength = kUnreadableStubTarget;
    return;
  }
  if (found->recordType != kForwardedRecord) {
    stub.isInvalid = true;
    return;
  }
  const RecordId stubId = stub.id;
  const std::uint16_t stubOffset = stub.pageOffset;
  static_cast<CPrimaryRecord&>(stub) = std::move(*found);
  stub.id = stubId;
  stub.pageOffset = stubOffset;
  stub.recordType = kForwardingStub;
  stub.forwardedTo = target;
}

}  // namespace

bool TakeBackPointer(CRecord& r, ByteView rec) {
  if (r.values.empty()) return false;
  const RecordValue& last = r.values.back();
  const ByteView bytes = rec.Sub(last.data.offset, last.data.length);
  const std::uint16_t id = ComplexId(bytes);
  if (!last.hasData || !last.complex || bytes.size() != kBackPointerLength ||
      (id != kBackPointerComplexId && id != kInRowLobRootComplexId)) {
    return false;
  }
  r.backPointer = RecordId{{LoadU16(bytes, 6), static_cast<std::int32_t>(LoadU32(bytes, 2))},
                           LoadU16(bytes, 8)};
  r.values.pop_back();
  if (!r.variableEnds.empty()) r.variableEnds.pop_back();
  if (!r.longEntries.empty()) r.longEntries.pop_back();
  r.variableCount = static_cast<std::int16_t>(r.variableCount - 1);
  return true;
}

std::uint16_t ComplexId(ByteView value) {
  const std::uint8_t first = value.At(0);
  return first != 0 ? first : LoadU16(value, 0);
}

std::unique_ptr<CPrimaryRecord> DecodeRecord(const PageContext& context, std::size_t offset,
                                             std::size_t maxLength, const RecordOptions& options,
                                             bool followStubs) {
  auto r = std::make_unique<CPrimaryRecord>();
  const ByteView rec = context.page.Sub(offset, maxLength);
  r->pageOffset = static_cast<std::uint16_t>(offset);
  r->maxLength = static_cast<std::uint16_t>(rec.size());
  r->statusB = rec.At(1);
  if (!CommonStart(*r, context, rec.At(0))) return r;
  if (r->isCompressed) ApplyCompressedStatus(*r, rec.At(0));
  SetGhost(*r, options);
  if (!TypeAccepted(r->recordType, options)) {
    r->isInvalid = true;
    return r;
  }
  if (r->isCompressed && r->recordType != kForwardingStub) {
    DecodeCompressedLayout(*r, rec, options);
    return r;
  }
  if (r->recordType == kForwardingStub) {
    if (followStubs) {
      FollowStub(*r, rec, context, options);
    } else {
      r->forwardedTo = RecordId{
          {LoadU16(rec, kStubTargetFile), static_cast<std::int32_t>(LoadU32(rec, kStubTargetPage))},
          LoadU16(rec, kStubTargetSlot)};
      r->recordLength =
          static_cast<std::int32_t>(std::min<std::size_t>(rec.size(), kForwardingStubLength));
      r->hasRaw_ = true;
      CopyBytes(*r, rec, static_cast<std::size_t>(r->recordLength));
    }
    return r;
  }
  FixedVarDecoder decoder(*r, rec, options, false);
  decoder.Run();
  CopyBytes(*r, rec, decoder.extent());
  return r;
}

std::unique_ptr<CPrimaryRecord> DecodeCompressedRecord(const PageContext& context,
                                                       std::size_t offset, std::size_t maxLength,
                                                       const RecordOptions& options) {
  auto r = std::make_unique<CPrimaryRecord>();
  const ByteView rec = context.page.Sub(offset, maxLength);
  r->pageOffset = static_cast<std::uint16_t>(offset);
  r->maxLength = static_cast<std::uint16_t>(rec.size());
  CommonStart(*r, context, rec.At(0));
  r->isInvalid = false;
  ApplyCompressedStatus(*r, rec.At(0));
  DecodeCompressedLayout(*r, rec, options);
  return r;
}

std::int32_t ProbeRecord(const PageContext& context, std::size_t offset,
                         const RecordOptions& options) {
  CPrimaryRecord r;
  const ByteView rec = context.page.Sub(offset, kMaxRecordLength);
  if (!CommonStart(r, context, rec.At(0)) || r.isCompressed ||
      !TypeAccepted(r.recordType, options) || r.recordType == kForwardingStub) {
    return -1;
  }
  FixedVarDecoder decoder(r, rec, options, true);
  decoder.Run();
  if (r.isInvalid || r.columnCount <= 0 || r.columnCount >= kMaxColumns) return -1;
  return r.recordLength;
}

std::optional<SparseColumnVector> DecodeSparseVector(ByteView value, std::uint16_t base,
                                                     const RecordOptions& options) {
  const std::uint16_t count = LoadU16(value, 2);
  const std::size_t idStart = 4;
  const auto endStart = static_cast<std::uint16_t>(4 + 2 * count);
  const auto dataStart = static_cast<std::uint16_t>(4 + 4 * count);
  if (endStart >= kPageSize || dataStart >= kPageSize || value.size() <= 4 ||
      endStart >= value.size()) {
    return std::nullopt;
  }
  SparseColumnVector vector;
  vector.count = static_cast<std::int16_t>(count);
  std::size_t start = dataStart;
  for (std::size_t k = 0; k < count; ++k) {
    if (options.stopRequested()) break;
    RecordValue entry;
    entry.id = LoadU16(value, idStart + 2 * k);
    const std::size_t end = LoadU16(value, endStart + 2 * k);
    entry.length = static_cast<std::int32_t>(end) - static_cast<std::int32_t>(start);
    if (entry.length > 0 && entry.length <= kMaxRecordLength && start < kMaxRecordLength &&
        end <= value.size()) {
      entry.hasData = true;
      entry.data = {static_cast<std::uint16_t>(base + start),
                    static_cast<std::uint16_t>(entry.length)};
    }
    vector.values.push_back(entry);
    start = end;
  }
  return vector;
}

}  // namespace tessaril
