Dim a()
ReDim a(3)
For i = 0 To 3 : a(i) = i * i : Next
ReDim Preserve a(5)
Set d = CreateObject("Scripting.Dictionary")
For Each v In a : d(CStr(v)) = v : Next
d.Remove "0"
k = d.Keys : it = d.Items
s = Join(k, ",") & d.Count & d.Exists("9") & UBound(it)
Erase a
Dim m(2, 3) : m(1, 2) = "x" : s = s & UBound(m, 2)
With d : .Add "w", 1 : End With
f = Eval("1 + 2 * 3") : Execute "g = f * 2" : ExecuteGlobal "Function H(x) : H = x & x : End Function"
s = s & H(g) & TypeName(GetRef("H")) & VarType(d)
