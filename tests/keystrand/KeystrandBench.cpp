// Throughput of the hashes and ciphers, and the cost of a signature (run on demand).

#include "keystrand/Digest.h"
#include "keystrand/Engine.h"
#include "keystrand/Enumerations.h"

#include <benchmark/benchmark.h>

namespace {

using namespace keystrand;

const std::vector<std::uint8_t>& megabyte() {
    static const std::vector<std::uint8_t> data(1 << 20, 0x5a);
    return data;
}

void Hash(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Digest::of(std::int32_t(state.range(0)), megabyte()));
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(megabyte().size()));
}
BENCHMARK(Hash)->Arg(alg::MD2)->Arg(alg::MD4)->Arg(alg::MD5)->Arg(alg::SHA1)->Arg(alg::SHA_256);

void Encrypt(benchmark::State& state) {
    const auto ctx = engine::acquireContext("", "Keystrand RSA and AES Provider", PROV_RSA_AES, CRYPT_VERIFYCONTEXT);
    const auto key = engine::generateKey(ctx, std::int32_t(state.range(0)), 0);
    for (auto _ : state) benchmark::DoNotOptimize(engine::encrypt(key, 0, megabyte()));
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(megabyte().size()));
    engine::destroyKey(key);
    engine::releaseContext(ctx);
}
BENCHMARK(Encrypt)->Arg(alg::DES)->Arg(alg::TRIPLE_DES)->Arg(alg::RC2)->Arg(alg::RC4)->Arg(alg::AES_256);

void Sign1024(benchmark::State& state) {
    const auto ctx = engine::acquireContext("", "Keystrand Full RSA Provider", PROV_RSA_FULL, CRYPT_VERIFYCONTEXT);
    engine::destroyKey(engine::generateKey(ctx, AT_SIGNATURE, 1024 << 16));
    for (auto _ : state) {
        const auto h = engine::createHash(ctx, alg::SHA1, 0, 0);
        engine::hashData(h, std::span(megabyte()).first(1000), 0);
        benchmark::DoNotOptimize(engine::signHash(h, AT_SIGNATURE, 0));
        engine::destroyHash(h);
    }
    engine::releaseContext(ctx);
}
BENCHMARK(Sign1024);

}  // namespace
