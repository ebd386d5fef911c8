#pragma once
// The little-endian numbers of the platform's key blobs, and OpenSSL big numbers read from and
// written to them.

#include <openssl/bn.h>
#include <openssl/evp.h>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace keystrand::blob {

using Bytes = std::vector<std::uint8_t>;
using ByteSpan = std::span<const std::uint8_t>;

struct BnFree {
    void operator()(BIGNUM* b) const noexcept { BN_clear_free(b); }
};
using Bn = std::unique_ptr<BIGNUM, BnFree>;

// A numeric parameter of the key; null when it has none.
Bn bnParam(EVP_PKEY* key, const char* name);

void put32(Bytes& out, std::uint32_t v);
// Fails with the bad-data code when fewer than four bytes are left.
std::uint32_t get32(ByteSpan& in);
Bytes le32(std::uint32_t v);

// `b` in exactly `width` bytes, least significant first; the bad-key code when it does not fit.
void appendLe(Bytes& out, const BIGNUM* b, std::size_t width);
// The next `width` bytes as a number; the bad-data code when the blob is shorter.
Bn readLe(ByteSpan& in, std::size_t width);
std::size_t byteWidth(const BIGNUM* b);

Bytes reversed(Bytes b);

}  // namespace keystrand::blob
