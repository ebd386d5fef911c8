#include "exchange/ProviderChoice.h"

#include "keystrand/Enumerations.h"

namespace vt::exchange {

std::int32_t HashAlgorithmId(int position) {
    static constexpr std::int32_t ids[] = {0x8001, 0x8002, 0x8003, 0x8004};   // MD2, MD4, MD5, SHA1
    return position >= 0 && position < 4 ? ids[position] : 0;
}

void ProviderChoice::setUp() {
    mProviderIndex = -1;
    providers();
}

keystrand::clsProviders& ProviderChoice::providers() {
    if (!mProviders) mProviders = vt::automation::makeRef<keystrand::clsProviders>();
    return *mProviders;
}

void ProviderChoice::loadProviders(keystrand::ComboTarget& box) { providers().loadComboBox(&box); }

void ProviderChoice::choose(int position, keystrand::ComboTarget& algorithms) {
    if (position < 0) return;
    auto chosen = providers().item(std::int32_t(position));
    if (mProviderIndex != -1) {
        auto held = providers().item(std::int32_t(mProviderIndex));
        // Whatever the release says, that context is gone.
        mProviderIndex = -1;
        held->release();
    }
    chosen->acquire("", keystrand::CRYPT_VERIFYCONTEXT);
    mProviderIndex = position;
    chosen->loadAlgorithms(&algorithms);
}

void ProviderChoice::loadAlgorithms(keystrand::ComboTarget& algorithms) {
    algorithms.clear();
    if (mProviderIndex != -1) providers().item(std::int32_t(mProviderIndex))->loadAlgorithms(&algorithms);
}

void ProviderChoice::releaseHeld() noexcept {
    if (mProviderIndex == -1) return;
    try {
        auto held = providers().item(std::int32_t(mProviderIndex));
        mProviderIndex = -1;
        held->release();
    } catch (...) {
    }
}

}  // namespace vt::exchange
