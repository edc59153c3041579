#include "testing/record_builder.h"

#include <stdexcept>

namespace tessaril::testing {
namespace {

void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
  b.at(at) = static_cast<std::uint8_t>(v);
  b.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}

void Append16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (std::size_t i = 0; i < 4; ++i) b.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

Bytes Hex(const std::string& hex) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return out;
}

Bytes FixedVarRecord(std::uint8_t status, const Bytes& fixed, std::uint16_t columnCount,
                     const Bytes& nullBitmap, const std::vector<VarValue>& values) {
  Bytes r = {status, 0};
  Append16(r, static_cast<std::uint32_t>(4 + fixed.size()));
  r.insert(r.end(), fixed.begin(), fixed.end());
  Append16(r, columnCount);
  if ((status & 0x10) != 0) r.insert(r.end(), nullBitmap.begin(), nullBitmap.end());
  if ((status & 0x20) != 0) {
    Append16(r, static_cast<std::uint32_t>(values.size()));
    std::size_t end = r.size() + 2 * values.size();
    for (const VarValue& v : values) {
      end += v.bytes.size();
      Append16(r, static_cast<std::uint32_t>(end) | (v.complex ? 0x8000u : 0u));
    }
    for (const VarValue& v : values) r.insert(r.end(), v.bytes.begin(), v.bytes.end());
  }
  return r;
}

Bytes CompressedRecord(std::uint8_t status, const std::vector<std::uint8_t>& codes,
                       const Bytes& shortData, const std::vector<VarValue>& longValues) {
  const std::size_t count = codes.size();
  const std::size_t clusters = count == 0 ? 0 : (count - 1) / 30;
  Bytes r = {static_cast<std::uint8_t>(status | (longValues.empty() ? 0 : 0x20))};
  if (count > 127) r.push_back(static_cast<std::uint8_t>(0x80 | count >> 8));
  r.push_back(static_cast<std::uint8_t>(count & 0xFF));
  for (std::size_t i = 0; i < count; i += 2) {
    const std::uint8_t high = i + 1 < count ? codes[i + 1] : 0;
    r.push_back(static_cast<std::uint8_t>((codes[i] & 0x0F) | high << 4));
  }
  r.insert(r.end(), clusters, 0);
  r.insert(r.end(), shortData.begin(), shortData.end());
  if (longValues.empty()) return r;
  r.push_back(0x01);
  Append16(r, static_cast<std::uint32_t>(longValues.size()));
  std::size_t end = 0;
  for (const VarValue& v : longValues) {
    end += v.bytes.size();
    Append16(r, static_cast<std::uint32_t>(end) | (v.complex ? 0x8000u : 0u));
  }
  r.insert(r.end(), clusters, 0);
  for (const VarValue& v : longValues) r.insert(r.end(), v.bytes.begin(), v.bytes.end());
  return r;
}

Bytes CompressionInfoBytes(const Bytes& anchorRecord, const std::vector<Bytes>& dictionary) {
  // Without a dictionary the header has no dictionary offset and the anchor
  // record follows the size.
  const bool withDictionary = !dictionary.empty();
  Bytes ci = {static_cast<std::uint8_t>(withDictionary ? 0x06 : 0x02), 0, 0, 0, 0};
  if (withDictionary) ci.insert(ci.end(), {0, 0});
  ci.insert(ci.end(), anchorRecord.begin(), anchorRecord.end());
  if (withDictionary) {
    const std::size_t start = ci.size();
    Put16(ci, 3, static_cast<std::uint32_t>(start));
    Append16(ci, static_cast<std::uint32_t>(dictionary.size()));
    std::size_t end = 2 + 2 * dictionary.size();
    for (const Bytes& entry : dictionary) {
      end += entry.size();
      Append16(ci, static_cast<std::uint32_t>(end));
    }
    for (const Bytes& entry : dictionary) ci.insert(ci.end(), entry.begin(), entry.end());
  }
  Put16(ci, withDictionary ? 5 : 3, static_cast<std::uint32_t>(ci.size()));
  return ci;
}

Bytes StubRecord(std::uint16_t file, std::int32_t page, std::uint16_t slot) {
  Bytes r(9, 0);
  r[0] = 0x04;
  Put32(r, 1, static_cast<std::uint32_t>(page));
  Put16(r, 5, file);
  Put16(r, 7, slot);
  return r;
}

Bytes TextRecordOf(const Bytes& structure) {
  Bytes r = {0x08, 0};
  Append16(r, static_cast<std::uint32_t>(4 + structure.size()));
  r.insert(r.end(), structure.begin(), structure.end());
  return r;
}

Bytes LobStructure(std::uint16_t type, const Bytes& body) {
  Bytes s = {0x11, 0x22, 0x33, 0x44, 0, 0, 0, 0};  // blob id
  Append16(s, type);
  s.insert(s.end(), body.begin(), body.end());
  return s;
}

Bytes LobSmallRoot(const Bytes& data) {
  Bytes body;
  Append16(body, static_cast<std::uint32_t>(data.size()));
  body.insert(body.end(), 4, 0);
  body.insert(body.end(), data.begin(), data.end());
  return LobStructure(0, body);
}

Bytes LobDataStructure(const Bytes& data) { return LobStructure(3, data); }

namespace {

// maxLinks, currentLinks, level, then the links.
Bytes NodeBody(std::size_t links, std::size_t gap) {
  Bytes body;
  Append16(body, static_cast<std::uint32_t>(links));
  Append16(body, static_cast<std::uint32_t>(links));
  Append16(body, 0);
  body.insert(body.end(), gap, 0);
  return body;
}

void AppendLink(Bytes& b, const LobLinkTo& link) {
  b.insert(b.end(), 4, 0);
  Put32(b, b.size() - 4, static_cast<std::uint32_t>(link.page));
  Append16(b, link.file);
  Append16(b, link.slot);
}

}  // namespace

Bytes LobInternal(const std::vector<LobLinkTo>& links) {
  Bytes body = NodeBody(links.size(), 0);
  std::uint64_t offset = 0;
  for (const LobLinkTo& link : links) {
    offset += link.size;
    for (std::size_t i = 0; i < 8; ++i)
      body.push_back(static_cast<std::uint8_t>(offset >> (8 * i)));
    AppendLink(body, link);
  }
  return LobStructure(2, body);
}

Bytes LobLargeRoot(const std::vector<LobLinkTo>& links, std::uint16_t type) {
  Bytes body = NodeBody(links.size(), 4);
  for (const LobLinkTo& link : links) {
    body.insert(body.end(), 4, 0);
    Put32(body, body.size() - 4, link.size);
    AppendLink(body, link);
  }
  return LobStructure(type, body);
}

Bytes InRowLobRoot(std::uint8_t kind, const std::vector<LobLinkTo>& links) {
  Bytes root = {kind, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
  for (const LobLinkTo& link : links) {
    root.insert(root.end(), 4, 0);
    Put32(root, root.size() - 4, link.size);
    AppendLink(root, link);
  }
  return root;
}

Bytes TextPointer(std::uint16_t file, std::int32_t page, std::uint16_t slot) {
  Bytes pointer = {0, 0, 0x35, 0xF2, 0, 0, 0, 0};  // timestamp
  AppendLink(pointer, {file, page, slot, 0});
  return pointer;
}

HeaderedPage MakeRecordPage(const PageLayout& layout, const std::vector<PageRecord>& records,
                            const std::vector<std::uint16_t>& extraSlots) {
  Bytes page(kPageSize, 0);
  std::vector<std::uint16_t> slots;
  std::copy(layout.compressionInfo.begin(), layout.compressionInfo.end(),
            page.begin() + static_cast<std::ptrdiff_t>(kPageHeaderSize));
  std::size_t next = kPageHeaderSize + layout.compressionInfo.size();
  for (const PageRecord& rec : records) {
    const std::size_t at = rec.offset != 0 ? rec.offset : next;
    if (at + rec.bytes.size() > kPageSize) throw std::logic_error("record does not fit");
    std::copy(rec.bytes.begin(), rec.bytes.end(), page.begin() + static_cast<std::ptrdiff_t>(at));
    slots.push_back(static_cast<std::uint16_t>(at));
    next = at + rec.bytes.size();
  }
  slots.insert(slots.end(), extraSlots.begin(), extraSlots.end());
  const std::uint32_t slotCount = layout.slotCount >= 0
                                      ? static_cast<std::uint32_t>(layout.slotCount)
                                      : static_cast<std::uint32_t>(slots.size());
  for (std::size_t j = 0; j < slots.size(); ++j) Put16(page, kPageSize - 2 - 2 * j, slots[j]);
  page[0] = 1;
  page[1] = layout.type;
  page[2] = layout.typeFlagBits;
  page[3] = layout.level;
  Put16(page, 6, layout.indexId);
  Put32(page, 8, static_cast<std::uint32_t>(layout.prevPage.pageNumber));
  Put16(page, 12, layout.prevPage.fileId);
  Put16(page, 14, layout.minRecordLength);
  Put32(page, 16, static_cast<std::uint32_t>(layout.nextPage.pageNumber));
  Put16(page, 20, layout.nextPage.fileId);
  Put16(page, 22, slotCount);
  Put32(page, 24, static_cast<std::uint32_t>(layout.objectId));
  Put16(page, 30,
        static_cast<std::uint32_t>(
            layout.freeDataOffset >= 0 ? static_cast<std::size_t>(layout.freeDataOffset) : next));
  Put32(page, 32, static_cast<std::uint32_t>(layout.pageNumber));
  Put16(page, 36, layout.fileId);
  Put16(page, 58, layout.ghostRecordCount);
  CPage_Header header(page);
  return {header, std::move(page)};
}

Bytes MakeRecordFile(const std::vector<std::vector<PageRecord>>& pages, std::uint8_t pageType) {
  Bytes file;
  for (std::size_t n = 0; n < pages.size(); ++n) {
    PageLayout layout;
    layout.pageNumber = static_cast<std::int32_t>(n);
    layout.objectId = n == 0 ? 34 : 1977;
    layout.indexId = n == 0 ? 0 : 256;
    if (n != 0) layout.type = pageType;
    const HeaderedPage page = MakeRecordPage(layout, pages[n]);
    file.insert(file.end(), page.bytes.begin(), page.bytes.end());
  }
  return file;
}

}  // namespace tessaril::testing
