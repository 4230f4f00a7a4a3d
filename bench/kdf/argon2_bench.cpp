// Time of the note's key derivation alone (Argon2id, t = 3, m = 64 MiB,
// p = 1) in the project's libsodium build. Natively it is measured against
// Debian's own libsodium, loaded beside ours, in alternating runs; each
// prints the median of its runs in seconds:
//   Argon2id ours = <seconds>
//   Argon2id Debian = <seconds>
//   Argon2id ours/Debian = <ratio of times>
// Built with ARGON2_BENCH_ALONE (the static i686 reference program, which
// cannot load a shared library), or for Windows, it prints the first line
// only. The first argument is the number of runs of each (default 7).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "crypto/modern_format.h"

#if !defined(_WIN32) && !defined(ARGON2_BENCH_ALONE)
#define ARGON2_BENCH_DEBIAN 1
#include <dlfcn.h>
#endif

namespace {

const unsigned char kSalt[kModernSaltBytes] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
constexpr char kPassword[] = "benchmark password";

double Seconds(const std::function<bool()>& derive) {
    const auto start = std::chrono::steady_clock::now();
    if (!derive()) {
        std::fprintf(stderr, "argon2_bench: the derivation failed\n");
        std::exit(1);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

bool Ours() { return DeriveArgon2idKey(kPassword, kSalt, sizeof kSalt, kModernWrittenCost).has_value(); }

#ifdef ARGON2_BENCH_DEBIAN
// Debian's libsodium, bound to its own symbols rather than to ours.
std::function<bool()> Debian() {
    void* library = dlopen("libsodium.so.23", RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND);
    if (library == nullptr)
        return nullptr;
    using Init = int (*)();
    using Pwhash = int (*)(unsigned char*, unsigned long long, const char*, unsigned long long, const unsigned char*,
                           unsigned long long, std::size_t, int);
    const auto init = reinterpret_cast<Init>(dlsym(library, "sodium_init"));
    const auto pwhash = reinterpret_cast<Pwhash>(dlsym(library, "crypto_pwhash"));
    const auto argon2id = reinterpret_cast<int (*)()>(dlsym(library, "crypto_pwhash_alg_argon2id13"));
    if (init == nullptr || pwhash == nullptr || argon2id == nullptr || init() < 0)
        return nullptr;
    return [=] {
        unsigned char key[kAeadKeyBytes];
        return pwhash(key, sizeof key, kPassword, sizeof kPassword - 1, kSalt, kModernWrittenCost.passes,
                      std::size_t{kModernWrittenCost.memoryKiB} * 1024, argon2id()) == 0;
    };
}
#endif

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    if (!SodiumReady())
        return 1;
    std::function<bool()> reference;
#ifdef ARGON2_BENCH_DEBIAN
    reference = Debian();
    if (!reference)
        std::fprintf(stderr, "argon2_bench: Debian's libsodium (libsodium23) could not be loaded\n");
#endif
    Seconds(Ours);  // the first run pays for the first touch of the memory
    std::vector<double> ours, debian;
    for (int run = 0; run < runs; ++run) {
        ours.push_back(Seconds(Ours));
        if (reference)
            debian.push_back(Seconds(reference));
    }
    std::printf("Argon2id ours = %.3f\n", Median(ours));
    if (reference) {
        std::printf("Argon2id Debian = %.3f\n", Median(debian));
        std::printf("Argon2id ours/Debian = %.2f\n", Median(ours) / Median(debian));
    }
    return 0;
}
