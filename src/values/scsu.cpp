#include "values/scsu.h"

#include <array>
#include <cstdint>

namespace tessaril {
namespace {

constexpr std::array<char32_t, 8> kStaticWindows = {0x0000, 0x0080, 0x0100, 0x0300,
                                                    0x2000, 0x2080, 0x2100, 0x3000};
constexpr std::array<char32_t, 8> kInitialDynamicWindows = {0x0080, 0x00C0, 0x0400, 0x0600,
                                                            0x0900, 0x3040, 0x30A0, 0xFF00};

// Single-byte mode tags.
constexpr std::uint8_t kSq0 = 0x01;  // 0x01-0x08: quote one character from window n
constexpr std::uint8_t kSq7 = 0x08;
constexpr std::uint8_t kSdx = 0x0B;  // define an extended (supplementary) window
constexpr std::uint8_t kSqu = 0x0E;  // quote one UTF-16 unit
constexpr std::uint8_t kScu = 0x0F;  // switch to Unicode mode
constexpr std::uint8_t kSc0 = 0x10;  // 0x10-0x17: change to window n
constexpr std::uint8_t kSd0 = 0x18;  // 0x18-0x1F: define window n and change to it
// Unicode mode tags.
constexpr std::uint8_t kUc0 = 0xE0;  // 0xE0-0xE7: change to window n, single-byte mode
constexpr std::uint8_t kUd0 = 0xE8;  // 0xE8-0xEF: define window n, single-byte mode
constexpr std::uint8_t kUqu = 0xF0;  // quote one UTF-16 unit
constexpr std::uint8_t kUdx = 0xF1;  // define an extended window, single-byte mode
constexpr std::uint8_t kUReserved = 0xF2;

// The offset a window-defining tag's argument byte names; reserved bytes
// name no window.
char32_t WindowOffset(std::uint8_t x) {
  if (x >= 0x01 && x <= 0x67) return char32_t{x} * 0x80;
  if (x >= 0x68 && x <= 0xA7) return char32_t{x} * 0x80 + 0xAC00;
  switch (x) {
    case 0xF9:
      return 0x00C0;
    case 0xFA:
      return 0x0250;
    case 0xFB:
      return 0x0370;
    case 0xFC:
      return 0x0530;
    case 0xFD:
      return 0x3040;
    case 0xFE:
      return 0x30A0;
    case 0xFF:
      return 0xFF60;
    default:
      return 0;
  }
}

class ScsuDecoder {
 public:
  explicit ScsuDecoder(ByteView bytes) : in_(bytes) {}

  std::u16string Run() {
    while (pos_ < in_.size()) {
      if (!(unicodeMode_ ? UnicodeStep() : SingleByteStep())) break;
    }
    return out_;
  }

 private:
  bool Has(std::size_t n) const { return pos_ + n <= in_.size(); }
  std::uint8_t Next() { return in_.At(pos_++); }

  void Emit(char32_t c) {
    if (c < 0x10000) {
      out_.push_back(static_cast<char16_t>(c));
    } else if (c <= 0x10FFFF) {
      const char32_t v = c - 0x10000;
      out_.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
      out_.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    }
  }

  // A window above the basic plane: three bits of window number, thirteen
  // of offset in units of 0x80 from U+10000.
  bool DefineExtended() {
    if (!Has(2)) return false;
    const std::uint8_t high = Next();
    const std::uint8_t low = Next();
    active_ = high >> 5;
    dynamic_[active_] = 0x10000 + 0x80 * ((char32_t{high} & 0x1F) << 8 | low);
    return true;
  }

  bool Define(std::size_t window) {
    if (!Has(1)) return false;
    const char32_t offset = WindowOffset(Next());
    if (offset == 0) return false;  // a reserved window: the rest cannot be read
    dynamic_[window] = offset;
    active_ = window;
    return true;
  }

  bool QuoteUnit() {
    if (!Has(2)) return false;
    const std::uint8_t high = Next();
    out_.push_back(static_cast<char16_t>(high << 8 | Next()));
    return true;
  }

  bool SingleByteStep() {
    const std::uint8_t b = Next();
    if (b >= 0x80) {
      Emit(dynamic_[active_] + b - 0x80);
    } else if (b >= 0x20 || b == 0x00 || b == 0x09 || b == 0x0A || b == 0x0D) {
      Emit(b);
    } else if (b >= kSq0 && b <= kSq7) {
      if (!Has(1)) return false;
      const std::uint8_t x = Next();
      const std::size_t n = b - kSq0;
      Emit(x < 0x80 ? kStaticWindows[n] + x : dynamic_[n] + x - 0x80);
    } else if (b == kSdx) {
      return DefineExtended();
    } else if (b == kSqu) {
      return QuoteUnit();
    } else if (b == kScu) {
      unicodeMode_ = true;
    } else if (b >= kSc0 && b < kSd0) {
      active_ = b - kSc0;
    } else if (b >= kSd0) {
      return Define(b - kSd0);
    }
    return true;  // 0x0C is reserved and skipped
  }

  bool UnicodeStep() {
    const std::uint8_t b = in_.At(pos_);
    if (b >= kUc0 && b < kUd0) {
      ++pos_;
      active_ = b - kUc0;
      unicodeMode_ = false;
      return true;
    }
    if (b >= kUd0 && b < kUqu) {
      ++pos_;
      unicodeMode_ = false;
      return Define(b - kUd0);
    }
    if (b == kUqu) {
      ++pos_;
      return QuoteUnit();
    }
    if (b == kUdx) {
      ++pos_;
      unicodeMode_ = false;
      return DefineExtended();
    }
    if (b == kUReserved) {
      ++pos_;
      return true;
    }
    return QuoteUnit();
  }

  ByteView in_;
  std::size_t pos_ = 0;
  bool unicodeMode_ = false;
  std::size_t active_ = 0;
  std::array<char32_t, 8> dynamic_ = kInitialDynamicWindows;
  std::u16string out_;
};

}  // namespace

std::u16string DecodeScsu(ByteView bytes) { return ScsuDecoder(bytes).Run(); }

}  // namespace tessaril
