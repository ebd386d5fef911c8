// FormatNumber, FormatCurrency, FormatPercent and FormatDateTime with the en-US settings:
// defaults, each option, halves away from zero, carries, Null and text arguments.

#include "ScriptHarness.h"

namespace vt::vbscript::test {

TEST(Formatting, FormatNumber) {
    expectOutputs({
        {"Print FormatNumber(1234.5), FormatNumber(-1234.567, 1), FormatNumber(0), FormatNumber(1234567.891)",
         "1,234.50 -1,234.6 0.00 1,234,567.89"},
        // Halves go away from zero, read on the decimal form (2.675 is a half).
        {"Print FormatNumber(0.5, 0), FormatNumber(1.5, 0), FormatNumber(2.5, 0), FormatNumber(-2.5, 0), "
         "FormatNumber(2.675), FormatNumber(1.005), FormatNumber(0.125)",
         "1 2 3 -3 2.68 1.01 0.13"},
        {"Print FormatNumber(.5), FormatNumber(.5, 2, 0), FormatNumber(-.5, 2, False), FormatNumber(-1234, 0, , True), "
         "FormatNumber(1234567, 0, , , False), FormatNumber(-1234, -1, -2, -2, -2)",
         "0.50 .50 -.50 (1,234) 1234567 -1,234.00"},
        {"Print FormatNumber(-0.001), FormatNumber(Empty), FormatNumber(\"1,234.5\"), FormatNumber(True), "
         "FormatNumber(CCur(12.345)), FormatNumber(#1/2/1900#, 0)",
         "0.00 0.00 1,234.50 -1.00 12.35 3"},
        {"Print FormatNumber(999.995), FormatNumber(9.5, 0), FormatNumber(1e20, 0), FormatNumber(123456789.123, 3), "
         "FormatNumber(CSng(1.1), 3), FormatNumber(0.000123, 5)",
         "1,000.00 10 100,000,000,000,000,000,000 123,456,789.123 1.100 0.00012"},
        {"Print TypeName(FormatNumber(1)), FormatNumber(1, 0, 0, 0, 0), FormatNumber(12345.6789, 4)",
         "String 1 12,345.6789"},
    });
    expectErrors({
        {"x = FormatNumber(Null)", 13, 1, 0, "Type mismatch: 'FormatNumber'"},
        {"x = FormatNumber(\"abc\")", 13, 1, 0},
        {"x = FormatNumber(1, Null)", 94, 1, 0},
        {"x = FormatNumber(1, 2, Null)", 94, 1, 0},
        {"x = FormatNumber(1, -2)", 5, 1, 0},
        {"x = FormatNumber()", 450, 1, 0},
    });
}

TEST(Formatting, FormatCurrencyAndPercent) {
    expectOutputs({
        {"Print FormatCurrency(1234.5), FormatCurrency(-1234.5), FormatCurrency(-1234.5, , , False), "
         "FormatCurrency(0.125), FormatCurrency(1000, 0), FormatCurrency(.5, 2, False)",
         "$1,234.50 ($1,234.50) -$1,234.50 $0.13 $1,000 $.50"},
        {"Print FormatCurrency(CCur(-0.004)), FormatCurrency(1234567.5, 2, , , False)", "$0.00 $1234567.50"},
        {"Print FormatPercent(0.1234), FormatPercent(-0.5, 0), FormatPercent(1), FormatPercent(0.00005), "
         "FormatPercent(-0.25, 1, , True), FormatPercent(12.345, 1)",
         "12.34% -50% 100.00% 0.01% (25.0%) 1,234.5%"},
        {"Print FormatPercent(.005, 0, 0), FormatPercent(\"0.5\"), FormatPercent(Empty)", "1% 50.00% 0.00%"},
    });
    expectErrors({
        {"x = FormatCurrency(Null)", 13, 1, 0},
        {"x = FormatCurrency(1000, 0, 0, Null)", 94, 1, 0},
        {"x = FormatPercent(Null)", 13, 1, 0},
        {"x = FormatPercent(.1, , Null)", 94, 1, 0},
        {"x = FormatPercent(.1, 0, 0, 0, Null)", 94, 1, 0},
    });
}

TEST(Formatting, FormatDateTime) {
    expectOutputs({
        {"d = #3/7/2025 2:05:09 PM# : Print FormatDateTime(d) & \"|\" & FormatDateTime(d, vbLongDate)",
         "3/7/2025 2:05:09 PM|Friday, March 7, 2025"},
        {"d = #3/7/2025 2:05:09 PM# : Print FormatDateTime(d, 2), FormatDateTime(d, 3), FormatDateTime(d, 4), "
         "FormatDateTime(#9:03 AM#, vbShortTime)",
         "3/7/2025 2:05:09 PM 14:05 09:03"},
        {"Print FormatDateTime(#3/7/2025#, 3), FormatDateTime(0), FormatDateTime(\"3/7/2025\"), "
         "FormatDateTime(#12/25/1999#, vbGeneralDate), FormatDateTime(#11:59:59 PM#, vbGeneralDate)",
         "12:00:00 AM 12:00:00 AM 3/7/2025 12/25/1999 11:59:59 PM"},
        {"Print FormatDateTime(Empty, vbShortDate), TypeName(FormatDateTime(Now))", "12/30/1899 String"},
    });
    expectErrors({
        {"x = FormatDateTime(Null)", 13, 1, 0},
        {"x = FormatDateTime(Now, 5)", 5, 1, 0},
        {"x = FormatDateTime(Now, Null)", 94, 1, 0},
        {"x = FormatDateTime(\"x\")", 13, 1, 0},
    });
}

}  // namespace vt::vbscript::test
