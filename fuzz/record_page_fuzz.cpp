// Fuzz target for record pages: the input is a page (shorter inputs are
// zero-padded). Every slot is decoded with ghosts shown and free space carved,
// and every record a slot yields is read back through its byte ranges.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "records/record_page.h"

namespace {

using namespace tessaril;

// Reads every range a record hands out; a range outside its bytes is a bug.
void Touch(const CRecord& r) {
  const auto check = [&](ByteView v) {
    if (!v.empty() && (v.data() < r.bytes().data() ||
                       v.data() + v.size() > r.bytes().data() + r.bytes().size())) {
      std::abort();
    }
  };
  check(r.fixedData());
  check(r.nullBitmap());
  for (const RecordValue& v : r.values) check(r.ValueBytes(v));
  if (r.sparseVector) {
    for (const RecordValue& v : r.sparseVector->values) check(r.ValueBytes(v));
  }
  (void)r.IsNull(r.columnCount);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(kPageSize, 0);
  std::copy_n(data, std::min(size, kPageSize), bytes.begin());
  const CPage_Header header(bytes);
  RecordOptions options;
  options.showDeletedRecords = true;
  options.showAdvancedDeletedRecords = true;
  const PrimaryRecordPage page(HeaderedPage{header, bytes}, nullptr, options);
  for (const auto& record : page.records()) {
    if (record != nullptr) Touch(*record);
  }
  if (page.compression().anchorRecord) Touch(*page.compression().anchorRecord);
  // The same bytes read in the compressed layout, as an anchor record is.
  const PageContext context{ByteView(bytes.data(), bytes.size()), &header, nullptr};
  Touch(*DecodeCompressedRecord(context, kPageHeaderSize, kPageSize - kPageHeaderSize, options));
  return 0;
}
