#pragma once
// clsHash: one hash object on a provider context. It ends its hash when it ends (quietly: a
// destructor never raises).

#include "Automation.h"

namespace keystrand {

class clsKey;

class clsHash final : public vt::automation::Dispatch<clsHash> {
public:
    clsHash() = default;
    ~clsHash() override;
    static const vt::automation::Members<clsHash>& members();

    // Raises with "clsHash.Create".
    bool create(std::int32_t context, std::int32_t algorithm, std::int32_t key, std::int32_t flags);
    std::int32_t handle() const noexcept { return handle_; }
    void setHandle(std::int32_t handle) noexcept { handle_ = handle; }
    std::int32_t providerHandle() const noexcept { return context_; }

    // Raises (".Verify") when the signature does not match; an empty signature is error 9.
    bool verify(ByteSpan signature, const clsKey& publicKey, std::int32_t flags = 0);
    Bytes sign(std::int32_t flags = 0);
    // False, and nothing hashed, for no bytes.
    bool addData(ByteSpan data, std::int32_t flags = 0);
    Bytes value();
    // The value as 16-bit characters, two bytes each, least significant first.
    std::string toString();
    std::string toHex();
    std::int32_t size();
    std::int32_t hashType();

private:
    // Takes a new hash handle, ending the one held before.
    void take(std::int32_t handle) noexcept;
    std::int32_t handle_ = 0;
    std::int32_t context_ = 0;
};

}  // namespace keystrand
