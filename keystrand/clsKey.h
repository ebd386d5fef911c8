#pragma once
// clsKey: one key handle. Loading a key over a loaded one frees the old one; the key ends with
// the object (quietly).

#include "Automation.h"

namespace keystrand {

class clsHash;

class clsKey final : public vt::automation::Dispatch<clsKey> {
public:
    clsKey() = default;
    ~clsKey() override;
    static const vt::automation::Members<clsKey>& members();

    std::int32_t hKey() const noexcept { return handle_; }

    Bytes exportKey(std::int32_t blobType, std::int32_t flags = 0, std::int32_t exportKey = 0);
    // An empty blob is error 9.
    bool importKey(std::int32_t context, ByteSpan blob, std::int32_t flags = 0, std::int32_t publicKey = 0);
    bool getUserSignature(std::int32_t context);
    bool getUserExchangeKey(std::int32_t context);
    // ALG_TYPE_BLOCK (1536), ALG_TYPE_STREAM (2048) or 0, by the bits of the algorithm.
    std::int32_t cipherAlgorithmType();
    bool generateExchangeKey(std::int32_t context, std::int32_t flags = 0);
    bool generateSignature(std::int32_t context, std::int32_t flags = 0);
    bool generate(std::int32_t context, std::int32_t algorithm, std::int32_t flags = 0);
    bool generateDhStoreForward(std::int32_t context, std::int32_t flags = 0);
    bool generateDhEphemeral(std::int32_t context, std::int32_t flags = 0);
    bool derive(const clsHash& hash, std::int32_t cipher, std::int32_t flags = 0);
    // The parameter as a little-endian number; 0 when the key has none. A value longer than
    // four bytes is refused ("More data is available."): GetByteArrKeyParam reads it.
    std::int32_t getLongKeyParam(std::int32_t param, std::int32_t flags = 0);
    Bytes getByteArrKeyParam(std::int32_t param, std::int32_t flags = 0);
    // The whole array encrypted (the array itself is not changed); errors carry ".Encrypt".
    Bytes encrypt(ByteSpan data, std::int32_t hash = 0, std::int32_t flags = 0);
    // The plain text; the caller's array is left as it was. Errors carry ".Decrypt".
    Bytes decrypt(ByteSpan data, std::int32_t hash = 0, std::int32_t flags = 0);

private:
    // Takes a newly loaded handle, freeing the one held before.
    void take(std::int32_t handle) noexcept;
    // A loading member: `newHandle` loads the key, whose handle replaces the one held.
    template <class F>
    bool load(std::string_view member, F&& newHandle);
    // The parameter's bytes (none without a key); errors carry `member`.
    Bytes keyParam(std::string_view member, std::int32_t param, std::int32_t flags);
    std::int32_t handle_ = 0;
};

}  // namespace keystrand
