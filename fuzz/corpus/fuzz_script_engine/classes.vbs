Class Account
  Private total
  Public Name
  Private Sub Class_Initialize : total = 0 : End Sub
  Public Sub Add(n) : total = total + n : End Sub
  Public Property Get Balance : Balance = total : End Property
  Public Default Function Describe : Describe = Name & "=" & total : End Function
End Class
Set a = New Account : a.Name = "x" : a.Add 5 : a.Add 2.5
s = a.Describe & " " & a.Balance
Select Case a.Balance
  Case Is > 5 : s = s & " big"
  Case Else : s = s & " small"
End Select
