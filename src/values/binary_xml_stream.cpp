#include "values/binary_xml_stream.h"

#include <string_view>
#include <utility>

#include "base/unicode.h"

namespace tessaril {
namespace {

constexpr std::uint16_t kSignature = 0xFFDF;  // the bytes DF FF
constexpr std::uint16_t kUtf16CodePage = 1200;
constexpr int kFirstVersion = 1;
constexpr int kLastVersion = 2;

// mb32 takes at most 5 bytes, mb64 at most 10. Either way no count or index
// is larger than a signed 32-bit value; anything larger is damage.
constexpr int kMb32Bytes = 5;
constexpr int kMb64Bytes = 10;
constexpr std::uint64_t kMaxMultibyte = 0x7FFFFFFF;

constexpr std::string_view kXmlnsPrefix = "xmlns";

}  // namespace

BinaryXmlStream::BinaryXmlStream(ByteView bytes) : bytes_(bytes), cursor_(bytes) { FlushNames(); }

bool BinaryXmlStream::ReadHeader() {
  const std::uint16_t signature = cursor_.U16();
  const std::uint8_t version = cursor_.U8();
  const std::uint16_t codePage = cursor_.U16();
  if (signature != kSignature || version < kFirstVersion || version > kLastVersion ||
      codePage != kUtf16CodePage) {
    failed_ = true;
    return false;
  }
  version_ = version;
  return ok();
}

std::optional<std::uint8_t> BinaryXmlStream::Peek() {
  // Each table token consumes at least its own byte, so the loop ends.
  while (ok() && !AtEnd()) {
    const std::uint8_t token = bytes_.At(cursor_.position());
    switch (token) {
      case bxml::kNameDefinition:
      case bxml::kQNameDefinition:
      case bxml::kFlushNames:
      case bxml::kExtension:
        cursor_.Skip(1);
        ApplyTableToken(token);
        break;
      default:
        return token;
    }
  }
  return std::nullopt;
}

std::optional<std::uint8_t> BinaryXmlStream::Next() {
  const std::optional<std::uint8_t> token = Peek();
  if (token) cursor_.Skip(1);
  return token;
}

std::uint32_t BinaryXmlStream::Multibyte(int maxBytes) {
  // Seven bits a byte, the least significant group first; a set high bit
  // means another byte follows.
  std::uint64_t value = 0;
  for (int i = 0; i < maxBytes; ++i) {
    const std::uint8_t byte = cursor_.U8();
    if (!cursor_.ok()) return 0;
    const std::uint64_t group = byte & 0x7F;
    const int shift = 7 * i;
    if (group != 0 && shift > 31) break;  // beyond 31 bits: damage
    value |= group << shift;
    if (value > kMaxMultibyte) break;
    if ((byte & 0x80) == 0) return static_cast<std::uint32_t>(value);
  }
  failed_ = true;
  return 0;
}

std::uint32_t BinaryXmlStream::Mb32() { return Multibyte(kMb32Bytes); }
std::uint32_t BinaryXmlStream::Mb64() { return Multibyte(kMb64Bytes); }

std::string BinaryXmlStream::Text() {
  const std::uint64_t length = std::uint64_t{Mb32()} * 2;
  if (!ok()) return {};
  if (length > cursor_.remaining()) {
    // Cut short: keep the code units that are there.
    std::string present = Utf16LeToUtf8(cursor_.Bytes(cursor_.remaining()));
    failed_ = true;
    return present;
  }
  return Utf16LeToUtf8(cursor_.Bytes(static_cast<std::size_t>(length)));
}

const std::string* BinaryXmlStream::Name(std::uint32_t index) const {
  return index < names_.size() ? &names_[index] : nullptr;
}

const BinaryXmlQName* BinaryXmlStream::QName(std::uint32_t index) const {
  // Entry 0 of the qualified-name table is reserved and never defined.
  return index > 0 && index < qnames_.size() ? &qnames_[index] : nullptr;
}

void BinaryXmlStream::BeginNested() {
  saved_.push_back(Tables{std::move(names_), std::move(qnames_), version_});
  FlushNames();
}

bool BinaryXmlStream::EndNested() {
  if (saved_.empty()) return false;
  names_ = std::move(saved_.back().names);
  qnames_ = std::move(saved_.back().qnames);
  version_ = saved_.back().version;
  saved_.pop_back();
  return true;
}

void BinaryXmlStream::ApplyTableToken(std::uint8_t token) {
  switch (token) {
    case bxml::kNameDefinition: {
      std::string name = Text();
      if (ok()) names_.push_back(std::move(name));
      break;
    }
    case bxml::kQNameDefinition:
      DefineQName();
      break;
    case bxml::kFlushNames:
      FlushNames();
      break;
    case bxml::kExtension:  // data for other readers: skipped
      cursor_.Skip(Mb32());
      break;
    default:
      break;
  }
}

void BinaryXmlStream::DefineQName() {
  const std::uint32_t uriIndex = Mb32();
  const std::uint32_t prefixIndex = Mb32();
  const std::uint32_t localIndex = Mb32();
  const std::string* uri = Name(uriIndex);
  const std::string* prefix = Name(prefixIndex);
  const std::string* local = Name(localIndex);
  if (!ok() || uri == nullptr || prefix == nullptr || local == nullptr) {
    failed_ = true;
    return;
  }
  BinaryXmlQName qname;
  if (localIndex != 0) {
    qname.namespaceUri = *uri;
    qname.prefix = *prefix;
    qname.localName = *local;
    qname.qualified = prefix->empty() ? *local : *prefix + ":" + *local;
  } else if (uriIndex == 0 && prefixIndex == 0) {
    qname.names = false;
  } else {
    // A namespace declaration: the prefix string is "xmlns" for the default
    // namespace or "xmlns:p" for prefix p.
    const std::string_view text = *prefix;
    if (text == kXmlnsPrefix) {
      qname.declares = std::string();
    } else if (text.size() > kXmlnsPrefix.size() + 1 && text.starts_with(kXmlnsPrefix) &&
               text[kXmlnsPrefix.size()] == ':') {
      qname.declares = std::string(text.substr(kXmlnsPrefix.size() + 1));
    } else {
      failed_ = true;
      return;
    }
    qname.qualified = *prefix;
  }
  qnames_.push_back(std::move(qname));
}

void BinaryXmlStream::FlushNames() {
  names_.assign(1, std::string());      // name 0 is the empty string
  qnames_.assign(1, BinaryXmlQName{});  // qualified name 0 is reserved
  qnames_.front().names = false;
}

}  // namespace tessaril
