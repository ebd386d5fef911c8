#include "Encoder.h"

#include "Automation.h"
#include "Hex.h"

namespace keystrand {

using namespace vt::automation;

namespace {
std::string asText(ByteSpan b) { return std::string(b.begin(), b.end()); }
Bytes asBytes(std::string_view s) { return Bytes(s.begin(), s.end()); }
}  // namespace

const Members<Encoder>& Encoder::members() {
    static const Members<Encoder> m = [] {
        Members<Encoder> t("Encoder");
        using E = Encoder;
        t.method("ByteArrayToHexString", {1, 1}, [](E&, Args& a) { return Variant(bytesToHex(ByteArg(a.value(0)))); })
            .method("StringToHexString", {1, 1}, [](E&, Args& a) { return Variant(bytesToHex(asBytes(a.string(0)))); })
            .method("stringToByteArray", {1, 1}, [](E&, Args& a) { return fromBytes(asBytes(a.string(0))); })
            .method("byteArrayToString", {1, 1}, [](E&, Args& a) { return Variant(asText(ByteArg(a.value(0)))); })
            .method("HexStringToByteArray", {1, 1}, [](E&, Args& a) { return fromBytes(hexToBytes(a.string(0))); })
            .method("ByteToHexString", {1, 1}, [](E&, Args& a) { return Variant(byteToHex(toByte(a.value(0)))); })
            .method("CharToHexString", {1, 1}, [](E&, Args& a) {
                const std::string s = a.string(0);
                if (s.empty()) raise(err::InvalidCall);
                return Variant(byteToHex(std::uint8_t(s[0])));
            })
            .method("HexToVal", {1, 1}, [](E&, Args& a) { return Variant(hexToValue(a.string(0))); });
        return t;
    }();
    return m;
}

}  // namespace keystrand
