// Format pictures and the text to number and date conversions. An input is a picture and a value
// text separated by the first NUL byte (the whole input is both when there is none). Conversion
// failures are the run-time errors scripts see; anything else is a finding.

#include "FuzzCheck.h"
#include "platform/automation/Object.h"
#include "platform/automation/Variant.h"
#include "platform/text/Text.h"

#include <cmath>
#include <cstdint>
#include <string_view>

namespace {

template <class F>
void converting(F f) {
    try {
        f();
    } catch (const vt::automation::Error&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vt;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    const std::string_view picture = input.substr(0, nul);
    const std::string_view value = nul == std::string_view::npos ? input : input.substr(nul + 1);

    const double v = text::val(value);
    (void)text::formatNumber(v, picture);
    (void)text::formatNumber(-v, picture);
    (void)text::formatDate(v, picture);

    const auto number = automation::parseNumber(value);
    if (number) {
        (void)text::formatNumber(*number, picture);
        // What IsNumeric accepts CDbl reads.
        const double d = automation::toDouble(automation::Variant(std::string(value)));
        VT_FUZZ_CHECK(d == *number || (std::isnan(d) && std::isnan(*number)), "CDbl differs from IsNumeric's number");
    }
    const auto date = automation::parseDate(value);
    if (date) {
        (void)text::formatDate(*date, picture);
        const text::DateTime dt = text::fromOleDate(*date);
        VT_FUZZ_CHECK(text::isValidDate(dt.year, dt.month, dt.day), "a date read from text is no date");
        (void)automation::formatDate(*date);
    }

    const automation::Variant s{std::string(value)};
    converting([&] { (void)automation::toDouble(s); });
    converting([&] { (void)automation::toSingle(s); });
    converting([&] { (void)automation::toInt32(s); });
    converting([&] { (void)automation::toInt16(s); });
    converting([&] { (void)automation::toByte(s); });
    converting([&] { (void)automation::toBool(s); });
    converting([&] { (void)automation::formatCurrency(automation::toCurrency(s)); });
    converting([&] { (void)automation::toDecimal(s); });
    converting([&] { (void)automation::toDate(s); });
    (void)text::roundHalfEven(v, static_cast<int>(size % 20));
    return 0;
}
