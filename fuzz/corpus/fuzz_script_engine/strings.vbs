Dim parts, i, out
parts = Split("ISA*00*ZZ*SENDER*RECEIVER", "*")
For i = LBound(parts) To UBound(parts)
  out = out & UCase(Left(parts(i), 2)) & Mid(parts(i), 3) & Chr(44)
Next
out = Replace(out, ",", ";", 1, 2) & InStr(out, "ZZ") & InStrRev(out, "R") & StrReverse("abc")
out = Join(Filter(parts, "E"), "|") & Space(2) & String(3, "x") & LTrim("  a") & Len(out)
x = StrComp("a", "B", vbTextCompare) + Asc("A") + AscW("b")
