// Date and time functions with the clock fixed at Friday 3/7/2025 2:05:09.25 PM: the clock
// functions, parts, building dates, arithmetic across month ends, leap years and the 1899
// epoch, week numbers under each first-day and first-week rule, names, and Null and Empty.

#include "ScriptHarness.h"

#include "platform/text/Clock.h"

namespace vt::vbscript::test {

namespace {

class DateFunctions : public ::testing::Test {
protected:
    DateFunctions() { h.sc.setClock(&clock); }
    FixedClock clock{text::DateTime{2025, 3, 7, 14, 5, 9, 250}};
    Harness h;
};

}  // namespace

TEST_F(DateFunctions, Clock) {
    expectOutputs(h, {
        {"Print Date, Time, Now", "3/7/2025 2:05:09 PM 3/7/2025 2:05:09 PM"},
        {"Print TypeName(Date), TypeName(Time), TypeName(Now), TypeName(Timer), Timer", "Date Date Date Single 50709.25"},
        {"Print CDbl(Date), Now = Date + Time, CDbl(Time) = (14 * 3600 + 5 * 60 + 9) / 86400", "45723 True True"},
        {"Print Year(Now), Month(Now), Day(Now), Hour(Now), Minute(Now), Second(Now), Weekday(Now)",
         "2025 3 7 14 5 9 6"},
        {"Print Date(), Now() > Date", "3/7/2025 True"},
    });
    clock.set(text::DateTime{2024, 12, 31, 23, 59, 59, 500});
    expectOutputs(h, {
        {"Print Now, Timer", "12/31/2024 11:59:59 PM 86399.5"},
        {"Print DateAdd(\"s\", 1, Now)", "1/1/2025"},
    });
}

TEST_F(DateFunctions, Parts) {
    expectOutputs(h, {
        {"Print Day(2), Month(2), Year(2), Hour(2.75), Minute(2.02083), Second(2)", "1 1 1900 18 30 0"},
        {"Print Day(\"2/29/2024\"), Month(\"Feb 29, 2024\"), Year(#12/31/1999 11:59:59 PM#), "
         "Second(#12/31/1999 11:59:59 PM#)",
         "29 2 1999 59"},
        {"Print TypeName(Day(1)), TypeName(Hour(1)), Day(Empty), Year(Empty), Hour(Empty)", "Integer Integer 30 1899 0"},
        {"Print IsNull(Day(Null)), IsNull(Month(Null)), IsNull(Year(Null)), IsNull(Hour(Null)), "
         "IsNull(Minute(Null)), IsNull(Second(Null)), IsNull(Weekday(Null))",
         "True True True True True True True"},
        {"Print Weekday(#1/1/2000#), Weekday(#1/1/2000#, vbMonday), Weekday(#1/1/2000#, vbSaturday), "
         "Weekday(#1/1/2000#, 0)",
         "7 6 1 7"},
        // Before the epoch the time of day still counts forward from midnight.
        {"Print Day(-1.25), Hour(-1.25), CDate(-1.25), Weekday(-1)", "29 6 12/29/1899 6:00:00 AM 6"},
        // The time rounds to the second, carrying into the next day.
        {"Print Day(#1/1/2000# + 0.9999999), Hour(#1/1/2000# + 0.9999999)", "2 0"},
    });
    expectErrors(h, {
        {"x = Day(\"not a date\")", 13, 1, 0},
        {"x = Weekday(#1/1/2000#, 8)", 5, 1, 0},
        {"x = Weekday(Null, -1)", 5, 1, 0},
        {"x = Weekday(#1/1/2000#, Null)", 94, 1, 0},
        {"x = Hour(3000000)", 6, 1, 0},
    });
}

TEST_F(DateFunctions, DateSerialAndTimeSerial) {
    expectOutputs(h, {
        {"Print DateSerial(2024, 14, 0), DateSerial(2024, 3, 0), DateSerial(2023, 3, 0)", "1/31/2025 2/29/2024 2/28/2023"},
        {"Print DateSerial(1900, 2, 29), DateSerial(2000, 2, 29), DateSerial(2100, 2, 29)", "3/1/1900 2/29/2000 3/1/2100"},
        {"Print DateSerial(0, 1, 1), DateSerial(29, 1, 1), DateSerial(30, 1, 1), DateSerial(99, 12, 31), "
         "DateSerial(100, 1, 1)",
         "1/1/2000 1/1/2029 1/1/1930 12/31/1999 1/1/100"},
        {"Print DateSerial(2000, 0, 1), DateSerial(2000, -1, 31), DateSerial(2000, 1, 366), DateSerial(99, 13, 1)",
         "12/1/1999 12/1/1999 12/31/2000 1/1/2000"},
        {"Print TypeName(DateSerial(2000, 1, 1)), CDbl(DateSerial(1899, 12, 30)), DateSerial(2000, 1.5, 2.5)",
         "Date 0 2/2/2000"},
        {"Print TimeSerial(14, 5, 9), TimeSerial(12 - 6, -15, 0), TimeSerial(10, 60, 2), TimeSerial(0, 0, 0)",
         "2:05:09 PM 5:45:00 AM 11:00:02 AM 12:00:00 AM"},
        {"Print TimeSerial(24, 2, 1), TimeSerial(50, 2, 1), TypeName(TimeSerial(1, 2, 3))",
         "12/31/1899 12:02:01 AM 1/1/1900 2:02:01 AM Date"},
    });
    expectErrors(h, {
        {"x = DateSerial(10000, 1, 1)", 5, 1, 0, "Invalid procedure call or argument: 'DateSerial'"},
        {"x = DateSerial(-10000, 1, 1)", 5, 1, 0},
        {"x = DateSerial(9999, 12, 32)", 5, 1, 0},
        {"x = DateSerial(Null, 1, 1)", 94, 1, 0},
        {"x = DateSerial(2000, \"x\", 1)", 13, 1, 0},
        {"x = TimeSerial(1, Null, 1)", 94, 1, 0},
        {"x = DateSerial(2000, 1)", 450, 1, 0},
    });
}

TEST_F(DateFunctions, DateValueTimeValueAndConversions) {
    expectOutputs(h, {
        {"Print DateValue(\"3/7/2025 2:05 PM\"), TimeValue(\"3/7/2025 2:05 PM\"), DateValue(#1/2/2000 11:59:59 PM#)",
         "3/7/2025 2:05:00 PM 1/2/2000"},
        {"Print DateValue(\"March 7, 2025\"), DateValue(\"7 Mar 2025\"), DateValue(\"2025-03-07\"), DateValue(\"3-7-25\")",
         "3/7/2025 3/7/2025 3/7/2025 3/7/2025"},
        {"Print DateValue(\"1/1/29\"), DateValue(\"1/1/30\"), DateValue(\"12/31/99\")", "1/1/2029 1/1/1930 12/31/1999"},
        {"Print CDbl(TimeValue(\"6:00 AM\")), CDbl(DateValue(\"6:00 AM\")), TimeValue(-1.25)",
         "0.25 0 6:00:00 AM"},
        {"Print TypeName(TimeValue(\"12:00\")), DateValue(Empty)", "Date 12:00:00 AM"},
        {"Class C : End Class : Set o = New C : Print IsDate(o), IsDate(Nothing), IsDate(Array(1))", "False False False"},
        {"Print CDate(\"March 7, 2025 2:05 PM\"), CDate(45723.5), IsDate(\"13/13/2025\"), IsDate(\"2/29/2023\"), "
         "IsDate(\"2/29/2024\")",
         "3/7/2025 2:05:00 PM 3/7/2025 12:00:00 PM False False True"},
    });
    expectErrors(h, {
        {"x = DateValue(\"x\")", 13, 1, 0},
        {"x = TimeValue(\"25:00\")", 13, 1, 0},
        {"x = CDate(Null)", 94, 1, 0},
        {"x = DateValue(Null)", 94, 1, 0},
        {"x = DateValue(-1.25)", 13, 1, 0},
        {"x = TimeValue(Null)", 94, 1, 0},
    });
}

TEST_F(DateFunctions, DateAdd) {
    expectOutputs(h, {
        // A month on from the 31st is the last day of a shorter month.
        {"Print DateAdd(\"m\", 1, #1/31/2024#), DateAdd(\"m\", 1, #1/31/2023#), DateAdd(\"m\", -1, #3/31/2024#)",
         "2/29/2024 2/28/2023 2/29/2024"},
        {"Print DateAdd(\"yyyy\", 1, #2/29/2024#), DateAdd(\"q\", 1, #11/30/2024#), DateAdd(\"yyyy\", -4, #2/29/2024#), "
         "DateAdd(\"m\", 13, #1/15/2024#)",
         "2/28/2025 2/28/2025 2/29/2020 2/15/2025"},
        {"Print DateAdd(\"d\", 1, #12/31/1999#), DateAdd(\"y\", -1, #1/1/2000#), DateAdd(\"w\", 2, #2/28/2024#), "
         "DateAdd(\"ww\", -1, #1/1/2000#)",
         "1/1/2000 12/31/1999 3/1/2024 12/25/1999"},
        {"Print DateAdd(\"h\", 1, #12/31/1999 11:30:00 PM#), DateAdd(\"n\", -31, #1/1/2000#), "
         "DateAdd(\"s\", 86400, #1/1/2000#)",
         "1/1/2000 12:30:00 AM 12/31/1999 11:29:00 PM 1/2/2000"},
        {"Print DateAdd(\"YYYY\", 1, \"3/7/2025 2:05 PM\"), DateAdd(\"M\", 1, Now)", "3/7/2026 2:05:00 PM 4/7/2025 2:05:09 PM"},
        // Hours across the epoch, where OLE dates run backwards by day but forwards by time.
        {"Print DateAdd(\"h\", 12, #12/29/1899 6:00:00 PM#), DateAdd(\"h\", -12, #6:00:00 AM#), "
         "DateAdd(\"n\", -1, 0)",
         "6:00:00 AM 12/29/1899 6:00:00 PM 12/29/1899 11:59:00 PM"},
        {"Print IsNull(DateAdd(\"d\", 1, Null)), TypeName(DateAdd(\"d\", 1, 0)), DateAdd(\"d\", 1, Empty)",
         "True Date 12/31/1899"},
    });
    expectErrors(h, {
        {"x = DateAdd(\"x\", 1, Now)", 5, 1, 0},
        {"x = DateAdd(Null, 1, Now)", 94, 1, 0},
        {"x = DateAdd(\"d\", Null, Now)", 94, 1, 0},
        {"x = DateAdd(\"yyyy\", 1, #12/31/9999#)", 5, 1, 0},
        {"x = DateAdd(\"d\", -1, #1/1/100#)", 5, 1, 0},
        {"x = DateAdd(\"d\", 1, \"soon\")", 13, 1, 0},
    });
}

TEST_F(DateFunctions, DateDiff) {
    expectOutputs(h, {
        // Boundaries crossed, not full periods.
        {"Print DateDiff(\"d\", #12/31/1999 11:00 PM#, #1/1/2000 1:00 AM#), DateDiff(\"h\", #12/31/1999 11:59 PM#, "
         "#1/1/2000#), DateDiff(\"yyyy\", #12/31/1999#, #1/1/2000#)",
         "1 1 1"},
        {"Print DateDiff(\"m\", #1/31/2024#, #2/1/2024#), DateDiff(\"q\", #3/31/2024#, #4/1/2024#), "
         "DateDiff(\"d\", #3/1/2024#, #2/1/2024#), DateDiff(\"y\", #1/1/2024#, #1/1/2025#)",
         "1 1 -29 366"},
        {"Print DateDiff(\"n\", #1:00 PM#, #2:30 PM#), DateDiff(\"s\", #1/1/2000#, #1/1/2000 12:01:01 AM#), "
         "DateDiff(\"h\", -1.25, 0.25)",
         "90 61 24"},
        // "w": whole weeks; "ww": first days of the week passed (date2 counts, date1 does not).
        {"Print DateDiff(\"w\", #1/1/2000#, #1/14/2000#), DateDiff(\"w\", #1/1/2000#, #1/15/2000#), "
         "DateDiff(\"w\", #1/15/2000#, #1/1/2000#), DateDiff(\"w\", #1/1/2000#, #1/2/2000#)",
         "1 2 -2 0"},
        {"Print DateDiff(\"ww\", #1/1/2000#, #1/2/2000#), DateDiff(\"ww\", #1/2/2000#, #1/8/2000#), "
         "DateDiff(\"ww\", #1/2/2000#, #1/9/2000#), DateDiff(\"ww\", #1/9/2000#, #1/2/2000#)",
         "1 0 1 -1"},
        {"Print DateDiff(\"ww\", #1/1/2000#, #1/2/2000#, vbMonday), DateDiff(\"ww\", #1/2/2000#, #1/3/2000#, vbMonday), "
         "DateDiff(\"ww\", #1/1/2000#, #1/2/2000#, 0)",
         "0 1 1"},
        {"Print TypeName(DateDiff(\"d\", 0, 1)), IsNull(DateDiff(\"d\", Null, 1)), IsNull(DateDiff(\"d\", 1, Null)), "
         "DateDiff(\"d\", \"1/1/2025\", Date)",
         "Long True True 65"},
    });
    expectErrors(h, {
        {"x = DateDiff(\"x\", 0, 1)", 5, 1, 0},
        {"x = DateDiff(\"d\", 0, 1, 8)", 5, 1, 0},
        {"x = DateDiff(\"d\", 0, 1, 1, 4)", 5, 1, 0},
        {"x = DateDiff(\"s\", #1/1/100#, #12/31/9999#)", 6, 1, 0},
    });
}

TEST_F(DateFunctions, DatePart) {
    expectOutputs(h, {
        {"Print DatePart(\"yyyy\", #3/7/2025#), DatePart(\"q\", #3/7/2025#), DatePart(\"m\", #3/7/2025#), "
         "DatePart(\"y\", #3/7/2025#), DatePart(\"d\", #3/7/2025#), DatePart(\"w\", #3/7/2025#)",
         "2025 1 3 66 7 6"},
        {"Print DatePart(\"y\", #12/31/2024#), DatePart(\"w\", #3/7/2025#, vbMonday), DatePart(\"h\", Now), "
         "DatePart(\"n\", Now), DatePart(\"s\", Now), TypeName(DatePart(\"d\", Now))",
         "366 5 14 5 9 Integer"},
        // vbFirstJan1: the week of January 1 is week 1; a late December can be week 54.
        {"Print DatePart(\"ww\", #1/1/2000#), DatePart(\"ww\", #1/2/2000#), DatePart(\"ww\", #12/31/2000#), "
         "DatePart(\"ww\", #1/2/2000#, vbMonday)",
         "1 2 54 1"},
        // vbFirstFourDays with Monday: ISO weeks, including the last days of December in week 1.
        {"Print DatePart(\"ww\", #1/1/2000#, vbMonday, vbFirstFourDays), DatePart(\"ww\", #1/3/2000#, vbMonday, 2), "
         "DatePart(\"ww\", #12/31/2008#, vbMonday, 2), DatePart(\"ww\", #12/29/2003#, vbMonday, 2), "
         "DatePart(\"ww\", #12/31/2004#, vbMonday, 2)",
         "52 1 1 1 53"},
        // vbFirstFullWeek: days before the first full week belong to the year before.
        {"Print DatePart(\"ww\", #1/1/2000#, vbSunday, vbFirstFullWeek), DatePart(\"ww\", #1/2/2000#, 1, 3), "
         "DatePart(\"ww\", #12/31/2000#, 1, 3)",
         "52 1 53"},
        {"Print IsNull(DatePart(\"d\", Null)), DatePart(\"ww\", #1/8/2000#, 0, 0)", "True 2"},
    });
    expectErrors(h, {
        {"x = DatePart(\"x\", Now)", 5, 1, 0},
        {"x = DatePart(\"ww\", Now, 9)", 5, 1, 0},
        {"x = DatePart(\"ww\", Now, 1, 4)", 5, 1, 0},
        {"x = DatePart(Null, Now)", 94, 1, 0},
    });
}

TEST_F(DateFunctions, Names) {
    expectOutputs(h, {
        {"Print MonthName(1), MonthName(12, True), MonthName(5, 10), MonthName(\"2\")", "January Dec May February"},
        {"Print WeekdayName(1), WeekdayName(7, True), WeekdayName(1, True, vbMonday), WeekdayName(1, False, 0), "
         "WeekdayName(1.1), WeekdayName(1, True, 7)",
         "Sunday Sat Mon Sunday Sunday Sat"},
        {"Print WeekdayName(Weekday(Date)), MonthName(Month(Date), True)", "Friday Mar"},
    });
    expectErrors(h, {
        {"x = MonthName(13)", 5, 1, 0},
        {"x = MonthName(0)", 5, 1, 0},
        {"x = MonthName(Null)", 94, 1, 0},
        {"x = MonthName(\"a\", Null)", 94, 1, 0},
        {"x = MonthName(\"a\")", 13, 1, 0},
        {"x = WeekdayName(8)", 5, 1, 0},
        {"x = WeekdayName(1, , 8)", 5, 1, 0},
    });
}

}  // namespace vt::vbscript::test
