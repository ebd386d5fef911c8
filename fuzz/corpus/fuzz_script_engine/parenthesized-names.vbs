Function Twice(v) : Twice = v * 2 : End Function
Class Box
  Public n
  Sub P : End Sub
  Property Get P : P = n : End Property
End Class
On Error Resume Next
Dim erase : erase = (Twice)(3)
Call (((Twice))) (erase)
Set b = New Box : Set ((b)) = Nothing
x = "42" = 42 : y = CSng(0.1) = 0.1
Dim arr(3) : Call Erase(arr)
ExecuteGlobal "Dim arr(5)"
Execute "Dim 5"
Randomize 1 : z = Rnd(0) + Rnd(-1) + Rnd
