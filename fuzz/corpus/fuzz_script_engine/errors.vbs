Sub Recurse(n)
  If n > 0 Then Recurse n - 1
End Sub
Recurse 50
Do While i < 100000 : i = i + 1 : Loop
On Error Resume Next
x = Nothing.Foo : y = Array(1)(5) : z = "a" + 1
