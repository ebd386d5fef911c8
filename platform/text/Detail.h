#pragma once
// Shared between the sources of vt_text; not part of its interface.

#include "Text.h"

#include <string>

namespace vt::text::detail {

// A non-negative decimal 0.d1d2d3... x 10^point; digits has no trailing zeros, "" is zero.
struct Decimal {
    std::string digits;
    int point = 0;
};

// |v| as a decimal. Fractions are taken at 15 significant digits, as the classic runtime shows
// a double, so that 2.675 is the half it was typed as and not 2.67499999...
Decimal toDecimal(double v);
enum class Half { AwayFromZero, Even };
// Keeps `decimals` digits after the point (may be negative: tens, hundreds...).
void roundAt(Decimal& d, int decimals, Half half);
double toDouble(const Decimal& d, bool negative);

long long daysFromCivil(int y, int m, int d);   // days since 1899-12-30
void civilFromDays(long long days, int& y, int& m, int& d);
// Decodes an OLE date rounded to a whole number of `unitMs` milliseconds.
DateTime fromOleDate(double oleDate, int unitMs);

}  // namespace vt::text::detail
