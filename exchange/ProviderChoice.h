#pragma once
// The window's provider choice: one provider list for the window object's life and at most one
// verify-only context, held by the provider chosen last.

#include "keystrand/ComboTarget.h"
#include "keystrand/clsProviders.h"

#include <cstdint>

namespace vt::exchange {

// The hash identifier of a hash list position; 0 for none or any other.
std::int32_t HashAlgorithmId(int position);

class ProviderChoice {
public:
    // Provider setup of the window's load: no provider held; the list made on first use.
    void setUp();
    keystrand::clsProviders& providers();
    void loadProviders(keystrand::ComboTarget& box);
    // Releases the context held, acquires provider `position` verify-only and lists its
    // algorithms. The held position changes only once the acquire succeeded; raises the
    // library's error. A position of -1 does nothing.
    void choose(int position, keystrand::ComboTarget& algorithms);
    // Lists the held provider's algorithms; leaves the box empty when none is held.
    void loadAlgorithms(keystrand::ComboTarget& algorithms);
    // The window closes: the context held is given back.
    void releaseHeld() noexcept;
    int heldIndex() const { return mProviderIndex; }

private:
    vt::automation::Ref<keystrand::clsProviders> mProviders;
    int mProviderIndex = -1;
};

}  // namespace vt::exchange
