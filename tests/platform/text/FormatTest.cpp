#include "platform/text/Text.h"
#include "tests/support/Limited.h"

#include <gtest/gtest.h>

using namespace vt::text;

namespace {

TEST(Format, DatePictures) {
    const DateTime evening{2024, 3, 15, 21, 45, 12};
    const DateTime morning{2024, 3, 15, 9, 5, 7};
    const DateTime midnight{2024, 3, 15, 0, 0, 0};
    const DateTime noon{2024, 3, 15, 12, 0, 0};
    struct Case { DateTime dt; const char* picture; const char* expected; } cases[] = {
        {{2026, 12, 5}, "mm/d/yyyy", "12/5/2026"},
        {{2026, 1, 5}, "mm/d/yyyy", "01/5/2026"},
        {evening, "m/d/yyyy", "3/15/2024"},
        {midnight, "hh:mm:ss AMPM", "12:00:00 AM"},
        {noon, "hh:mm:ss AMPM", "12:00:00 PM"},
        {{2024, 3, 15, 13, 5, 9}, "hh:mm:ss AMPM", "01:05:09 PM"},
        {{2024, 3, 15, 11, 59, 59}, "hh:mm:ss AMPM", "11:59:59 AM"},
        {evening, "MM/DD/YYYY", "03/15/2024"},
        {evening, "HHMM", "2145"},
        {midnight, "HHMM", "0000"},
        {morning, "HH:MM", "09:05"},
        {evening, "yymmdd", "240315"},
        {evening, "yyyymmdd", "20240315"},
        {evening, "hhnn", "2145"},
        {evening, "hhmmss", "214512"},
        {evening, "mm:ss", "45:12"},
        {evening, "mmddyy-hhmmss AMPM", "031524-094512 PM"},
        {evening, "mmddyy-hhmmss-AMPM", "031524-094512-PM"},
        {evening, "mmddyyhhmmss", "031524214512"},
        {evening, "hh:mm AM/PM", "09:45 PM"},
        {noon, "hh:mm AM/PM", "12:00 PM"},
        {morning, "h:mm am/pm", "9:05 am"},
        {morning, "h:mmA/P", "9:05A"},
        {evening, "h:mm a/p", "9:45 p"},
        {morning, "h:n:s", "9:5:7"},
        {evening, "ddd", "Fri"},
        {evening, "dddd, mmmm d", "Friday, March 15"},
        {evening, "mmm dd", "Mar 15"},
        {evening, "y q w ww", "75 1 6 11"},
        {evening, "\"Day\" d\\d", "Day 15d"},
        {{1999, 7, 4}, "yy", "99"},
        {evening, "", "3/15/2024 9:45:12 PM"},
        {{2024, 3, 15}, "", "3/15/2024"},
        {{1899, 12, 30, 0, 30}, "", "12:30:00 AM"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatDate(c.dt, c.picture), c.expected) << c.picture;
}

TEST(Format, OleDateShowsToTheNearestSecond) {
    const double t = toOleDate(DateTime{2024, 3, 15, 21, 45, 12});
    EXPECT_EQ(formatDate(t, "mm/dd/yyyy hh:nn:ss"), "03/15/2024 21:45:12");
    EXPECT_EQ(formatDate(t + 0.4 / 86400, "hh:nn:ss"), "21:45:12");
    EXPECT_EQ(formatDate(t + 0.6 / 86400, "hh:nn:ss"), "21:45:13");
    EXPECT_EQ(formatDate(-1.25, "yyyy-mm-dd hh:nn"), "1899-12-29 06:00");
}

TEST(Format, NumberPictures) {
    struct Case { double value; const char* picture; const char* expected; } cases[] = {
        {123, "000000000", "000000123"},
        {1234567890, "000000000", "1234567890"},
        {7, "00", "07"},
        {123, "00", "123"},
        {0, "###0", "0"},
        {12.5, "###0", "13"},
        {99.4, "###0", "99"},
        {0.4, "###", ""},
        {0, "###,###,###,###", ""},
        {1234567, "###,###,###,###", "1,234,567"},
        {123, "###,###,###,###", "123"},
        {1234.567, "0.00", "1234.57"},
        {0.125, "0.00", "0.13"},
        {2.675, "0.00", "2.68"},
        {-1234.5, "#,##0.00", "-1,234.50"},
        {1234567.891, "#,##0.00", "1,234,567.89"},
        {999.999, "#,##0.00", "1,000.00"},
        {0, "#,##0.00", "0.00"},
        {0.5, "0%", "50%"},
        {0.125, "0.0%", "12.5%"},
        {-0.07, "0%", "-7%"},
        {-5, "0", "-5"},
        {-2.5, "0", "-3"},
        {-0.4, "0", "0"},
        {-0.004, "0.00", "0.00"},
        {-5, "0;(0)", "(5)"},
        {-5, "0;", "-5"},
        {0, "0;(0);\"zero\"", "zero"},
        {5, "0;(0);\"zero\"", "5"},
        {-5, "0;(0);\"zero\"", "(5)"},
        {1.5, "#.##", "1.5"},
        {1, "#.##", "1."},
        {0.5, "#.00", ".50"},
        {12.5, ".00", "12.50"},
        {1.5, "0.0#", "1.5"},
        {1.25, "0.0#", "1.25"},
        {123456789, "000-00-0000", "123-45-6789"},
        {1234567, "#,##0,", "1,235"},
        {1234.5, "0.00E+00", "1.23E+03"},
        {0.000123, "0.0E-0", "1.2E-4"},
        {99.96, "0.0E+00", "1.0E+02"},
        {12345, "00.0e+00", "12.3e+03"},
        {0, "0.0E+00", "0.0E+00"},
        {5, "\"$\"0", "$5"},
        {-5, "$0", "-$5"},
        {5, "0\\;0", "0;5"},
        {3, "", "3"},
        {0.5, "", "0.5"},
        {-2.5, "", "-2.5"},
        {1e20, "", "1E+20"},
        {0.1 + 0.2, "", "0.3"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatNumber(c.value, c.picture), c.expected) << c.value << " " << c.picture;
}

// Pictures of 256 KB that repeat what a picture holds: each value takes time and memory in
// proportion to the picture (a cost that grew with its square took minutes here), and what it
// gives is a few characters a picture character at most.
TEST(Format, AHugePictureCostsInProportionToItsLength) {
    constexpr size_t kLength = 1 << 18;
    auto repeated = [](std::string_view unit) {
        std::string out;
        while (out.size() < kLength) out += unit;
        return out;
    };
    const std::string_view units[] = {"d", "m", "y", "h", "n", "s", "w", "q", "0", "#", "%", ",", "x", ";",
                                      "\"a\"", "\\x", "h:m", "AM/PM", "A/P", "0.0", "0E+0", "#,##0.00"};
    const auto run = vt::test::runLimited(30, 2048, [&] {
        std::string sizes;
        for (std::string_view unit : units) {
            const std::string picture = repeated(unit);
            const size_t most = 4 * picture.size() + 64;
            for (size_t n : {formatDate(45366.75, picture).size(), formatNumber(-1234.5678, picture).size()})
                if (n > most) sizes += std::string(unit) + " gave " + std::to_string(n) + " characters\n";
        }
        return sizes;
    });
    EXPECT_TRUE(run.finished) << "a picture took longer than the limit";
    EXPECT_EQ(run.out, "");
    EXPECT_LT(run.peakMiB, 1024);
}

}  // namespace
