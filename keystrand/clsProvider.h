#pragma once
// clsProvider: one provider of the list, with at most one context. Acquiring over a held
// context releases it first, and a provider that ends releases the context it still holds.

#include "Automation.h"
#include "ComboTarget.h"
#include "clsHash.h"
#include "clsProviderProperties.h"
#include "clsSystemCertStore.h"

namespace keystrand {

class clsProvider final : public vt::automation::Dispatch<clsProvider> {
public:
    clsProvider(std::string name, std::int32_t type) : name_(std::move(name)), type_(type) {}
    ~clsProvider() override;
    static const vt::automation::Members<clsProvider>& members();

    const std::string& name() const noexcept { return name_; }
    std::int32_t providerType() const noexcept { return type_; }
    std::int32_t hContext() const noexcept { return context_; }

    // The store "CA" opened on the current context.
    vt::automation::Ref<clsSystemCertStore> systemCertStore() const;
    vt::automation::Ref<clsProviderProperties> properties() const;
    // Raises the library error (source "clsProvider.Acquire") when it fails.
    bool acquire(std::string_view container = {}, std::int32_t flags = 0);
    // Forgets the handle whatever the outcome; raises with ".Release" when no context was held
    // or the release failed.
    bool release();
    vt::automation::Ref<clsHash> createHash(std::int32_t hashType, std::int32_t key = 0, std::int32_t flags = 0) const;
    // Fill the box with the container names, or the long names of the context's algorithms.
    void loadContainers(ComboTarget* combo) const;
    void loadAlgorithms(ComboTarget* combo) const;
    // `length` random bytes; empty for a length below 1 or when no context is held.
    Bytes generateRandom(std::int32_t length) const;

private:
    // Releases a held context; a failure leaves nothing to free.
    void releaseQuietly() noexcept;
    std::string name_;
    std::int32_t type_;
    std::int32_t context_ = 0;
};

}  // namespace keystrand
