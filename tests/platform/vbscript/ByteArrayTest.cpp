// Byte arrays in scripts: elements read and written as bytes, copies that share the bytes until
// one of them is written, elements and whole arrays passed by reference, ReDim Preserve, For
// Each, the byte functions.

#include "ScriptHarness.h"

namespace vt::vbscript::test {

using automation::Args;
using automation::Members;
using automation::Variant;

namespace {

// Where scripts get byte arrays from, and a host method that writes into the caller's one.
class ByteHost final : public automation::Dispatch<ByteHost> {
public:
    static const Members<ByteHost>& members() {
        static const Members<ByteHost> m = [] {
            Members<ByteHost> t("ByteHost");
            t.method("Of", {1, 1}, [](ByteHost&, Args& a) { return Variant::bytes(a.string(0)); });
            // Fills the caller's byte array in place.
            t.method("Fill", {2, 2}, [](ByteHost&, Args& a) {
                Variant& target = a.ref(0);
                if (!target.isArray()) automation::raise(automation::err::TypeMismatch);
                for (std::uint8_t& b : target.arrayValue().writableBytes()) b = automation::toByte(a.value(1));
                return Variant();
            });
            // Gives the caller's variable a new byte array.
            t.method("Replace", {2, 2}, [](ByteHost&, Args& a) {
                a.ref(0) = Variant::bytes(a.string(1));
                return Variant();
            });
            // Whether two byte arrays share one buffer.
            t.method("Same", {2, 2}, [](ByteHost&, Args& a) {
                return Variant(a.raw(0).arrayValue().bytes().data() == a.raw(1).arrayValue().bytes().data());
            });
            return t;
        }();
        return m;
    }
};

Outcome runWithBytes(Harness& h, const std::string& code) {
    h.reset();
    h.sc.addObject("Bin", Variant(automation::makeRef<ByteHost>()));
    return h.more(code);
}

void expectOutputsWithBytes(std::initializer_list<OutputCase> cases) {
    Harness h;
    for (const OutputCase& c : cases) {
        SCOPED_TRACE(c.code);
        const Outcome o = runWithBytes(h, c.code);
        EXPECT_EQ(o.error.number, 0) << o.error.description;
        EXPECT_EQ(o.output, c.output);
    }
}

}  // namespace

TEST(ByteArrays, ReadWriteCopyAndPass) {
    expectOutputsWithBytes({
        {"b = Bin.Of(\"abc\") : Print VarType(b), TypeName(b), LBound(b), UBound(b), b(0), TypeName(b(1))",
         "8209 Byte() 0 2 97 Byte"},
        // A copy shares the bytes until one side writes; the other keeps its own.
        {"b = Bin.Of(\"abc\") : c = b : Print Bin.Same(b, c) : c(0) = 65 : Print b(0), c(0), Bin.Same(b, c)", "True|97 65 False"},
        {"b = Bin.Of(\"abc\") : c = b : b(2) = 0 : Print b(2), c(2)", "0 99"},
        // Written elements become Bytes.
        {"b = Bin.Of(\"ab\") : b(0) = \"7\" : b(1) = 2.5 : Print b(0), b(1), TypeName(b(0)), TypeName(b)", "7 2 Byte Byte()"},
        // By value a procedure gets a copy, by reference the caller's array.
        {"Sub F(ByVal x) : x(0) = 1 : End Sub : Sub G(x) : x(0) = 2 : End Sub\n"
         "b = Bin.Of(\"abc\") : F b : Print b(0) : G b : Print b(0)",
         "97|2"},
        // An element passed by reference comes back changed; copies keep theirs.
        {"Sub Bump(x) : x = x + 1 : End Sub\nb = Bin.Of(\"abc\") : c = b : Bump b(1) : Print b(1), c(1)", "99 98"},
        // Read only, it leaves the bytes shared.
        {"Function Hex2(v) : Hex2 = Right(\"0\" & Hex(v), 2) : End Function\n"
         "b = Bin.Of(\"abc\") : c = b : s = \"\" : For i = 0 To UBound(b) : s = s & Hex2(b(i)) : Next : Print s, Bin.Same(b, c)",
         "616263 True"},
        // A value that is no byte is kept: the array then holds Variants.
        {"Sub Put(x) : x = \"text\" : End Sub\nb = Bin.Of(\"ab\") : Put b(0) : Print TypeName(b(0)), b(0), b(1), VarType(b)",
         "String text 98 8209"},
        // A host method writes into the caller's array, not into its copies.
        {"b = Bin.Of(\"abc\") : c = b : Bin.Fill b, 120 : Print b(0), b(2), c(0)", "120 120 97"},
        {"b = Bin.Of(\"abc\") : Bin.Replace b, \"xy\" : Print UBound(b), b(1), TypeName(b)", "1 121 Byte()"},
        {"Class C : Public d : End Class\nSet o = New C : o.d = Bin.Of(\"ab\") : o.d(0) = 5 : Print o.d(0), o.d(1)", "5 98"},
        {"Set d = CreateObject(\"Scripting.Dictionary\") : d(\"k\") = Bin.Of(\"ab\") : Print d(\"k\")(1)", "98"},
        {"b = Bin.Of(\"\") : Print UBound(b), LenB(b), TypeName(b)", "-1 0 Byte()"},
        {"Print Join(Bin.Of(\"ab\"), \"-\")", "97-98"},
    });
}

TEST(ByteArrays, ReDimForEachAndByteFunctions) {
    expectOutputsWithBytes({
        {"b = Bin.Of(\"abc\") : c = b : ReDim Preserve b(4) : b(4) = 255\n"
         "Print UBound(b), b(2), b(3), b(4), TypeName(b), UBound(c), c(2)",
         "4 99 0 255 Byte() 2 99"},
        {"b = Bin.Of(\"abc\") : ReDim Preserve b(0) : Print UBound(b), b(0) : ReDim Preserve b(1) : Print b(1)", "0 97|0"},
        {"b = Bin.Of(\"ab\") : ReDim b(2) : Print TypeName(b), IsEmpty(b(0))", "Variant() True"},
        {"b = Bin.Of(\"ab\") : For Each x In b : Print TypeName(x), x : Next", "Byte 97|Byte 98"},
        // For Each walks the array as it was when the loop began.
        {"b = Bin.Of(\"ab\") : For Each x In b : b(1) = 0 : Print x : Next : Print b(1)", "97|98|0"},
        {"b = Bin.Of(\"ABC\") : Print LenB(b), AscB(b), AscB(MidB(b, 2, 1)), AscB(MidB(b, 3)), LeftB(b, 1), RightB(b, 1)",
         "3 65 66 67 A C"},
        {"b = Bin.Of(\"ABC\") : Print LenB(MidB(b, 9)), LenB(LeftB(b, 9)), LenB(RightB(b, 0)), IsNull(MidB(Null, 1))",
         "0 4 0 True"},
        {"b = Bin.Of(\"ab\") : Erase b : Print TypeName(b)", "Variant()"},
    });
}

TEST(ByteArrays, Errors) {
    Harness h;
    const ErrorCase cases[] = {
        {"b = Bin.Of(\"ab\") : b(0) = 256", 6, 1, 19},
        {"b = Bin.Of(\"ab\") : b(0) = -1", 6, 1, 19},
        {"b = Bin.Of(\"ab\") : b(0) = \"x\"", 13, 1, 19},
        {"b = Bin.Of(\"ab\") : b(0) = Null", 94, 1, 19},
        {"b = Bin.Of(\"ab\") : Set b(0) = Out", 13, 1, 19},
        {"b = Bin.Of(\"ab\") : b(2) = 1", 9, 1, 19},
        {"b = Bin.Of(\"ab\") : x = b(-1)", 9, 1, 19},
        {"b = Bin.Of(\"ab\") : ReDim Preserve b(1, 1)", 9, 1, 19},
        // An element in use by reference keeps its array from being resized or replaced.
        {"Sub R(x) : ReDim Preserve b(5) : End Sub\nb = Bin.Of(\"ab\") : R b(0)", 10, 1, 11},
        {"Sub S(x) : b = 1 : End Sub\nb = Bin.Of(\"ab\") : S b(0)", 10, 1, 11},
        {"x = CStr(Bin.Of(\"a\"))", 13, 1, 0},
        {"x = AscB(Bin.Of(\"\"))", 5, 1, 0},
        {"x = Bin.Of(\"a\") & \"\"", 13, 1, 0},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.code);
        const Outcome o = runWithBytes(h, c.code);
        EXPECT_EQ(o.error.number, c.number) << o.error.description;
        EXPECT_EQ(o.error.line, c.line);
        EXPECT_EQ(o.error.column, c.column);
    }
}

}  // namespace vt::vbscript::test
