#pragma once
// RSA keys: generation, the platform's RSAPUBKEY blob bodies, and PKCS #1 v1.5 operations.

#include "BlobIo.h"
#include "OpenSsl.h"

#include <cstdint>

namespace keystrand::rsa {

using blob::ByteSpan;
using blob::Bytes;

ossl::Pkey generate(int bits);

// The PUBLICKEYBLOB / PRIVATEKEYBLOB body after the 8-byte header ("RSA1" / "RSA2" on).
Bytes blobBody(EVP_PKEY* key, bool withPrivate);
// Reads such a body; a private key whose parts do not belong together is bad data.
ossl::Pkey fromBlobBody(ByteSpan in, bool isPrivate);

using PkeyOp = int (*)(EVP_PKEY_CTX*, unsigned char*, size_t*, const unsigned char*, size_t);
// One PKCS #1 v1.5 operation; `failure` is the code of a refused input.
Bytes run(EVP_PKEY* key, int (*init)(EVP_PKEY_CTX*), PkeyOp op, ByteSpan in, std::int32_t failure);

// The DigestInfo prefix a signature of that hash carries (none for the SSL3 pair).
Bytes digestInfoPrefix(std::int32_t algorithm);

}  // namespace keystrand::rsa
