Set fso = CreateObject("Scripting.FileSystemObject")
Set tmp = fso.GetSpecialFolder(2)
p = fso.BuildPath(tmp.Path, fso.GetTempName)
Set t = fso.CreateTextFile(p, True)
t.WriteLine "ISA*00" : t.Write "line two" : t.WriteBlankLines 2 : t.Close
Set t = fso.OpenTextFile(p, 1)
Do Until t.AtEndOfStream : s = s & t.ReadLine & "|" : Loop
t.Close
fso.CreateFolder fso.BuildPath(tmp.Path, "sub")
fso.CopyFile p, fso.BuildPath(tmp.Path, "sub\copy.txt")
fso.MoveFile p, p & ".moved"
For Each f In fso.GetFolder(tmp.Path).Files : s = s & f.Name & f.Size : Next
fso.DeleteFile p & ".moved"
fso.DeleteFolder fso.BuildPath(tmp.Path, "sub")
b = fso.FileExists(p) Or fso.FolderExists(tmp.Path)
