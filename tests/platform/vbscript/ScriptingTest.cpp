// CreateObject with the built-in scripting classes: a Dictionary filled, read and enumerated, and
// FileSystemObject round trips (text streams, existence tests, copy, move, delete, folders) in a
// temporary folder handed to the script.

#include "ScriptHarness.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace vt::vbscript::test {

namespace fs = std::filesystem;

TEST(Scripting, Dictionary) {
    expectOutputs({
        {"Set d = CreateObject(\"Scripting.Dictionary\")\n"
         "d.Add \"a\", 1 : d.Add \"b\", 2 : d(\"c\") = 3\n"
         "Print d.Count, d.Item(\"b\"), d(\"c\"), d.Exists(\"a\"), d.Exists(\"z\"), TypeName(d)\n"
         "For Each k In d.Keys : s = s & k & \"=\" & d(k) & \";\" : Next : Print s\n"
         "For Each k In d : t = t & k : Next : Print t\n"
         "d.Remove \"a\" : Print Join(d.Keys, \",\"), Join(d.Items, \",\"), d.Count",
         "3 2 3 True False Dictionary|a=1;b=2;c=3;|abc|b,c 2,3 2"},
        {"Set d = CreateObject(\"scripting.dictionary\") : d.CompareMode = vbTextCompare\n"
         "d.Add \"Key\", \"v\" : Print d.Exists(\"KEY\"), d(\"key\")\n"
         "Set d(\"obj\") = d : Print d(\"obj\").Count",
         "True v|2"},
        {"Set d = CreateObject(\"Scripting.Dictionary\")\n"
         "On Error Resume Next : d.Add \"a\", 1 : d.Add \"a\", 2 : Print Err.Number, d(\"a\")",
         "457 1"},
    });
    expectErrors({
        {"Set d = CreateObject(\"Scripting.Dictionary\") : d.Add \"a\", 1 : d.Add \"a\", 2", 457, 1, 62},
        {"Set x = CreateObject(\"Scripting.Nothing\")", 429, 1, 0},
        {"Set x = CreateObject(\"NoLibrary\")", 429, 1, 0},
    });
}

TEST(Scripting, FileSystemRoundTrips) {
    const fs::path dir = fs::temp_directory_path() / ("vbscript-fso-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    Harness h;
    const std::string head = "Const Dir = \"" + dir.string() + "\"\nSet fso = CreateObject(\"Scripting.FileSystemObject\")\n";
    const auto run = [&](const std::string& code) {
        const Outcome o = h.run(head + code);
        EXPECT_EQ(o.error.number, 0) << o.error.description << " at " << o.error.line << ": " << o.error.lineText;
        return o.output;
    };

    EXPECT_EQ(run("p = fso.BuildPath(Dir, \"a.txt\")\n"
                  "Print fso.FileExists(p)\n"
                  "Set ts = fso.CreateTextFile(p, True)\n"
                  "ts.WriteLine \"one\" : ts.WriteLine \"two\" : ts.Close\n"
                  "Print fso.FileExists(p)\n"
                  "Set ts = fso.OpenTextFile(p, 1)\n"
                  "Do Until ts.AtEndOfStream : Print ts.ReadLine : Loop\n"
                  "ts.Close\n"
                  "Set ts = fso.OpenTextFile(p, 8) : ts.Write \"three\" : ts.Close\n"
                  "Print fso.OpenTextFile(p).ReadAll = \"one\" & vbCrLf & \"two\" & vbCrLf & \"three\""),
              "False|True|one|two|True");

    EXPECT_EQ(run("p = Dir & \"/a.txt\"\n"
                  "fso.CopyFile p, Dir & \"/b.txt\"\n"
                  "fso.MoveFile Dir & \"/b.txt\", Dir & \"/c.txt\"\n"
                  "Print fso.FileExists(Dir & \"/b.txt\"), fso.FileExists(Dir & \"/c.txt\"), fso.GetFile(Dir & \"/c.txt\").Size\n"
                  "fso.CreateFolder Dir & \"/sub\"\n"
                  "fso.CopyFile Dir & \"/*.txt\", Dir & \"/sub/\"\n"
                  "n = 0 : For Each f In fso.GetFolder(Dir & \"/sub\").Files : n = n + 1 : Next\n"
                  "Print fso.FolderExists(Dir & \"/sub\"), n, fso.GetFolder(Dir).SubFolders.Count\n"
                  "fso.DeleteFile p : fso.DeleteFile Dir & \"/c.txt\" : fso.DeleteFolder Dir & \"/sub\"\n"
                  "Print fso.FileExists(p), fso.FolderExists(Dir & \"/sub\"), fso.GetFolder(Dir).Files.Count"),
              "False True 15|True 2 1|False False 0");

    const Outcome missing = h.run(head + "Set ts = fso.OpenTextFile(Dir & \"/none.txt\")");
    EXPECT_EQ(missing.error.number, 53);
    fs::remove_all(dir);
}

}  // namespace vt::vbscript::test
