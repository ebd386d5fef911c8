#include "Digest.h"

#include "Algorithms.h"
#include "Enumerations.h"
#include "Errors.h"

namespace keystrand {

namespace {
ossl::MdCtx start(const char* name) {
    ossl::Md md = ossl::fetchDigest(name);
    if (!md) fail(code::BadAlgorithm);
    ossl::MdCtx ctx(EVP_MD_CTX_new());
    if (!ctx || EVP_DigestInit_ex2(ctx.get(), md.get(), nullptr) != 1) fail(code::InternalFailure);
    return ctx;
}
std::vector<std::uint8_t> finish(EVP_MD_CTX* ctx) {
    std::vector<std::uint8_t> out(EVP_MAX_MD_SIZE);
    unsigned n = 0;
    if (EVP_DigestFinal_ex(ctx, out.data(), &n) != 1) fail(code::InternalFailure);
    out.resize(n);
    return out;
}
}  // namespace

Digest::Digest(std::int32_t algorithm) : algorithm_(algorithm) {
    const AlgorithmInfo* a = findAlgorithm(algorithm);
    if (!a || a->kind != AlgorithmKind::Hash || !algorithmAvailable(algorithm)) fail(code::BadAlgorithm);
    if (algorithm == alg::MD2) {
        md2_.emplace();
    } else if (algorithm == alg::SSL3_SHAMD5) {
        first_ = start("SHA1");
        second_ = start("MD5");
    } else {
        first_ = start(a->opensslName);
    }
}

Digest::Digest(Digest&&) noexcept = default;
Digest& Digest::operator=(Digest&&) noexcept = default;
Digest::~Digest() = default;

std::size_t Digest::size() const noexcept { return std::size_t(findAlgorithm(algorithm_)->blockBits / 8); }

void Digest::update(std::span<const std::uint8_t> data) {
    if (md2_) return md2_->update(data);
    if (EVP_DigestUpdate(first_.get(), data.data(), data.size()) != 1) fail(code::InternalFailure);
    if (second_ && EVP_DigestUpdate(second_.get(), data.data(), data.size()) != 1) fail(code::InternalFailure);
}

std::vector<std::uint8_t> Digest::final() {
    if (md2_) {
        const auto v = md2_->final();
        return {v.begin(), v.end()};
    }
    if (second_) {
        // MD5 first, then SHA-1: the order the SSL3 pair is signed in.
        std::vector<std::uint8_t> out = finish(second_.get());
        const std::vector<std::uint8_t> sha = finish(first_.get());
        out.insert(out.end(), sha.begin(), sha.end());
        return out;
    }
    return finish(first_.get());
}

std::vector<std::uint8_t> Digest::of(std::int32_t algorithm, std::span<const std::uint8_t> data) {
    Digest d(algorithm);
    d.update(data);
    return d.final();
}

}  // namespace keystrand
