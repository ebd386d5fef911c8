#pragma once
// What the engine knows of each algorithm it implements, and the fixed provider table.
// Positions in the provider table are stored by users, so entries are only ever appended.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace keystrand {

enum class AlgorithmKind {
    Hash, Mac, BlockCipher, StreamCipher, RsaSignature, RsaExchange, DssSignature, DhExchange, AgreedKey,
};

struct AlgorithmInfo {
    std::int32_t id;
    AlgorithmKind kind;
    const char* opensslName;   // digest or cipher name; null for our own MD2 and for RSA
    int blockBits;             // block ciphers: block length; hashes: value length in bits
    int fixedKeyBytes;         // DES family: key bytes with parity; 0: variable length
};

// The engine's entry for an identifier; null when it has none.
const AlgorithmInfo* findAlgorithm(std::int32_t id);
// Whether this machine's OpenSSL (with the legacy provider in our context) can do it.
bool algorithmAvailable(std::int32_t id);

// One entry of a provider's algorithm list, as the extended record reports it.
struct AlgorithmRecord {
    std::int32_t id;
    std::int32_t defaultLen, minLen, maxLen;   // bits
    std::int32_t protocols;
    const char* name;       // at most 19 characters
    const char* longName;   // at most 39 characters
};

struct ProviderInfo {
    const char* name;
    std::int32_t type;
    std::span<const AlgorithmRecord> algorithms;   // the full list, before availability
    std::int32_t keySizeStep;   // signature and exchange key lengths are multiples of it (bits)
};

// Whether the provider's key pairs are DSS and Diffie-Hellman keys (else RSA).
bool dssFamily(const ProviderInfo& provider);

// Every provider in its fixed order.
std::span<const ProviderInfo> providerTable();
// The provider of that name and type; null when none.
const ProviderInfo* findProvider(std::string_view name, std::int32_t type);
// The provider's algorithms this machine can do, in the provider's order. The MAC is among
// them only while one of the provider's block ciphers is.
std::vector<AlgorithmRecord> availableAlgorithms(const ProviderInfo& provider);
// The provider's record of an available algorithm; null when the provider does not offer it.
const AlgorithmRecord* providerAlgorithm(const ProviderInfo& provider, std::int32_t id);

}  // namespace keystrand
