#pragma once
// Progress of a command over selected items: the progress bar and "###0% Complete" in status
// panel 3, sent only when the percentage changes, and a yield to window events every few hundred
// steps, so a long loop costs next to nothing in window updates.

#include "core/UiSink.h"

#include <cstdint>
#include <string>

namespace vt::folders {

class ItemProgress {
public:
    enum class Rounding { HalfAwayFromZero, HalfEven };

    ItemProgress(core::UiSink& ui, std::int64_t total, Rounding rounding, int yieldEvery = 256);
    // Shows item k of the total (k from 1).
    void show(std::int64_t k);
    // Counts one unit of work and yields when the interval is reached.
    void tick();
    // Progress bar back to 0, panel 3 cleared.
    void finish();

private:
    core::UiSink& ui_;
    std::int64_t total_;
    Rounding rounding_;
    int yieldEvery_;
    int sinceYield_ = 0;
    std::string lastPercent_;
};

}  // namespace vt::folders
