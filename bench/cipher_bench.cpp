// This engine and OpenSSL's Blowfish side by side, under the same names, so
// results compare over time: Command/*, KeySchedule/*, Blocks/* (and the
// same with 32 in the 32-bit build).
#include <benchmark/benchmark.h>

#include <string.h>

#include <string>

#include <openssl/blowfish.h>

#include "blowfish.h"
#include "crypt_text.h"

namespace {

const unsigned char kKey[17] = "0123456789abcdef"; // 16 bytes
constexpr int kKeyLength = 16;
constexpr size_t kBulkBytes = 64 * 1024;

// A 255-byte text in its 256-byte area: 32 blocks.
struct TextArea {
    unsigned char bytes[256];
    TextArea()
    {
        memset(bytes, 0, sizeof bytes);
        for (int i = 0; i < 255; ++i)
            bytes[i] = static_cast<unsigned char>('A' + i % 57);
    }
};

void Command_Corvane(benchmark::State& state)
{
    TextArea input;
    unsigned char output[257] = {};
    for (auto _ : state) {
        CryptText(output, input.bytes, kKey, CRYPT_ENCRYPT);
        benchmark::DoNotOptimize(output);
    }
}

void Command_OpenSSL(benchmark::State& state)
{
    TextArea input;
    unsigned char output[257] = {};
    BF_KEY key;
    for (auto _ : state) {
        BF_set_key(&key, kKeyLength, kKey);
        for (int b = 0; b < 32; ++b)
            BF_ecb_encrypt(input.bytes + 8 * b, output + 8 * b, &key, BF_ENCRYPT);
        benchmark::DoNotOptimize(output);
    }
}

void KeySchedule_Corvane(benchmark::State& state)
{
    for (auto _ : state) {
        BlowfishSetup(kKey);
        benchmark::DoNotOptimize(WorkS);
    }
    // 521 encryptions of 16 rounds each, one after the other.
    state.counters["rounds"] = benchmark::Counter(521.0 * 16, benchmark::Counter::kIsIterationInvariantRate);
}

void KeySchedule_OpenSSL(benchmark::State& state)
{
    BF_KEY key;
    for (auto _ : state) {
        BF_set_key(&key, kKeyLength, kKey);
        benchmark::DoNotOptimize(key);
    }
    state.counters["rounds"] = benchmark::Counter(521.0 * 16, benchmark::Counter::kIsIterationInvariantRate);
}

struct Bulk {
    unsigned char in[kBulkBytes];
    unsigned char out[kBulkBytes] = {};
    Bulk()
    {
        for (size_t i = 0; i < kBulkBytes; ++i)
            in[i] = static_cast<unsigned char>(i * 131 + 7);
    }
};

void Blocks_Corvane(benchmark::State& state)
{
    static Bulk bulk;
    BlowfishSetup(kKey);
    for (auto _ : state) {
        CryptBlocks(bulk.out, bulk.in, static_cast<int>(kBulkBytes / 8), CRYPT_ENCRYPT);
        benchmark::DoNotOptimize(bulk.out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBulkBytes));
}

void Blocks_OpenSSL(benchmark::State& state)
{
    static Bulk bulk;
    BF_KEY key;
    BF_set_key(&key, kKeyLength, kKey);
    for (auto _ : state) {
        for (size_t b = 0; b < kBulkBytes; b += 8)
            BF_ecb_encrypt(bulk.in + b, bulk.out + b, &key, BF_ENCRYPT);
        benchmark::DoNotOptimize(bulk.out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBulkBytes));
}

// The 32-bit build's cases are Command32/*, KeySchedule32/* and Blocks32/*,
// so that one file can hold the results of both builds.
std::string CaseName(const char* name, const char* engine)
{
    return std::string(name) + (sizeof(void*) == 4 ? "32/" : "/") + engine;
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::RegisterBenchmark(CaseName("Command", "Corvane").c_str(), Command_Corvane);
    benchmark::RegisterBenchmark(CaseName("Command", "OpenSSL").c_str(), Command_OpenSSL);
    benchmark::RegisterBenchmark(CaseName("KeySchedule", "Corvane").c_str(), KeySchedule_Corvane);
    benchmark::RegisterBenchmark(CaseName("KeySchedule", "OpenSSL").c_str(), KeySchedule_OpenSSL);
    benchmark::RegisterBenchmark(CaseName("Blocks", "Corvane").c_str(), Blocks_Corvane);
    benchmark::RegisterBenchmark(CaseName("Blocks", "OpenSSL").c_str(), Blocks_OpenSSL);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
