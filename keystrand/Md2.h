#pragma once
// MD2 (RFC 1319): OpenSSL 3 no longer has it, and providers still list it.

#include <array>
#include <cstdint>
#include <span>

namespace keystrand {

class Md2 {
public:
    void update(std::span<const std::uint8_t> data) noexcept;
    std::array<std::uint8_t, 16> final() noexcept;   // the object is spent afterwards

private:
    void block(const std::uint8_t* in) noexcept;
    std::array<std::uint8_t, 48> state_{};
    std::array<std::uint8_t, 16> checksum_{};
    std::array<std::uint8_t, 16> buffer_{};
    std::size_t used_ = 0;
};

}  // namespace keystrand
