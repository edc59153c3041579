// Fuzz target for the binary xml decoder: the input is a stored xml value.

#include <cstddef>
#include <cstdint>

#include "values/binary_xml.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const tessaril::BinaryXmlText xml = tessaril::DecodeBinaryXml(tessaril::ByteView(data, size));
  (void)xml;
  return 0;
}
