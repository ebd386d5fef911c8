#pragma once
// Little-endian byte building and the compound file (version 3, 512-byte sectors) that holds the
// streams of the binary office formats (internal to the engine).

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace vt::report::detail {

struct Bytes {
    std::string b;
    void u8(unsigned v) { b += char(v & 0xFF); }
    void u16(unsigned v) { u8(v); u8(v >> 8); }
    void u32(std::uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); }
    void f64(double v) {
        char buf[8];
        std::memcpy(buf, &v, 8);
        b.append(buf, 8);
    }
    void raw(std::string_view s) { b += s; }
};

struct Stream {
    std::u16string name;
    std::string bytes;
};

// The streams in one compound file, below its root in the order given.
std::string compoundFile(std::vector<Stream> streams);

}  // namespace vt::report::detail
