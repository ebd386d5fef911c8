#pragma once
// A running hash of one algorithm: MD2 by our own code, SSL3 SHA-1+MD5 as both side by side,
// the rest through OpenSSL in Keystrand's context.

#include "Md2.h"
#include "OpenSsl.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace keystrand {

class Digest {
public:
    // Fails with the bad-algorithm code when the identifier is no hash this machine can do.
    explicit Digest(std::int32_t algorithm);
    Digest(Digest&&) noexcept;
    Digest& operator=(Digest&&) noexcept;
    ~Digest();

    std::int32_t algorithm() const noexcept { return algorithm_; }
    std::size_t size() const noexcept;
    void update(std::span<const std::uint8_t> data);
    std::vector<std::uint8_t> final();

    // One-shot.
    static std::vector<std::uint8_t> of(std::int32_t algorithm, std::span<const std::uint8_t> data);

private:
    std::int32_t algorithm_;
    std::optional<Md2> md2_;
    ossl::MdCtx first_, second_;   // second: MD5 of the SSL3 pair
};

}  // namespace keystrand
