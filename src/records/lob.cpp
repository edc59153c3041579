#include "records/lob.h"

namespace tessaril {
namespace {

constexpr std::size_t kTypeOffset = 8;
constexpr std::size_t kSmallRootLengthOffset = 10;
constexpr std::size_t kSmallRootDataOffset = 16;
constexpr std::size_t kMaxLinksOffset = 10;
constexpr std::size_t kCurrentLinksOffset = 12;
constexpr std::size_t kLevelOffset = 14;
constexpr std::size_t kInternalLinksOffset = 16;
constexpr std::size_t kInternalLinkLength = 16;
constexpr std::size_t kRootLinksOffset = 20;
constexpr std::size_t kRootLinkLength = 12;
constexpr std::size_t kInRowRootHeaderLength = 12;
constexpr std::size_t kTextPointerLength = 16;
constexpr std::size_t kTextPointerPageOffset = 8;

// A 12-byte link: 32-bit size, then page, file and slot.
LobLink RootLink(ByteView bytes, std::size_t at) {
  LobLink link;
  link.size = static_cast<std::int32_t>(LoadU32(bytes, at));
  link.target = {LoadPageId(bytes, at + 4), LoadU16(bytes, at + 10)};
  return link;
}

// A 16-byte link: 64-bit offset, then page, file and slot.
LobLink InternalLink(ByteView bytes, std::size_t at) {
  LobLink link;
  link.size = static_cast<std::int64_t>(LoadU64(bytes, at));
  link.target = {LoadPageId(bytes, at + 8), LoadU16(bytes, at + 14)};
  return link;
}

// The current links of a node, as many of them as the structure holds.
template <typename Node>
std::optional<Node> DecodeNode(ByteView structure, std::size_t linksOffset, std::size_t linkLength,
                               LobLink (*readLink)(ByteView, std::size_t)) {
  if (!structure.Contains(0, linksOffset)) return std::nullopt;
  Node node;
  node.maxLinks = LoadU16(structure, kMaxLinksOffset);
  node.currentLinks = LoadU16(structure, kCurrentLinksOffset);
  node.level = LoadU16(structure, kLevelOffset);
  const std::size_t held = (structure.size() - linksOffset) / linkLength;
  const std::size_t count = node.currentLinks < held ? node.currentLinks : held;
  node.links.reserve(count);
  for (std::size_t k = 0; k < count; ++k) {
    node.links.push_back(readLink(structure, linksOffset + k * linkLength));
  }
  return node;
}

}  // namespace

std::uint16_t LobStructureTypeOf(ByteView structure) { return LoadU16(structure, kTypeOffset); }

std::optional<SmallRoot> SmallRoot::Decode(ByteView structure) {
  if (!structure.Contains(0, kSmallRootDataOffset)) return std::nullopt;
  const std::size_t length = LoadU16(structure, kSmallRootLengthOffset);
  if (!structure.Contains(kSmallRootDataOffset, length)) return std::nullopt;
  return SmallRoot{structure.Sub(kSmallRootDataOffset, length)};
}

std::optional<Internal> Internal::Decode(ByteView structure) {
  return DecodeNode<Internal>(structure, kInternalLinksOffset, kInternalLinkLength, InternalLink);
}

std::optional<LargeRootYukon> LargeRootYukon::Decode(ByteView structure) {
  return DecodeNode<LargeRootYukon>(structure, kRootLinksOffset, kRootLinkLength, RootLink);
}

std::optional<LobSData> LobSData::Decode(ByteView structure) {
  if (!structure.Contains(0, kLobStructureHeaderLength)) return std::nullopt;
  return LobSData{structure.Sub(kLobStructureHeaderLength)};
}

std::optional<std::vector<LobLink>> LinksOfStructure(ByteView structure) {
  switch (LobStructureTypeOf(structure)) {
    case kInternalType:
      if (auto node = Internal::Decode(structure)) return std::move(node->links);
      break;
    case kLargeRootShilohType:
    case kLargeRootYukonType:
    case kSuperLargeRootType:
      if (auto node = LargeRootYukon::Decode(structure)) return std::move(node->links);
      break;
    default:
      break;
  }
  return std::nullopt;
}

std::vector<LobLink> LinksOfInRowRoot(ByteView root) {
  std::vector<LobLink> links;
  for (std::size_t at = kInRowRootHeaderLength; root.Contains(at, kRootLinkLength);
       at += kRootLinkLength) {
    const LobLink link = RootLink(root, at);
    if (link.size > 0) links.push_back(link);
  }
  return links;
}

LobBytes LobReader::ReadLobRoot(ByteView root) {
  visited_.clear();
  LobBytes out;
  for (const LobLink& link : LinksOfInRowRoot(root)) {
    if (options_.stopRequested()) break;
    Follow(link.target, 1, out);
  }
  return out;
}

LobBytes LobReader::ReadTextPointer(ByteView pointer) {
  visited_.clear();
  LobBytes out;
  if (pointer.size() < kTextPointerLength) return out;
  Follow(
      {LoadPageId(pointer, kTextPointerPageOffset), LoadU16(pointer, kTextPointerPageOffset + 6)},
      1, out);
  return out;
}

void LobReader::Follow(RecordId target, int depth, LobBytes& out) {
  if (depth > kMaxLobDepth || options_.stopRequested()) return;
  if (!visited_.insert(target).second) return;  // a loop in a damaged tree
  const TextMixPage* page = Page(target.page);
  const TextRecord* record = page != nullptr ? page->Record(target.slot) : nullptr;
  if (record != nullptr) LobText(*record, depth, out);
}

// Appends the bytes of one structure and of every structure below it.
void LobReader::LobText(const TextRecord& record, int depth, LobBytes& out) {
  const ByteView structure = record.structure();
  if (structure.size() < static_cast<std::size_t>(kLobStructureHeaderLength)) return;
  switch (LobStructureTypeOf(structure)) {
    case kSmallRootType:
      if (const auto root = SmallRoot::Decode(structure)) {
        out.bytes.insert(out.bytes.end(), root->data.data(), root->data.data() + root->data.size());
        out.reached = true;
      }
      return;
    case kDataType:
      if (const auto data = LobSData::Decode(structure)) {
        out.bytes.insert(out.bytes.end(), data->data.data(), data->data.data() + data->data.size());
        out.reached = true;
      }
      return;
    default:
      break;
  }
  const std::optional<std::vector<LobLink>> links = LinksOfStructure(structure);
  if (!links) return;
  out.reached = true;
  for (const LobLink& link : *links) {
    // The page cache may be replaced while a child is read; the links were
    // copied out of the record first.
    Follow(link.target, depth + 1, out);
  }
}

const TextMixPage* LobReader::Page(PageId id) {
  if (pageId_ != id) {
    page_ = ReadTextPage(db_, id, options_);
    pageId_ = id;
  }
  return page_ ? &*page_ : nullptr;
}

}  // namespace tessaril
