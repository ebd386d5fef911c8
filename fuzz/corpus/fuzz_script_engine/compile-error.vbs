If x Then
  y = "unterminated
End Sub
