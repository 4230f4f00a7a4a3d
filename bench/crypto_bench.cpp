// Throughput of sealing and unsealing with each cipher at 1 KiB, 1 MiB and
// 64 MiB, and of our SM4-CBC and SEED-CBC against OpenSSL's EVP ciphers on
// the same buffers in the same run. Ends with the ratio of our encryption
// throughput to OpenSSL's at 1 MiB (medians of the repetitions).
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "crypto/note_format.h"
#include "crypto/document.h"
#include "crypto/seed.h"
#include "crypto/sm4.h"

namespace {

constexpr std::size_t kKiB = 1024;
constexpr std::size_t kMiB = 1024 * kKiB;
constexpr std::size_t kCompareBytes = kMiB;
constexpr int kCompareRepetitions = 9;
const std::string kPassword = "benchmark password";

std::vector<unsigned char> RandomBytes(std::size_t length) {
    std::mt19937 random(20240601);
    std::vector<unsigned char> bytes(length);
    for (unsigned char& byte : bytes) byte = static_cast<unsigned char>(random());
    return bytes;
}

// A note of the given length without zero bytes.
std::string NoteText(std::size_t length) {
    std::string text(length, '\0');
    for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<char>(1 + i % 255);
    return text;
}

void Seal(benchmark::State& state, const char* cipher, std::size_t textBytes) {
    const std::string text = NoteText(textBytes);
    for (auto _ : state) {
        std::optional<SealedDocument> sealed = SealDocument(text, kPassword, cipher);
        benchmark::DoNotOptimize(sealed);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * textBytes));
}

void Unseal(benchmark::State& state, const char* cipher, std::size_t textBytes) {
    const std::optional<SealedDocument> sealed = SealDocument(NoteText(textBytes), kPassword, cipher);
    for (auto _ : state) {
        std::string text = UnsealDocumentData(sealed->data.data(), sealed->data.size(), kPassword, cipher);
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * textBytes));
}

// The buffers both implementations of a cipher work on.
struct CompareBuffers {
    std::vector<unsigned char> key = RandomBytes(16);
    std::vector<unsigned char> iv = RandomBytes(16);
    std::vector<unsigned char> input = RandomBytes(kCompareBytes);
    std::vector<unsigned char> output = std::vector<unsigned char>(kCompareBytes);
};

CompareBuffers& Buffers() {
    static CompareBuffers buffers;
    return buffers;
}

void OursSm4(benchmark::State& state, bool encrypt) {
    CompareBuffers& b = Buffers();
    Sm4Context context;
    if (encrypt) {
        Sm4SetEncryptKey(context, b.key.data());
    } else {
        Sm4SetDecryptKey(context, b.key.data());
    }
    std::vector<unsigned char> iv = b.iv;
    for (auto _ : state) {
        Sm4CryptCbc(context, encrypt ? kSm4Encrypt : kSm4Decrypt, kCompareBytes, iv.data(), b.input.data(),
                    b.output.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kCompareBytes));
}

void OursSeed(benchmark::State& state, bool encrypt) {
    CompareBuffers& b = Buffers();
    std::uint32_t subkeys[32];
    SeedKeySchedule(b.key.data(), subkeys);
    std::vector<unsigned char> iv = b.iv;
    // Decryption writes its input, so it gets a copy of its own.
    std::vector<unsigned char> input = b.input;
    for (auto _ : state) {
        if (encrypt) {
            SeedCbcEncrypt(b.input.data(), b.output.data(), kCompareBytes, iv.data(), subkeys);
        } else {
            SeedCbcDecrypt(input.data(), b.output.data(), kCompareBytes, iv.data(), subkeys);
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kCompareBytes));
}

void OpenSsl(benchmark::State& state, const char* evpName, bool encrypt) {
    CompareBuffers& b = Buffers();
    EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, evpName, nullptr);
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    if (cipher == nullptr || context == nullptr ||
        EVP_CipherInit_ex(context, cipher, nullptr, b.key.data(), b.iv.data(), encrypt ? 1 : 0) != 1 ||
        EVP_CIPHER_CTX_set_padding(context, 0) != 1) {
        state.SkipWithError("OpenSSL cipher not available");
    } else {
        for (auto _ : state) {
            int written = 0;
            EVP_CipherUpdate(context, b.output.data(), &written, b.input.data(),
                             static_cast<int>(kCompareBytes));
            benchmark::ClobberMemory();
        }
        state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kCompareBytes));
    }
    EVP_CIPHER_CTX_free(context);
    EVP_CIPHER_free(cipher);
}

// The console report, plus the bytes per second of every benchmark (the
// median when it is repeated) for the closing summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const auto rate = run.counters.find("bytes_per_second");
            if ((single || median) && !run.error_occurred && rate != run.counters.end()) {
                m_bytesPerSecond[run.run_name.function_name] = rate->second.value;
            }
        }
    }

    void PrintSummary() const {
        std::printf("\nMB/s (10^6 bytes per second):\n");
        for (const auto& [name, bytesPerSecond] : m_bytesPerSecond)
            std::printf("  %-34s %9.1f\n", name.c_str(), bytesPerSecond / 1e6);
        PrintRatio("SM4-CBC");
        PrintRatio("SEED-CBC");
    }

private:
    void PrintRatio(const std::string& cipher) const {
        const auto ours = m_bytesPerSecond.find(cipher + "/encrypt/ours");
        const auto openssl = m_bytesPerSecond.find(cipher + "/encrypt/OpenSSL");
        if (ours == m_bytesPerSecond.end() || openssl == m_bytesPerSecond.end()) {
            std::printf("%s ours/OpenSSL = not measured\n", cipher.c_str());
        } else {
            std::printf("%s ours/OpenSSL = %.2f\n", cipher.c_str(), ours->second / openssl->second);
        }
    }

    std::map<std::string, double> m_bytesPerSecond;
};

void RegisterBenchmarks() {
    for (const NoteChoice& entry : NoteChoices()) {
        for (auto [sizeName, bytes] : {std::pair{"1KiB", kKiB}, {"1MiB", kMiB}, {"64MiB", 64 * kMiB}}) {
            const std::string suffix = std::string(entry.displayName) + "/" + sizeName;
            benchmark::RegisterBenchmark(("Seal/" + suffix).c_str(), Seal, entry.identifier, bytes);
            benchmark::RegisterBenchmark(("Unseal/" + suffix).c_str(), Unseal, entry.identifier, bytes);
        }
    }
    for (bool encrypt : {true, false}) {
        const std::string direction = encrypt ? "/encrypt" : "/decrypt";
        benchmark::RegisterBenchmark(("SM4-CBC" + direction + "/ours").c_str(), OursSm4, encrypt)
            ->Repetitions(kCompareRepetitions)
            ->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark(("SM4-CBC" + direction + "/OpenSSL").c_str(), OpenSsl, "SM4-CBC",
                                     encrypt)
            ->Repetitions(kCompareRepetitions)
            ->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark(("SEED-CBC" + direction + "/ours").c_str(), OursSeed, encrypt)
            ->Repetitions(kCompareRepetitions)
            ->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark(("SEED-CBC" + direction + "/OpenSSL").c_str(), OpenSsl, "SEED-CBC",
                                     encrypt)
            ->Repetitions(kCompareRepetitions)
            ->ReportAggregatesOnly(true);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // SEED is in OpenSSL's legacy provider; loading one provider replaces the
    // implicit default, so both are loaded.
    OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
    OSSL_PROVIDER* defaults = OSSL_PROVIDER_load(nullptr, "default");
    RegisterBenchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    reporter.PrintSummary();
    OSSL_PROVIDER_unload(defaults);
    OSSL_PROVIDER_unload(legacy);
    return 0;
}
