// Digest, scrambling and whole-asset loading on 256 MiB, each against the
// plain way of doing the same work in the same run.
#include <Vexir/Assets.h>
#include <Vexir/Encryption.h>

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "BenchmarkMain.h"

namespace {

const std::size_t kSize = 256u << 20;

const std::vector<unsigned char>& Payload()
{
    static const std::vector<unsigned char> s_payload = [] {
        std::vector<unsigned char> bytes(kSize);
        std::mt19937_64 random(42);
        for (std::size_t i = 0; i + 8 <= bytes.size(); i += 8) {
            const std::uint64_t value = random();
            std::memcpy(&bytes[i], &value, 8);
        }
        return bytes;
    }();
    return s_payload;
}

void OpenSslMd5(const unsigned char* data, std::size_t size, unsigned char digest[16])
{
    unsigned int length = 16;
    EVP_Digest(data, size, digest, &length, EVP_md5(), nullptr);
}

void SetBytes(benchmark::State& state) { state.SetItemsProcessed(state.iterations() * static_cast<long long>(kSize)); }

void BM_Md5_Vexir(benchmark::State& state)
{
    Payload();  // made before the clock starts
    unsigned char digest[16];
    for (auto _ : state) {
        Vexir::Encryption::ComputeMd5(Payload().data(), kSize, digest);
        benchmark::DoNotOptimize(digest);
    }
    SetBytes(state);
}
BENCHMARK(BM_Md5_Vexir)->Unit(benchmark::kMillisecond);

void BM_Md5_OpenSsl(benchmark::State& state)
{
    Payload();
    unsigned char digest[16];
    for (auto _ : state) {
        OpenSslMd5(Payload().data(), kSize, digest);
        benchmark::DoNotOptimize(digest);
    }
    SetBytes(state);
}
BENCHMARK(BM_Md5_OpenSsl)->Unit(benchmark::kMillisecond);

void BM_Scramble(benchmark::State& state)
{
    std::vector<unsigned char> buffer = Payload();
    for (auto _ : state) {
        Vexir::Encryption::Encrypt(Vexir::Encryption::Scheme0, buffer.data(), buffer.size());
        benchmark::ClobberMemory();
    }
    SetBytes(state);
}
BENCHMARK(BM_Scramble)->Unit(benchmark::kMillisecond);

void BM_Memcpy(benchmark::State& state)
{
    std::vector<unsigned char> target(kSize);
    Payload();
    for (auto _ : state) {
        std::memcpy(target.data(), Payload().data(), kSize);
        benchmark::ClobberMemory();
    }
    SetBytes(state);
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

std::string HeadedAssetFile()
{
    static const std::string s_path = [] {
        const std::string path = (std::filesystem::temp_directory_path() / "vexir-bench-asset.dat").string();
        std::vector<unsigned char> payload = Payload();
        const Vexir::AssetFileHeader header = Vexir::MakeAssetFileHeader(payload.data(), payload.size());
        Vexir::Encryption::Encrypt(Vexir::Encryption::Scheme0, payload.data(), payload.size());
        std::FILE* file = std::fopen(path.c_str(), "wb");
        std::fwrite(&header, sizeof header, 1, file);
        std::fwrite(payload.data(), 1, payload.size(), file);
        std::fclose(file);
        return path;
    }();
    return s_path;
}

void BM_LoadAsset_GetAsset(benchmark::State& state)
{
    const Vexir::Path path(HeadedAssetFile());
    for (auto _ : state) {
        Vexir::IAsset::Status status = Vexir::IAsset::Unknown;
        Vexir::IAsset* asset = Vexir::GetMgrAssets()->GetAsset(path, 2, &status);
        if (!asset) {
            state.SkipWithError(Vexir::IAsset::StatusString(status));
            break;
        }
        Vexir::GetMgrAssets()->ReleaseAsset(asset);
    }
    SetBytes(state);
}
BENCHMARK(BM_LoadAsset_GetAsset)->Unit(benchmark::kMillisecond);

// The least a loader must do: read the file and digest it.
void BM_LoadAsset_FreadAndOpenSslMd5(benchmark::State& state)
{
    const std::string path = HeadedAssetFile();
    for (auto _ : state) {
        std::vector<unsigned char> bytes(kSize + 24);
        std::FILE* file = std::fopen(path.c_str(), "rb");
        const std::size_t read = std::fread(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        unsigned char digest[16];
        OpenSslMd5(bytes.data() + 24, read - 24, digest);
        benchmark::DoNotOptimize(digest);
    }
    SetBytes(state);
}
BENCHMARK(BM_LoadAsset_FreadAndOpenSslMd5)->Unit(benchmark::kMillisecond);

const bool s_registered = [] {
    VexirBench::CompareRates("MD5 / OpenSSL MD5", "BM_Md5_Vexir", "BM_Md5_OpenSsl", 0.9);
    VexirBench::CompareRates("Scrambling / memcpy", "BM_Scramble", "BM_Memcpy", 0.5);
    // A time at most 1.2 times the plain read and digest is a rate of at least 1 / 1.2.
    VexirBench::CompareRates("GetAsset load / fread + OpenSSL MD5 (rate; time ratio is the inverse)",
                             "BM_LoadAsset_GetAsset", "BM_LoadAsset_FreadAndOpenSslMd5", 1.0 / 1.2);
    return true;
}();

}  // namespace
