#include "BlobIo.h"

#include "Errors.h"

#include <algorithm>

namespace keystrand::blob {

Bn bnParam(EVP_PKEY* key, const char* name) {
    BIGNUM* b = nullptr;
    if (EVP_PKEY_get_bn_param(key, name, &b) != 1) return nullptr;
    return Bn(b);
}

void put32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}

std::uint32_t get32(ByteSpan& in) {
    if (in.size() < 4) fail(code::BadData);
    const std::uint32_t v = std::uint32_t(in[0]) | std::uint32_t(in[1]) << 8 | std::uint32_t(in[2]) << 16 |
                            std::uint32_t(in[3]) << 24;
    in = in.subspan(4);
    return v;
}

Bytes le32(std::uint32_t v) {
    Bytes b;
    put32(b, v);
    return b;
}

void appendLe(Bytes& out, const BIGNUM* b, std::size_t width) {
    const std::size_t at = out.size();
    out.resize(at + width);
    if (BN_bn2lebinpad(b, out.data() + at, int(width)) < 0) fail(code::BadKey);
}

Bn readLe(ByteSpan& in, std::size_t width) {
    if (in.size() < width) fail(code::BadData);
    Bn b(BN_lebin2bn(in.data(), int(width), nullptr));
    in = in.subspan(width);
    if (!b) fail(code::NoMemory);
    return b;
}

std::size_t byteWidth(const BIGNUM* b) { return std::size_t(BN_num_bytes(b)); }

Bytes reversed(Bytes b) {
    std::reverse(b.begin(), b.end());
    return b;
}

}  // namespace keystrand::blob
