#include "DssDhKeys.h"
#include "EngineState.h"
#include "Enumerations.h"
#include "Errors.h"
#include "RsaKeys.h"
#include "platform/files/SafeFile.h"

#include <cstdlib>
#include <fstream>

#include <fcntl.h>
#include <unistd.h>

namespace keystrand::engine::detail {

namespace fs = std::filesystem;

namespace {

const char* keyFileName(std::int32_t keySpec) { return keySpec == AT_SIGNATURE ? "Signature.key" : "Exchange.key"; }

// The pair's private blob body: RSA2, or the version 3 body (DSS4, DH4) that keeps q and y.
Bytes pairBody(const KeyPair& pair) {
    switch (pair.algorithm) {
    case alg::DSS_SIGN: return dssdh::blobBody(dssdh::Kind::Dss, {pair.pkey, pair.seed, true}, true, true);
    case alg::DH_SF: return dssdh::blobBody(dssdh::Kind::Dh, {pair.pkey, pair.seed, true}, true, true);
    default: return rsa::blobBody(pair.pkey.get(), true);
    }
}

bool dssPair(const KeyPair& pair) { return pair.algorithm == alg::DSS_SIGN || pair.algorithm == alg::DH_SF; }

// Reads the flags and the body of a key file of one family.
KeyPair readPair(ByteSpan s, std::int32_t keySpec, bool dss) {
    KeyPair pair;
    pair.flags = std::int32_t(blob::get32(s));
    if (!dss) {
        pair.algorithm = keySpec == AT_SIGNATURE ? alg::RSA_SIGN : alg::RSA_KEYX;
        pair.pkey = rsa::fromBlobBody(s, true);
        return pair;
    }
    const bool signature = keySpec == AT_SIGNATURE;
    pair.algorithm = signature ? alg::DSS_SIGN : alg::DH_SF;
    dssdh::KeyData key =
        dssdh::fromBlobBody(signature ? dssdh::Kind::Dss : dssdh::Kind::Dh, s, true, nullptr);
    pair.pkey = std::move(key.pkey);
    pair.seed = std::move(key.seed);
    return pair;
}

}  // namespace

fs::path containersFolder(const ProviderInfo& provider) {
    return dataRoot() / (dssFamily(provider) ? "DssContainers" : "Containers");
}

std::string defaultContainer() {
    if (const char* u = std::getenv("USER"); u && *u) return u;
    return "Default";
}

bool validContainerName(std::string_view name) {
    if (name.empty() || name.size() > 260 || name == "." || name == "..") return false;
    return name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos &&
           name.find("..") == std::string_view::npos;
}

void makePrivateFolder(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) fail(code::Permission);
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ec);
}

void saveKeyPair(const fs::path& folder, std::int32_t keySpec, const KeyPair& pair) {
    Bytes data = blob::le32(std::uint32_t(pair.flags));
    const Bytes body = pairBody(pair);
    data.insert(data.end(), body.begin(), body.end());
    // What would not open again is never written: the container keeps the key it has.
    struct Cleanse {
        Bytes& b;
        ~Cleanse() { OPENSSL_cleanse(b.data(), b.size()); }
    } cleanse{data};
    readPair(data, keySpec, dssPair(pair));
    const fs::path target = folder / keyFileName(keySpec);
    // The safe writer's file is private from the start: the key is never readable by others.
    try {
        vt::files::ReplaceFile(target, std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    } catch (const fs::filesystem_error&) {
        fail(code::Permission);
    }
}

KeyPair loadKeyPair(const fs::path& folder, std::int32_t keySpec, const ProviderInfo& provider) {
    std::ifstream in(folder / keyFileName(keySpec), std::ios::binary);
    if (!in) return {};
    Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    KeyPair pair;
    try {
        pair = readPair(data, keySpec, dssFamily(provider));
    } catch (const Failure&) {
        OPENSSL_cleanse(data.data(), data.size());
        fail(code::BadKeyset);
    }
    OPENSSL_cleanse(data.data(), data.size());
    return pair;
}

KeyPair& pairOf(Context& c, std::int32_t keySpec) {
    if (keySpec != AT_SIGNATURE && keySpec != AT_KEYEXCHANGE) fail(code::BadKey);
    return keySpec == AT_SIGNATURE ? c.signature : c.exchange;
}

void setPair(Context& c, std::int32_t keySpec, const KeyPair& pair) {
    if (!c.verifyOnly) saveKeyPair(c.folder, keySpec, pair);
    pairOf(c, keySpec) = pair;
}

}  // namespace keystrand::engine::detail
