#pragma once
// The values of the scanner's number tokens. Each takes the text the token
// rule matched (so its form is already known) and reads it in time linear in
// its length, whatever that length is.

#include <cstddef>
#include <cstdint>

namespace Kvat {
namespace Bvh {

// "-"? digits: the value clamped to the 32-bit range, so that a text beyond
// it keeps its sign on every platform.
int32_t decimalInteger(const char* text, std::size_t size);
// The hexadecimal digits after "0x": clamped the same way. A hexadecimal text
// has no sign, so anything above 0x7FFFFFFF reads as 2147483647; 0x80000000
// and 0xFFFFFFFF are not negative bit patterns.
int32_t hexInteger(const char* digits, std::size_t size);
// "-"? mantissa with a point, optional exponent, optional f/F suffix: the
// nearest 32-bit float, as the C library's strtof reads it (overflow gives an
// infinity, underflow a zero, both with the text's sign).
float realNumber(const char* text, std::size_t size);
// A word of a motion row (no blanks in it) that the scanner reads whole as
// one number token: its value as the parser takes it (an integer token
// converted to float). False for any other word, which the scanner splits
// or reads as something else.
bool rowNumber(const char* text, std::size_t size, float& value);

}  // namespace Bvh
}  // namespace Kvat
