#pragma once
// The provider engine behind Keystrand's classes: contexts, hashes and keys held in a table of
// plain 32-bit handles (0 is no handle), as the classes hand them to their clients. Every
// failure throws keystrand::Failure with the error number the classes report.
//
// Key containers are folders under "<data root>/Containers" (RSA providers) or
// "<data root>/DssContainers" (the DSS and Diffie-Hellman provider), one per container name,
// private to the user (0700, key files 0600). A verify-only context has no container: keys
// generated in it live only as long as the context.

#include "Algorithms.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace keystrand {

// "$XDG_DATA_HOME/Keystrand" (else "~/.local/share/Keystrand"), unless set.
std::filesystem::path dataRoot();
// Replaces the data root (tests); an empty path restores the default.
void setDataRoot(const std::filesystem::path& root);

namespace engine {

using Handle = std::int32_t;
using Bytes = std::vector<std::uint8_t>;
using ByteSpan = std::span<const std::uint8_t>;

// ---- Contexts ----
// Flags: CRYPT_VERIFYCONTEXT, CRYPT_NEWKEYSET, CRYPT_DELETEKEYSET (returns 0, no context).
// An empty container name is the user's default container.
Handle acquireContext(std::string_view container, std::string_view provider, std::int32_t type, std::int32_t flags);
void releaseContext(Handle context);

struct ContextInfo {
    const ProviderInfo* provider = nullptr;
    std::string container;   // empty for a verify-only context
    bool verifyOnly = false;
};
// Null when the handle is no context.
std::optional<ContextInfo> contextInfo(Handle context);
// The user's container names of the provider's family, sorted.
std::vector<std::string> containerNames(const ProviderInfo& provider);
Bytes random(Handle context, std::size_t length);

// ---- Hashes ----
Handle createHash(Handle context, std::int32_t algorithm, Handle key, std::int32_t flags);
void hashData(Handle hash, ByteSpan data, std::int32_t flags);
Bytes hashValue(Handle hash);   // finishes the hash; later data is refused
std::int32_t hashParam(Handle hash, std::int32_t param);   // HP_ALGID, HP_HASHSIZE
Handle hashContext(Handle hash);
// A signature of the hash value with the context's key of `keySpec`: RSA keys give PKCS #1
// v1.5, least significant byte first (CRYPT_NOHASHOID leaves the algorithm identifier out);
// DSS keys sign SHA-1 values and give r then s, 20 bytes each, least significant byte first.
Bytes signHash(Handle hash, std::int32_t keySpec, std::int32_t flags);
// Throws the bad-signature code when it does not match.
void verifySignature(Handle hash, ByteSpan signature, Handle publicKey, std::int32_t flags);
void destroyHash(Handle hash);

// ---- Keys ----
// `algorithm` may be AT_SIGNATURE or AT_KEYEXCHANGE (the context's own key pairs: RSA, or DSS
// and Diffie-Hellman store-and-forward keys, by the provider). The key length in bits is the
// upper 16 bits of `flags` (0: the provider's default); pairs come in the provider's steps.
Handle generateKey(Handle context, std::int32_t algorithm, std::int32_t flags);
// Keys of 3DES and AES from hashes other than SHA-2, and keys longer than the hash value, come
// from the value stretched over the 0x36 and 0x5C pads; others are the value's first bytes.
Handle deriveKey(Handle context, std::int32_t algorithm, Handle hash, std::int32_t flags);
Handle userKey(Handle context, std::int32_t keySpec);
// An imported private key pair also becomes the context's pair of its kind (signature or
// exchange), kept in the container unless the context is verify-only. A Diffie-Hellman
// public blob is agreed with `unwrapKey`, our private key of its domain: the result is the
// agreed key (CALG_AGREEDKEY_ANY).
Handle importKey(Handle context, ByteSpan blob, Handle unwrapKey, std::int32_t flags);
// CRYPT_BLOB_VER3 in `flags` gives DSS and Diffie-Hellman blobs of version 3.
Bytes exportKey(Handle key, Handle wrapKey, std::int32_t blobType, std::int32_t flags);
// Null when the key has no such parameter. KP_X of a key that may not be exported is refused.
std::optional<Bytes> keyParam(Handle key, std::int32_t param);
// KP_ALGID of an agreed key: it becomes a session key of that cipher, whose key is the first
// bytes of the agreed value (least significant first), at the provider's default length.
void setKeyAlgorithm(Handle key, std::int32_t algorithm);
// One complete encryption (block ciphers in CBC with PKCS #5 padding, RSA in PKCS #1 v1.5 with
// the bytes reversed); `hash` (0: none) receives the plain text.
Bytes encrypt(Handle key, Handle hash, ByteSpan plain);
Bytes decrypt(Handle key, Handle hash, ByteSpan cipher);
void destroyKey(Handle key);

// Live handles of each kind (tests look for leaks).
std::size_t liveHandles();

}  // namespace engine
}  // namespace keystrand
