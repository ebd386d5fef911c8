#include "Hex.h"

#include "platform/automation/Object.h"

namespace keystrand {

using vt::automation::raise;
namespace err = vt::automation::err;

std::string byteToHex(std::uint8_t b) {
    static const char* digits = "0123456789ABCDEF";
    return {digits[b >> 4], digits[b & 15]};
}

std::string bytesToHex(std::span<const std::uint8_t> bytes) {
    std::string s;
    s.reserve(bytes.size() * 2);
    for (auto b : bytes) s += byteToHex(b);
    return s;
}

double hexToValue(std::string_view text) {
    std::uint64_t v = 0;
    std::size_t n = 0;
    for (char c : text) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else break;
        v = v * 16 + std::uint64_t(d);
        if (++n > 8) raise(err::Overflow);
    }
    if (n <= 4) return double(std::int16_t(std::uint16_t(v)));
    return double(std::int32_t(std::uint32_t(v)));
}

std::vector<std::uint8_t> hexToBytes(std::string_view text) {
    if (text.size() % 2 != 0) raise(err::InvalidCall);
    std::vector<std::uint8_t> out;
    out.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const double v = hexToValue(text.substr(i, 2));
        if (v < 0 || v > 255) raise(err::Overflow);
        out.push_back(std::uint8_t(v));
    }
    return out;
}

}  // namespace keystrand
