Set fso = CreateObject("Scripting.FileSystemObject")
Set up = fso.GetSpecialFolder(2).ParentFolder.ParentFolder
fso.CreateTextFile fso.BuildPath(up.Path, "vt_fuzz_escaped.txt"), True
