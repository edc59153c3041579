#include "values/vardecimal.h"

#include <array>
#include <cstdint>

#include "values/text_forms.h"

namespace tessaril {
namespace {

constexpr int kExponentBias = 64;
constexpr int kBitsPerGroup = 10;
constexpr int kDigitsPerGroup = 3;
constexpr int kMaxGroupValue = 999;
constexpr int kMaxDigits = 38;
constexpr std::size_t kMagnitudeBytes = 16;

// The digits of the stored groups, most significant first.
bool GroupDigits(ByteView groups, std::string& digits) {
  const std::size_t bits = groups.size() * 8;
  for (std::size_t start = 0; start < bits; start += kBitsPerGroup) {
    int value = 0;
    for (std::size_t bit = start; bit < start + kBitsPerGroup; ++bit) {
      const int set = bit < bits ? (groups.At(bit / 8) >> (7 - bit % 8)) & 1 : 0;
      value = value << 1 | set;
    }
    if (value > kMaxGroupValue) return false;
    digits += static_cast<char>('0' + value / 100);
    digits += static_cast<char>('0' + value / 10 % 10);
    digits += static_cast<char>('0' + value % 10);
  }
  return true;
}

// The fixed decimal form of a value given as decimal digits: a sign byte
// (1 positive) and a 16-byte little-endian magnitude.
std::array<std::uint8_t, 1 + kMagnitudeBytes> FixedForm(bool negative, const std::string& digits) {
  std::array<std::uint8_t, 1 + kMagnitudeBytes> form{};
  form[0] = negative ? 0 : 1;
  for (char d : digits) {
    unsigned carry = static_cast<unsigned>(d - '0');
    for (std::size_t i = 1; i < form.size(); ++i) {
      const unsigned v = form[i] * 10u + carry;
      form[i] = static_cast<std::uint8_t>(v & 0xFF);
      carry = v >> 8;
    }
  }
  return form;
}

}  // namespace

std::string VarDecimalText(ByteView bytes, int precision, int scale) {
  if (scale < 0 || scale > kMaxDigits) return {};
  std::string digits;
  bool negative = false;
  if (!bytes.empty()) {
    negative = (bytes.At(0) & 0x80) == 0;
    const int exponent = (bytes.At(0) & 0x7F) - kExponentBias;
    std::string stored;
    if (!GroupDigits(bytes.Sub(1), stored)) return {};
    const std::size_t first = stored.find_first_not_of('0');
    if (first != std::string::npos) {
      // Digit i of `significant` stands for 10^(exponent - i); the value is
      // written as an integer count of 10^-scale.
      const std::string significant = stored.substr(first);
      const int kept = exponent + scale + 1;  // digits at or above 10^-scale
      if (kept <= 0) return {};
      const auto keptSize = static_cast<std::size_t>(kept);
      if (significant.size() > keptSize &&
          significant.find_first_not_of('0', keptSize) != std::string::npos) {
        return {};
      }
      digits = significant.substr(0, keptSize);
      if (digits.size() < keptSize) digits.append(keptSize - digits.size(), '0');
      if (digits.size() > static_cast<std::size_t>(kMaxDigits)) return {};
    }
  }
  const auto form = FixedForm(negative, digits);
  return DecimalText(ByteView(form.data(), form.size()), precision, scale);
}

}  // namespace tessaril
