// Keystrand's key blobs and hexadecimal conversions. A blob imported into a verify-only context of
// each provider (wrapped blobs are unwrapped with the fixed exchange key below) exports as a blob
// that imports and exports again to the same bytes, and no key handle is left behind. Hex text
// and bytes convert both ways without loss, and the Encoder's members take any text or bytes.

#include "FuzzCheck.h"
#include "Scratch.h"
#include "keystrand/Automation.h"
#include "keystrand/Encoder.h"
#include "keystrand/Engine.h"
#include "keystrand/Enumerations.h"
#include "keystrand/Errors.h"
#include "keystrand/Hex.h"
#include "platform/automation/Object.h"

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace keystrand;
using namespace keystrand::engine;
using vt::automation::Variant;

// A 512-bit exchange key pair, so seeds can hold blobs wrapped with it.
constexpr std::string_view kExchangeKey =
    "0702000000A40000525341320002000001000100596CC68987BB9E9A619A0E8CC7DD16541C30E793213718DCB6AFE458"
    "D6394F02328034BB9B5686C0EDC5B76B27F42B5C6F943DCDE8E4F8D7780603B857EB35DE2D60063439A796A1EE9E840A"
    "F6B81895682496E7D215FE10AD5D268B5C3651FE5DEC7C017F902B9BC87E778BA840DF45264592AB6274A7B937C903B3"
    "5452AEDFDD811053758260AB747677352FE1F5F12725EFD54F52F1835C34DFABBCBA8D20E5775A60DCAD23DBFEB4326F"
    "800F9D09CEAE5EFE2A1BCEBE7CF1CD0B67EC3816A87932F91CCFBCE15C4B301D83947BE1E61F2428E1A8502C29E1575F"
    "3A855D99B1B793CEF183655A7B2D2BE2A5C6A2524F0299ED060D8D1BB0F6EE68433C4F168CA6A61A713B1906DFF0CDE5"
    "E4535BCE037F3283C4AF06B3F2B53B88F175B87D";

struct Provider {
    Handle context = 0;
    Handle exchange = 0;
};
std::vector<Provider> gProviders;

template <class F>
bool refused(F&& f) {
    try {
        f();
        return false;
    } catch (const Failure&) {
        return true;
    } catch (const vt::automation::Error&) {
        return true;
    }
}

void blobRoundTrip(const Provider& p, ByteSpan blob) {
    Handle key = 0;
    if (refused([&] { key = importKey(p.context, blob, p.exchange, CRYPT_EXPORTABLE); })) return;
    // A wrapped key is taken out as plain text: a new wrapping is never the same bytes.
    const std::int32_t type = blob[0] == SIMPLEBLOB ? PLAINTEXTKEYBLOB : blob[0];
    Bytes first;
    const bool exported = !refused([&] { first = exportKey(key, 0, type, 0); });
    destroyKey(key);
    if (!exported) return;
    Handle again = 0;
    VT_FUZZ_CHECK(!refused([&] { again = importKey(p.context, first, p.exchange, CRYPT_EXPORTABLE); }),
                  "an exported blob does not import");
    Bytes second;
    VT_FUZZ_CHECK(!refused([&] { second = exportKey(again, 0, type, 0); }), "a re-imported key does not export");
    destroyKey(again);
    VT_FUZZ_CHECK(first == second, "a blob exported, imported and exported again changed");
}

void hexRoundTrip(std::string_view text, ByteSpan bytes) {
    const std::string hex = bytesToHex(bytes);
    std::vector<std::uint8_t> back;
    VT_FUZZ_CHECK(!refused([&] { back = hexToBytes(hex); }), "hex text of bytes does not read back");
    VT_FUZZ_CHECK(back == std::vector<std::uint8_t>(bytes.begin(), bytes.end()), "bytes changed through hex text");
    if (refused([&] { back = hexToBytes(text); })) return;
    VT_FUZZ_CHECK(back.size() * 2 == text.size(), "not one byte a digit pair");
    bool allDigits = true;
    for (char c : text) allDigits = allDigits && std::isxdigit(static_cast<unsigned char>(c));
    std::string upper(text);
    for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
    if (allDigits) VT_FUZZ_CHECK(bytesToHex(back) == upper, "hex text read and written is another text");
}

void encoderMembers(std::string_view text) {
    const Variant encoder{vt::automation::ObjectRef(vt::automation::makeRef<Encoder>())};
    const Variant argument{std::string(text)};
    for (const char* member : {"ByteArrayToHexString", "StringToHexString", "stringToByteArray", "byteArrayToString",
                               "HexStringToByteArray", "ByteToHexString", "CharToHexString", "HexToVal"})
        (void)refused([&] { (void)vt::automation::call(encoder, member, {argument}); });
    if (text.size() > 32767) return;   // arrays end at the largest 16-bit index
    Variant bytes;
    VT_FUZZ_CHECK(!refused([&] { bytes = vt::automation::call(encoder, "stringToByteArray", {argument}); }),
                  "a text does not become bytes");
    Variant back;
    VT_FUZZ_CHECK(!refused([&] { back = vt::automation::call(encoder, "byteArrayToString", {bytes}); }),
                  "bytes do not become a text");
    VT_FUZZ_CHECK(vt::automation::toText(back) == text, "a text changed through bytes");
    Variant hex;
    VT_FUZZ_CHECK(!refused([&] { hex = vt::automation::call(encoder, "ByteArrayToHexString", {bytes}); }),
                  "bytes do not become hex text");
    VT_FUZZ_CHECK(!refused([&] { back = vt::automation::call(encoder, "HexStringToByteArray", {hex}); }),
                  "hex text of bytes does not become bytes");
    VT_FUZZ_CHECK(toBytes(back) == toBytes(bytes), "bytes changed through hex text");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Verify-only contexts keep nothing, but the library's folder is ours all the same.
    setDataRoot(vt::fuzz::scratchFolder("keystrand"));
    const std::vector<std::uint8_t> exchange = hexToBytes(kExchangeKey);
    for (const ProviderInfo& info : providerTable()) {
        Provider p;
        p.context = acquireContext("", info.name, info.type, CRYPT_VERIFYCONTEXT);
        // Providers without RSA (DSS and Diffie-Hellman) take no RSA exchange key.
        (void)refused([&] { p.exchange = importKey(p.context, exchange, 0, CRYPT_EXPORTABLE); });
        gProviders.push_back(p);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ByteSpan bytes(data, size);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t handles = liveHandles();
    if (size > 0) blobRoundTrip(gProviders[size % gProviders.size()], bytes);
    VT_FUZZ_CHECK(liveHandles() == handles, "a key handle was left behind");
    hexRoundTrip(text, bytes);
    (void)refused([&] { (void)hexToValue(text); });
    encoderMembers(text);
    return 0;
}
