On Error Resume Next
Class C
  Public n
  Public Sub l : n = 0 : End Sub
  Public Property Let l(v) : n = v : End Property
  Public Property Get a : a = Array(1, 2) : End Property
End Class
Class RegExp : Public Pattern : End Class
Set o = New C : o.l = 5 : o.l : o.n = Array(1, 2) : x = o.n() : y = UBound(o.a())
Set r = New RegExp : r.Pattern = "a" : t = r.Test("abc")
Call CInt(x) : CDate 1 : CStr 1
e = Eval(Null) : e = Eval(Empty) : e = Eval("&19") : e = Eval("Dim v") : e = Eval("o.n .")
Execute "x = o.n.5" : Execute "o.n ."
i = InStrRev(Null, "a", 2, 0) : i = InStrRev(Null, "a")
Erase 5 : Erase "x"
Dim f(2) : ReDim Preserve f("abc") : ReDim Preserve f(-5) : ReDim g(-2)
