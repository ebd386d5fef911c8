On Error Resume Next
Const K = 5
Class C
  Public n
  Sub T : Me = Nothing : End Sub
End Class
Set o = New C : o.n = 5 : o.n(0) = 5 : o.T
Set (1) = Nothing
x = Array(1) : Erase (x) : Erase o.n : ReDim Preserve x("x")
b = ("abc" = -5) Or ("abc" = K) Or ("abc" = #1/15/2024#) Or ("1/15/2024" = #1/15/2024#)
Select Case "5" : Case K : b = 1 : Case 5 : b = 2 : End Select
u = Unescape(Null) : Dim v : Set w = New v
Execute "x = o.n.5"
