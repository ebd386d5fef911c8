On Error Resume Next
d = DateSerial(2024, 2, 29) + TimeSerial(13, 5, 9)
s = FormatDateTime(d, vbLongDate) & Format(d, "yyyy-mm-dd hh:nn:ss") & Weekday(d) & MonthName(2)
s = s & DateAdd("m", 1, d) & DateDiff("d", #1/1/2024#, d) & DatePart("q", d) & CDate("March 7, 2025")
n = CDbl("1,234.5e2") + CLng(&H7FFF) + CInt(2.5) + Round(2.675, 2) + Fix(-3.7) + Int(-3.7)
s = s & FormatNumber(n, 2) & FormatCurrency(-n) & FormatPercent(0.256) & Hex(255) & Oct(8)
x = 1 / 0 : e = Err.Number : Err.Clear
y = CByte(300) : e2 = Err.Description
z = IsNumeric("12e3") And IsDate("2/30/2024") Or IsEmpty(q) Xor IsNull(Null)
