#pragma once
// clsProviderProperties: the parameters of one provider context, bound to the handle it was
// made with. A handle that names no context reads 0, "", an empty array and Nothing.
// clsPROV_ENUMALGS / clsPROV_ENUMALGS_EX: one algorithm of a provider, short and long form.

#include "Algorithms.h"
#include "Automation.h"
#include "Collection.h"

namespace keystrand {

class clsPROV_ENUMALGS final : public vt::automation::Dispatch<clsPROV_ENUMALGS> {
public:
    static const vt::automation::Members<clsPROV_ENUMALGS>& members();
    void load(const AlgorithmRecord& r);
    std::int32_t aiAlgid = 0;
    std::int32_t dwBitLen = 0;
    std::string szName;
};

class clsPROV_ENUMALGS_EX final : public vt::automation::Dispatch<clsPROV_ENUMALGS_EX> {
public:
    static const vt::automation::Members<clsPROV_ENUMALGS_EX>& members();
    void load(const AlgorithmRecord& r);
    std::int32_t aiAlgid = 0;
    std::int32_t dwDefaultLen = 0, dwMinLen = 0, dwMaxLen = 0, dwProtocols = 0;
    std::string szName, szLongName;
};

class clsProviderProperties final : public vt::automation::Dispatch<clsProviderProperties> {
public:
    explicit clsProviderProperties(std::int32_t context) noexcept : context_(context) {}
    static const vt::automation::Members<clsProviderProperties>& members();

    // A 32-bit parameter (0 when the context has none).
    std::int32_t longParam(std::int32_t param) const;
    // A text parameter, without a terminating zero.
    std::string stringParam(std::int32_t param) const;
    std::string version() const;   // "&H200"
    // Nothing (a null reference) for a handle that names no context.
    vt::automation::Ref<Collection> algorithms() const;
    vt::automation::Ref<Collection> algorithmsEx() const;
    vt::automation::Ref<Collection> containers() const;

private:
    // The context's algorithms, one record of that form each, keyed "0", "1", ...
    template <class Record>
    vt::automation::Ref<Collection> records() const;
    std::int32_t context_;
};

}  // namespace keystrand
