#include "folders/Progress.h"

#include "platform/text/Text.h"

#include <algorithm>
#include <climits>

namespace vt::folders {

ItemProgress::ItemProgress(core::UiSink& ui, std::int64_t total, Rounding rounding, int yieldEvery)
    : ui_(ui), total_(total), rounding_(rounding), yieldEvery_(std::max(1, yieldEvery)) {}

void ItemProgress::show(std::int64_t k) {
    if (total_ <= 0) return;
    const double exact = double(k) / double(total_) * 100.0;
    const double shown = rounding_ == Rounding::HalfEven ? text::roundHalfEven(exact) : exact;
    std::string percent = text::formatNumber(shown, "###0");
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    ui_.progress(int(std::min<std::int64_t>(k, INT_MAX)), int(std::min<std::int64_t>(total_, INT_MAX)));
    ui_.status(3, percent + "% Complete");
}

void ItemProgress::tick() {
    if (++sinceYield_ >= yieldEvery_) {
        sinceYield_ = 0;
        ui_.yield();
    }
}

void ItemProgress::finish() {
    ui_.clearProgress();
    ui_.status(3, "");
}

}  // namespace vt::folders
