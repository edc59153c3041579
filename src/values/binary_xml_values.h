// The value tokens of binary xml and their text.
//
// Untyped xml carries its character data and attribute values as UTF-16
// strings; xml bound to a schema collection stores typed values (integers,
// decimals, dates, binary data, ...). Each shows as the text SQL Server writes
// for it when the xml is converted to a string.
#pragma once

#include <cstdint>
#include <string>

#include "values/binary_xml_stream.h"

namespace tessaril {

// Value token bytes: the SQL Server types, the date and time types added in
// version 2, then the XML Schema types.
namespace bxml {
inline constexpr std::uint8_t kSqlSmallInt = 0x01;
inline constexpr std::uint8_t kSqlInt = 0x02;
inline constexpr std::uint8_t kSqlReal = 0x03;
inline constexpr std::uint8_t kSqlFloat = 0x04;
inline constexpr std::uint8_t kSqlMoney = 0x05;
inline constexpr std::uint8_t kSqlBit = 0x06;
inline constexpr std::uint8_t kSqlTinyInt = 0x07;
inline constexpr std::uint8_t kSqlBigInt = 0x08;
inline constexpr std::uint8_t kSqlUuid = 0x09;
inline constexpr std::uint8_t kSqlDecimal = 0x0A;
inline constexpr std::uint8_t kSqlNumeric = 0x0B;
inline constexpr std::uint8_t kSqlBinary = 0x0C;
inline constexpr std::uint8_t kSqlChar = 0x0D;
inline constexpr std::uint8_t kSqlNChar = 0x0E;
inline constexpr std::uint8_t kSqlVarBinary = 0x0F;
inline constexpr std::uint8_t kSqlVarChar = 0x10;
inline constexpr std::uint8_t kSqlNVarChar = 0x11;
inline constexpr std::uint8_t kSqlDateTime = 0x12;
inline constexpr std::uint8_t kSqlSmallDateTime = 0x13;
inline constexpr std::uint8_t kSqlSmallMoney = 0x14;
inline constexpr std::uint8_t kSqlText = 0x16;
inline constexpr std::uint8_t kSqlImage = 0x17;
inline constexpr std::uint8_t kSqlNText = 0x18;
inline constexpr std::uint8_t kSqlUdt = 0x1B;
inline constexpr std::uint8_t kTimeOffset = 0x7A;
inline constexpr std::uint8_t kDateTimeOffset = 0x7B;
inline constexpr std::uint8_t kDateOffset = 0x7C;
inline constexpr std::uint8_t kTime = 0x7D;
inline constexpr std::uint8_t kDateTime2 = 0x7E;
inline constexpr std::uint8_t kDate = 0x7F;
inline constexpr std::uint8_t kXsdTime = 0x81;
inline constexpr std::uint8_t kXsdDateTime = 0x82;
inline constexpr std::uint8_t kXsdDate = 0x83;
inline constexpr std::uint8_t kXsdBinHex = 0x84;
inline constexpr std::uint8_t kXsdBase64 = 0x85;
inline constexpr std::uint8_t kXsdBoolean = 0x86;
inline constexpr std::uint8_t kXsdDecimal = 0x87;
inline constexpr std::uint8_t kXsdByte = 0x88;
inline constexpr std::uint8_t kXsdUnsignedShort = 0x89;
inline constexpr std::uint8_t kXsdUnsignedInt = 0x8A;
inline constexpr std::uint8_t kXsdUnsignedLong = 0x8B;
inline constexpr std::uint8_t kXsdQName = 0x8C;
}  // namespace bxml

// True for the token bytes that carry a value in a stream of this version
// (the date and time tokens 0x7A-0x7F exist from version 2 on).
bool IsValueToken(std::uint8_t token, int version);

// True for the value tokens that hold character data (n)char, (n)varchar and
// (n)text; the others are typed values.
bool IsCharacterToken(std::uint8_t token);

// Reads the payload of the value token just read from the stream and gives
// its text, unescaped. A payload cut short marks the stream damaged (a
// string keeps the part that is there); a payload that is complete but
// impossible, such as a date past 9999, gives "" and leaves the stream as is.
std::string ReadValueText(std::uint8_t token, BinaryXmlStream& stream);

// Standard base64 with "=" padding.
std::string Base64Text(ByteView bytes);

}  // namespace tessaril
