// RegExp: properties, Test, Replace with its $ forms, Execute and its collections, the JScript
// pattern language, pattern errors, and patterns that would backtrack for ever.

#include "ScriptHarness.h"

namespace vt::vbscript::test {

TEST(RegExp, ObjectsAndProperties) {
    expectOutputs({
        {"Set r = New RegExp : Print TypeName(r), r.Pattern = \"\", r.IgnoreCase, r.Global, r.Multiline",
         "IRegExp2 True False False False"},
        {"Set r = CreateObject(\"VBScript.RegExp\") : r.Pattern = \"b+\" : r.Global = 1 : Print r.Pattern, r.Global",
         "b+ True"},
        {"Set r = New RegExp : r.Pattern = \"(\\d)(x)?\" : Set m = r.Execute(\"a1b\") : Print TypeName(m), "
         "TypeName(m(0)), TypeName(m(0).SubMatches), IsEmpty(m(0).SubMatches(1))",
         "IMatchCollection2 IMatch2 ISubMatches True"},
        {"Set r = New RegExp : r.Pattern = \"A\" : Print r.Test(\"xa\") : r.IgnoreCase = True : Print r.Test(\"xa\")",
         "False|True"},
    });
}

TEST(RegExp, Execute) {
    expectOutputs({
        {"Set r = New RegExp : r.Pattern = \"(\\w+)@(\\w+)\\.com\" : r.Global = True\n"
         "For Each m In r.Execute(\"mail joe@acme.com, ann@corp.com\")\n"
         "Print m.FirstIndex, m.Length, m, m.SubMatches(0), m.SubMatches.Item(1), m.SubMatches.Count\nNext",
         "5 12 joe@acme.com joe acme 2|19 12 ann@corp.com ann corp 2"},
        {"Set r = New RegExp : r.Pattern = \"\\d+\" : Set ms = r.Execute(\"10 20 30\") : Print ms.Count, ms(0).Value",
         "1 10"},
        {"Set r = New RegExp : r.Pattern = \"\\d+\" : r.Global = True : Set ms = r.Execute(\"10 20 30\")\n"
         "Print ms.Count, ms.Item(2), ms(1).FirstIndex",
         "3 30 3"},
        // Empty matches advance by one character.
        {"Set r = New RegExp : r.Pattern = \"x*\" : r.Global = True : Set ms = r.Execute(\"ab\") : Print ms.Count, "
         "ms(2).FirstIndex",
         "3 2"},
        {"Set r = New RegExp : r.Pattern = \"z\" : Print r.Execute(\"abc\").Count", "0"},
        {"Set r = New RegExp : r.Pattern = \"(a)|(b)\" : Set s = r.Execute(\"b\")(0).SubMatches\n"
         "For Each x In s : Print TypeName(x), x : Next",
         "Empty |String b"},
    });
    expectErrors({
        {"Set r = New RegExp : r.Pattern = \"a\" : x = r.Execute(\"a\")(1)", 5, 1, 39},
        {"Set r = New RegExp : r.Pattern = \"(a)\" : x = r.Execute(\"a\")(0).SubMatches(1)", 5, 1, 41},
    });
}

TEST(RegExp, Replace) {
    expectOutputs({
        {"Set r = New RegExp : r.Pattern = \"o\" : Print r.Replace(\"foo boo\", \"0\") : r.Global = True : "
         "Print r.Replace(\"foo boo\", \"0\")",
         "f0o boo|f00 b00"},
        {"Set r = New RegExp : r.Pattern = \"(\\w+) (\\w+)\" : Print r.Replace(\"john smith\", \"$2, $1 [$&] $$ $3 $0\")",
         "smith, john [john smith] $ $3 $0"},
        {"Set r = New RegExp : r.Pattern = \"b\" : Print r.Replace(\"abc\", \"[$`|$']\")", "a[a|c]c"},
        {"Set r = New RegExp : r.Pattern = \"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)\" : "
         "Print r.Replace(\"abcdefghijk\", \"$11-$10-$1-$12\")",
         "k-j-a-a2"},
        {"Set r = New RegExp : r.Pattern = \"(x)?y\" : Print r.Replace(\"ay\", \"<$1>\")", "a<>"},
        {"Set r = New RegExp : r.Pattern = \"\" : r.Global = True : Print r.Replace(\"abc\", \"-\")", "-a-b-c-"},
        {"Set r = New RegExp : r.Pattern = \"\\s+\" : r.Global = True : Print r.Replace(\" a \" & vbTab & \"b \", \"_\")",
         "_a_b_"},
    });
}

// What the JScript pattern language means where PCRE2 would read it otherwise.
TEST(RegExp, PatternLanguage) {
    expectOutputs({
        // $ without Multiline is the very end; with it, the end of each line.
        {"Set r = New RegExp : r.Pattern = \"a$\" : Print r.Test(\"a\" & vbLf), r.Test(\"a\") : r.Multiline = True : "
         "Print r.Test(\"a\" & vbLf & \"b\")",
         "False True|True"},
        {"Set r = New RegExp : r.Pattern = \"^b\" : r.Global = True : Print r.Execute(\"a\" & vbLf & \"b\").Count : "
         "r.Multiline = True : Print r.Execute(\"b\" & vbLf & \"b\").Count",
         "0|2"},
        // A back-reference to a group that took no part matches nothing; above the groups, octal.
        {"Set r = New RegExp : r.Pattern = \"(a)?b\\1c\" : Print r.Test(\"bc\"), r.Test(\"abac\")", "True True"},
        {"Set r = New RegExp : r.Pattern = \"a\\101\" : Print r.Test(\"aA\")", "True"},
        {"Set r = New RegExp : r.Pattern = \"\\u0041\\x42\\u20AC\" : Print r.Test(\"AB\" & Chr(128))", "True"},
        {"Set r = New RegExp : r.Pattern = \"a\\vb\\cJc\" : Print r.Test(\"a\" & Chr(11) & \"b\" & vbLf & \"c\")",
         "True"},
        // Unknown escapes stand for their letter; "\u" and "\x" without hex digits too.
        {"Set r = New RegExp : r.Pattern = \"\\q\\i\\u\\x\\z\" : Print r.Test(\"qiuxz\")", "True"},
        {"Set r = New RegExp : r.Pattern = \"[]\" : Print r.Test(\"a\") : r.Pattern = \"^[^]$\" : Print r.Test(vbLf)",
         "False|True"},
        {"Set r = New RegExp : r.Pattern = \"[[:a]+\" : Print r.Execute(\"x[:a\")(0)", "[:a"},
        {"Set r = New RegExp : r.Pattern = \"\\s\" : Print r.Test(Chr(160)), r.Test(\"x\")", "True False"},
        {"Set r = New RegExp : r.Pattern = \".\" : Print r.Test(vbLf), r.Test(vbCr), r.Test(\"x\")", "False True True"},
        // With Multiline, lines end at a carriage return or line feed.
        {"Set r = New RegExp : r.Pattern = \"(\\w+)$\" : r.Global = True : r.Multiline = True\n"
         "For Each m In r.Execute(\"abc\" & vbCrLf & \"de\" & vbCr & \"f\") : Print m : Next\n"
         "r.Pattern = \"^\\w\" : Print r.Execute(\"ab\" & vbCrLf & \"cd\" & vbLf & \"ef\").Count",
         "abc|de|f|3"},
        {"Set r = New RegExp : r.Pattern = \"(?:a|b)+(?=c)(?!d)\" : Print r.Execute(\"xabac\")(0)", "aba"},
        {"Set r = New RegExp : r.Pattern = \"a{2,}?\" : Print r.Execute(\"aaaa\")(0)", "aa"},
    });
}

// IgnoreCase folds the letters above ASCII too ("\xC9" is É, "\xE9" é, "\xC0" À, "\xDE" Þ).
TEST(RegExp, IgnoreCaseFoldsAllLetters) {
    expectOutputs({
        {"Set r = New RegExp : r.Pattern = \"caf\xE9\" : Print r.Test(\"CAF\xC9\") : r.IgnoreCase = True : "
         "Print r.Test(\"CAF\xC9\"), r.Test(\"Caf\xE9\")",
         "False|True True"},
        {"Set r = New RegExp : r.IgnoreCase = True : r.Pattern = \"[\xE0-\xFE]+\" : Print r.Execute(\"x\xC0\xC9\xDEy\")(0) = "
         "\"\xC0\xC9\xDE\"",
         "True"},
        {"Set r = New RegExp : r.IgnoreCase = True : r.Pattern = \"\\xE9\\u00C9[^\xE9]\" : Print r.Test(\"\xC9\xE9x\"), "
         "r.Test(\"\xC9\xE9\xC9\")",
         "True False"},
        {"Set r = New RegExp : r.IgnoreCase = True : r.Pattern = \"[A-Z]+[\\-x]\" : Print r.Execute(\"abC-\")(0)", "abC-"},
    });
}

TEST(RegExp, Errors) {
    expectErrors({
        {"Set r = New RegExp : r.Pattern = \"(a\" : r.Test \"a\"", 5020, 1, 40, "Expected ')' in regular expression"},
        {"Set r = New RegExp : r.Pattern = \"[a\" : r.Test \"a\"", 5019, 1, 40, "Expected ']' in regular expression"},
        {"Set r = New RegExp : r.Pattern = \"*a\" : r.Test \"a\"", 5018, 1, 40, "Unexpected quantifier"},
        {"Set r = New RegExp : r.Pattern = \"[z-a]\" : r.Test \"a\"", 5021, 1, 43, "Invalid range in character set"},
        {"Set r = New RegExp : r.Pattern = \"a\\\" : r.Test \"a\"", 5017, 1, 40, "Syntax error in regular expression"},
        {"Set r = New RegExp : r.Test Null", 94, 1, 21},
        {"Set r = New RegExp : r.Frob", 438, 1, 21},
    });
}

// Catastrophic backtracking ends with an error at once instead of freezing the run.
TEST(RegExp, BacktrackingIsBounded) {
    expectErrors({
        {"Set r = New RegExp : r.Pattern = \"^(a+)+$\" : r.Test String(40, \"a\") & \"b\"", 28, 1, 45},
        {"Set r = New RegExp : r.Pattern = \"(\\w+\\s?)*$\" : r.Global = True : x = r.Replace(String(60, \"x\") & \"!\", \"\")",
         28, 1, 66},
    });
}

}  // namespace vt::vbscript::test
