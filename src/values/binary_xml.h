// xml column values: SQL Server's binary xml stream to xml text.
//
// The text is exactly the document's content, with no indentation added:
// elements as <name attr="value">...</name>, an element the stream marks as
// empty as <name/>, namespace prefixes as declared, character data and
// attribute values escaped, and typed values in their xml text form.
//
// Damage never fails: decoding stops at the first token that cannot be read,
// keeps the text made so far (with the readable part of a string cut short),
// and closes the elements still open, so that the partial text stays
// well-formed.
#pragma once

#include <string>

#include "base/byte_view.h"

namespace tessaril {

struct BinaryXmlText {
  std::string text;
  // True when the whole stream was read without damage and every element it
  // opened was closed by the stream itself.
  bool complete = false;
};

BinaryXmlText DecodeBinaryXml(ByteView bytes);

// The UTF-8 xml text of a binary xml value; "" when the value does not start
// with the binary xml header (DF FF, version 1 or 2, UTF-16) or nothing in it
// decodes.
std::string BinaryXmlToText(ByteView bytes);

}  // namespace tessaril
