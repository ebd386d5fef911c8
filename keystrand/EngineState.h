#pragma once
// Inside the engine: the objects behind the handles, the handle table, and what key loading
// shares. Not for the classes; they go through Engine.h.

#include "Algorithms.h"
#include "Digest.h"
#include "Engine.h"
#include "Errors.h"
#include "OpenSsl.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <variant>

namespace keystrand::engine::detail {

// A context's own key pair of one kind (signature or exchange).
struct KeyPair {
    ossl::Pkey pkey;
    std::int32_t flags = 0;       // generation flags (CRYPT_EXPORTABLE)
    std::int32_t algorithm = 0;   // RSA_SIGN, RSA_KEYX, DSS_SIGN or DH_SF
    Bytes seed;                   // DSS and Diffie-Hellman: the DSSSEED of their blobs
};

struct Context {
    const ProviderInfo* provider = nullptr;
    std::string container;
    bool verifyOnly = false;
    std::filesystem::path folder;
    KeyPair signature, exchange;
};

struct Key {
    const ProviderInfo* provider = nullptr;
    std::int32_t algorithm = 0;
    std::int32_t flags = 0;
    Bytes secret;       // symmetric keys, and the agreed value of two Diffie-Hellman keys
    Bytes salt;         // 40-bit RC2 and RC4 keys: 11 bytes the cipher takes after the key
    ossl::Pkey pkey;    // RSA, DSS and Diffie-Hellman keys
    Bytes seed;         // DSS and Diffie-Hellman: the DSSSEED of their blobs
    bool hasPrivate = false;
};

struct Hash {
    Handle context = 0;
    std::int32_t algorithm = 0;
    std::optional<Digest> digest;   // every hash but the MAC
    ossl::CipherCtx mac;            // the MAC: a block cipher's CBC over the data as it comes
    std::size_t macBlock = 0;
    std::optional<Bytes> value;
};

using Entry = std::variant<std::shared_ptr<Context>, std::shared_ptr<Hash>, std::shared_ptr<Key>>;

class Table {
public:
    Handle add(Entry e);
    template <class T>
    std::shared_ptr<T> get(Handle h, std::int32_t bad) {
        std::lock_guard lock(m_);
        auto it = items_.find(h);
        if (it == items_.end() || !std::holds_alternative<std::shared_ptr<T>>(it->second)) fail(bad);
        return std::get<std::shared_ptr<T>>(it->second);
    }
    template <class T>
    void remove(Handle h, std::int32_t bad) {
        Entry gone;   // destroyed outside the lock
        {
            std::lock_guard lock(m_);
            auto it = items_.find(h);
            if (it == items_.end() || !std::holds_alternative<std::shared_ptr<T>>(it->second)) fail(bad);
            gone = std::move(it->second);
            items_.erase(it);
        }
    }
    std::size_t size();

private:
    std::mutex m_;
    std::unordered_map<Handle, Entry> items_;
    Handle next_ = 0;
};

Table& table();
std::shared_ptr<Context> context(Handle h);
std::shared_ptr<Hash> hashOf(Handle h);
std::shared_ptr<Key> keyOf(Handle h);

// The provider's record of an algorithm it offers here; the bad-algorithm code otherwise.
const AlgorithmRecord& offered(const ProviderInfo& provider, std::int32_t algorithm);
// The key length the flags ask for (their upper 16 bits; 0: the default), in the record's
// range and a multiple of `step`; the flags error otherwise.
std::int32_t requestedBits(const AlgorithmRecord& record, std::int32_t flags, std::int32_t step = 1);
// The engine's entry of a block or stream cipher; the bad-algorithm code for anything else.
const AlgorithmInfo& symmetricAlgorithm(std::int32_t algorithm);
std::size_t secretBytes(const AlgorithmInfo& info, std::int32_t bits);
// DES-family keys get odd parity, as the platform gives them.
void fixParity(const AlgorithmInfo& info, Bytes& secret);
bool symmetric(const Key& k);
// The platform gives 40-bit RC2 and RC4 keys 11 bytes of salt: zeros, unless the flags ask
// for none (CRYPT_NO_SALT) or for `created` (CRYPT_CREATE_SALT). Other keys have none.
Bytes saltFor(const AlgorithmInfo& info, std::size_t secretBytes, std::int32_t flags, const std::function<Bytes()>& created);
std::shared_ptr<Key> newKey(const ProviderInfo* provider, std::int32_t algorithm, std::int32_t flags);
// A cipher context of the key, ready for CBC from a zero IV with PKCS #5 padding.
ossl::CipherCtx cipherContext(const Key& k, bool encrypt);
Bytes cipherRun(const Key& k, ByteSpan in, bool encrypt);

// The kind of key an algorithm names.
AlgorithmKind kindOf(std::int32_t algorithm);

// ---- Key containers ----
// The folder of the provider's containers: RSA and DSS families keep theirs apart.
std::filesystem::path containersFolder(const ProviderInfo& provider);
std::string defaultContainer();
bool validContainerName(std::string_view name);
void makePrivateFolder(const std::filesystem::path& folder);
// Writes the pair (through a temporary file, only once what is written reads back); a
// failure leaves the file it replaces as it was.
void saveKeyPair(const std::filesystem::path& folder, std::int32_t keySpec, const KeyPair& pair);
// The pair kept in the folder (empty when there is none); the bad-keyset code for a damaged
// file or one of the other family.
KeyPair loadKeyPair(const std::filesystem::path& folder, std::int32_t keySpec, const ProviderInfo& provider);
KeyPair& pairOf(Context& c, std::int32_t keySpec);
// The context's new pair of that kind, kept in its container unless it is verify-only.
void setPair(Context& c, std::int32_t keySpec, const KeyPair& pair);

}  // namespace keystrand::engine::detail
