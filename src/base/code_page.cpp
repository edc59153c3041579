#include "base/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <string_view>

#include "base/unicode.h"

namespace tessaril {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);  // iconv_open's failure value

bool IsDoubleByte(std::uint32_t codePage) {
  return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

std::string IconvName(std::uint32_t codePage) { return "CP" + std::to_string(codePage); }

// Converts one byte through iconv; U+FFFD when the code page leaves it undefined.
char32_t DecodeSingleByte(iconv_t cd, std::uint8_t byte) {
  char in[1] = {static_cast<char>(byte)};
  char32_t out[2] = {};
  char* inPtr = in;
  char* outPtr = reinterpret_cast<char*>(out);
  std::size_t inLeft = 1;
  std::size_t outLeft = sizeof(out);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  const bool converted = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  // Converters of code pages with combining marks (1255, 1258) hold a base
  // letter back until they see what follows; flushing releases it.
  iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
  if (!converted || outLeft != sizeof(out) - sizeof(char32_t)) {
    return byte >= 0x80 && byte <= 0x9F ? char32_t{byte} : kReplacement;
  }
  return out[0];
}

}  // namespace

struct CodePageDecoder::Iconv {
  iconv_t cd = kNoIconv;
  ~Iconv() {
    if (cd != kNoIconv) iconv_close(cd);
  }
};

bool IsKnownCodePage(std::uint32_t codePage) {
  switch (codePage) {
    case 437:
    case 850:
    case 874:
    case 932:
    case 936:
    case 949:
    case 950:
    case kUtf8CodePage:
      return true;
    default:
      return codePage >= 1250 && codePage <= 1258;
  }
}

std::uint32_t EffectiveCodePage(std::uint32_t codePage) {
  return IsKnownCodePage(codePage) ? codePage : kDefaultCodePage;
}

CodePageDecoder::CodePageDecoder(std::uint32_t codePage) : codePage_(EffectiveCodePage(codePage)) {
  if (codePage_ == kUtf8CodePage) return;
  iconv_t cd = iconv_open("UTF-32LE", IconvName(codePage_).c_str());
  if (IsDoubleByte(codePage_) && cd != kNoIconv) {
    iconv_ = std::make_unique<Iconv>();
    iconv_->cd = cd;
    return;
  }
  for (std::size_t b = 0; b < table_.size(); ++b) {
    table_[b] = cd == kNoIconv ? (b < 0x80 ? char32_t(b) : kReplacement)
                               : DecodeSingleByte(cd, static_cast<std::uint8_t>(b));
  }
  if (cd != kNoIconv) iconv_close(cd);
}

CodePageDecoder::~CodePageDecoder() = default;
CodePageDecoder::CodePageDecoder(CodePageDecoder&&) noexcept = default;
CodePageDecoder& CodePageDecoder::operator=(CodePageDecoder&&) noexcept = default;

std::string CodePageDecoder::ToUtf8(ByteView bytes) const {
  std::string out;
  out.reserve(bytes.size());
  if (codePage_ == kUtf8CodePage) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    for (std::size_t pos = 0; pos < text.size();) AppendUtf8(out, NextUtf8(text, pos));
    return out;
  }
  if (!iconv_) {
    for (std::uint8_t b : bytes.span()) AppendUtf8(out, table_[b]);
    return out;
  }
  // Double-byte: convert in runs, replacing each undecodable byte.
  iconv(iconv_->cd, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
  std::size_t inLeft = bytes.size();
  char32_t buffer[256];
  while (inLeft > 0) {
    char* outPtr = reinterpret_cast<char*>(buffer);
    std::size_t outLeft = sizeof(buffer);
    const std::size_t rc = iconv(iconv_->cd, &in, &inLeft, &outPtr, &outLeft);
    const int error = rc == static_cast<std::size_t>(-1) ? errno : 0;
    const std::size_t produced = (sizeof(buffer) - outLeft) / sizeof(char32_t);
    for (std::size_t i = 0; i < produced; ++i) AppendUtf8(out, buffer[i]);
    if (error == EILSEQ || error == EINVAL) {
      AppendUtf8(out, kReplacement);
      ++in;
      --inLeft;
      iconv(iconv_->cd, nullptr, nullptr, nullptr, nullptr);
    } else if (error != 0 && error != E2BIG) {
      break;
    }
  }
  return out;
}

std::string CodePageToUtf8(ByteView bytes, std::uint32_t codePage) {
  return CodePageDecoder(codePage).ToUtf8(bytes);
}

}  // namespace tessaril
