#pragma once
// Conversions between bytes, 1252 texts and hexadecimal texts (two upper-case digits a byte).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace keystrand {

std::string bytesToHex(std::span<const std::uint8_t> bytes);
std::string byteToHex(std::uint8_t b);
// The value of "&H" and the text: digits are read up to the first other character; up to four
// digits are a signed 16-bit number ("FFFF" is -1), five to eight a signed 32-bit one; more
// digits overflow (6). No digit reads 0.
double hexToValue(std::string_view text);
// Pairs of digits read as hexToValue reads them. An odd-length text is refused (5); a pair
// whose value is no byte overflows (6).
std::vector<std::uint8_t> hexToBytes(std::string_view text);

}  // namespace keystrand
