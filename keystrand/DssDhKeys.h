#pragma once
// DSS signature keys and Diffie-Hellman exchange keys over one prime field (p, q, g): fresh
// domain parameters per key, the platform's blob bodies of versions 2 and 3, signatures as r
// then s (20 bytes each, least significant byte first) and the agreed value of two keys.

#include "BlobIo.h"
#include "OpenSsl.h"

#include <cstdint>
#include <optional>

namespace keystrand::dssdh {

using blob::ByteSpan;
using blob::Bytes;

enum class Kind { Dss, Dh };

struct KeyData {
    ossl::Pkey pkey;
    Bytes seed;   // the DSSSEED of the blobs: counter, then 20 bytes (counter 0xFFFFFFFF: none)
    bool hasPrivate = false;
};

// New domain parameters of `bits` and a key pair on them.
KeyData generate(Kind kind, int bits);

// The PUBLICKEYBLOB / PRIVATEKEYBLOB body after the 8-byte header, from the magic on.
Bytes blobBody(Kind kind, const KeyData& key, bool withPrivate, bool version3);
// Reads such a body of either version. A Diffie-Hellman public body of version 2 holds y
// alone; `domain` then gives p, q and g (and must be given).
KeyData fromBlobBody(Kind kind, ByteSpan body, bool isPrivate, EVP_PKEY* domain);

// The agreed value y^x mod p of our private key and the peer's public key, as long as p,
// least significant byte first. A peer on other domain parameters is bad data.
Bytes agree(EVP_PKEY* mine, EVP_PKEY* peer);

// Signs a 20-byte hash value; r then s, each 20 bytes least significant first.
Bytes sign(EVP_PKEY* key, ByteSpan digest);
bool verify(EVP_PKEY* key, ByteSpan digest, ByteSpan signature);

// KP_P, KP_Q, KP_G, KP_Y and KP_X (the private part; null without it), least significant
// byte first in the widths of the blobs; null for any other parameter.
std::optional<Bytes> param(Kind kind, EVP_PKEY* key, std::int32_t kp);

}  // namespace keystrand::dssdh
