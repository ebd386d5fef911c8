#pragma once
// clsSystemCertStore: one of the current user's certificate stores, as its folder held it when
// the store was opened. clsCertNames: the name forms of one of its certificates; it holds its
// own reference to the certificate, so it stays valid after the store ends.

#include "Automation.h"

#include "platform/certstore/CertStore.h"

#include <optional>

namespace keystrand {

class clsCertNames final : public vt::automation::Dispatch<clsCertNames> {
public:
    explicit clsCertNames(vt::certstore::Certificate certificate) : certificate_(std::move(certificate)) {}
    static const vt::automation::Members<clsCertNames>& members();
    // Forms as numbered by CERT_NAME_TYPES; `issuer` reads the issuer's name.
    std::string name(std::int32_t form, bool issuer) const;
    const vt::certstore::Certificate& certificate() const noexcept { return certificate_; }

private:
    vt::certstore::Certificate certificate_;
};

class clsSystemCertStore final : public vt::automation::Dispatch<clsSystemCertStore> {
public:
    static const vt::automation::Members<clsSystemCertStore>& members();

    // Opens the current user's store of that name under "<data root>/Certificates"; a name
    // that cannot be a store leaves it closed. Never raises.
    void openStore(std::int32_t context, std::string_view name);
    bool isOpen() const noexcept { return store_ && store_->isOpen(); }
    std::string localizedName() const;
    std::int32_t numberOfCerts() const;
    std::int32_t numberOfCrls() const;
    // Null for a position the store does not hold, or a closed store.
    vt::automation::Ref<clsCertNames> certsNames(std::int32_t index) const;

private:
    std::int32_t context_ = 0;
    std::string name_;
    std::optional<vt::certstore::Store> store_;
};

}  // namespace keystrand
