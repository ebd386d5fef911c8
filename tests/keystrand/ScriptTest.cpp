// A script reaches Keystrand by class name through CreateObject.

#include "Support.h"

#include "keystrand/Register.h"

#include "platform/vbscript/ScriptControl.h"

namespace keystrand::test {
namespace {

using namespace vt::automation;

class Lines final : public Dispatch<Lines> {
public:
    static const Members<Lines>& members() {
        static const Members<Lines> m = [] {
            Members<Lines> t("Lines");
            t.method("Print", {1, 1}, [](Lines& l, Args& a) {
                l.lines.push_back(toText(a.raw(0)));
                return Variant();
            });
            return t;
        }();
        return m;
    }
    std::vector<std::string> lines;
};

// What the script prints.
std::vector<std::string> printed(std::string_view code) {
    registerClasses();
    vt::vbscript::ScriptControl sc;
    auto out = makeRef<Lines>();
    sc.addObject("Out", Variant(out), true);
    sc.addCode(code);
    return out->lines;
}

TEST(Script, CreatesKeystrandClassesByName) {
    const std::vector<std::string> lines = printed(R"(
Set providers = CreateObject("Keystrand.clsProviders")
Print providers.Count & " " & providers(1).NAME & " " & providers.LocateProvider("nobody", 1)
Set p = providers.Item("2")
p.Acquire "", &HF0000000
Set enc = CreateObject("Keystrand.Encoder")
Set h = p.CreateHash(32769)
h.AddData enc.stringToByteArray("abc")
Print h.ToHex
Set k = CreateObject("Keystrand.clsKey")
k.Generate p.hContext, &H6801
secret = k.Encrypt(enc.stringToByteArray("attack at dawn"))
Print UBound(secret) & " " & k.CipherAlgorithmType & " " & enc.byteArrayToString(k.Decrypt(secret))
n = 0
For Each q In providers
  n = n + 1
Next
Print n
names = ""
For Each a In p.Properties.ENUMALGS_EX
  If a.aiAlgid = 26128 Or a.aiAlgid = 32769 Then names = names & a.szLongName & ";"
Next
Print names & p.Properties.ENUMALGS_EX("0").szName
p.Release
On Error Resume Next
p.Release
Print Hex(Err.Number) & "|" & Err.Source & "|" & Err.Description
Err.Clear
x = enc.HexStringToByteArray("abc")
Print Err.Number
)");
    EXPECT_EQ(lines, (std::vector<std::string>{
                              "4 Keystrand Full RSA Provider -1",
                              "DA853B0D3F88D99B30283A69E6DED6BB",
                              "13 2048 attack at dawn",
                              "4",
                              "Advanced Encryption Standard 256 bit;Message Digest 2 (MD2);AES 128",
                              "80090001|clsProvider.Release|Bad UID.",
                              "5",
                          }));
}

TEST(Script, HashesByteArraysTheScriptBuiltAndCopied) {
    const std::vector<std::string> lines = printed(R"(
Set p = CreateObject("Keystrand.clsProviders").Item("2")
p.Acquire "", &HF0000000
Set enc = CreateObject("Keystrand.Encoder")
Function Md5(x)
    Set h = p.CreateHash(32771)
    h.AddData x
    Md5 = h.ToHex
End Function
a = enc.stringToByteArray("abc")
b = a
ReDim Preserve b(3)
b(3) = 100
Print Md5(a) & " " & Md5(b) & " " & enc.byteArrayToString(a) & " " & enc.ByteArrayToHexString(b)
Print Md5(Array(97, 98, "99"))
)");
    EXPECT_EQ(lines, (std::vector<std::string>{
                              "900150983CD24FB0D6963F7D28E17F72 E2FC714C4727EE9395F324CD2E7F331F abc 61626364",
                              "900150983CD24FB0D6963F7D28E17F72",
                          }));
}

}  // namespace
}  // namespace keystrand::test
