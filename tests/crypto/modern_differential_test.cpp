// NOTE entries against an independent implementation (the reference Argon2
// library and an XChaCha20-Poly1305 composed in Python): what we seal opens
// there, and what it seals opens here.
#include "crypto/modern_format.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <fstream>
#include <iterator>
#include <string>

namespace {

const std::string kPassword = "中文密码 ключ";
const std::string kText = "안녕하세요 🙂\r\n第二行\r\n";
constexpr std::uint64_t kSaveTime = 133500000000000000ULL;

std::string TempPath(const char* name) { return ::testing::TempDir() + "modern_differential_" + name; }

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const std::string& path, const void* bytes, std::size_t size) {
    std::ofstream(path, std::ios::binary).write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
}

// The reference's exit code; its output in output.
int RunReference(const std::string& arguments, std::string* output = nullptr) {
    const std::string out = TempPath("reference_output");
    const int status = std::system((std::string(MODERN_REFERENCE) + " " + arguments + " > '" + out + "'").c_str());
    if (output) *output = ReadFile(out);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ModernDifferential, OursOpensThereAtTheWrittenAndAHigherCost) {
    for (const Argon2idCost cost : {kModernWrittenCost, Argon2idCost{4, 1024, 1}}) {
        const std::optional<ModernKey> key = MakeModernKey(kPassword, cost);
        ASSERT_TRUE(key);
        const std::vector<unsigned char> entry = SealModernEntry(*key, kSaveTime, kText);
        const std::string path = TempPath("ours");
        WriteFile(path, entry.data(), entry.size());
        std::string output;
        ASSERT_EQ(RunReference("open '" + path + "' '" + kPassword + "'", &output), 0);
        EXPECT_EQ(output, std::to_string(kSaveTime) + "\n" + kText);
        EXPECT_EQ(RunReference("open '" + path + "' 'not it'"), 3);
    }
}

TEST(ModernDifferential, TheirsOpensHere) {
    const std::string textPath = TempPath("text"), path = TempPath("theirs");
    WriteFile(textPath, kText.data(), kText.size());
    ASSERT_EQ(RunReference("seal '" + path + "' '" + kPassword + "' '" + textPath + "' 2 4096 " +
                           std::to_string(kSaveTime)),
              0);
    const std::string stored = ReadFile(path);
    const std::vector<unsigned char> entry(stored.begin(), stored.end());
    const StoredEntries entries = [&entry](std::string_view name) {
        return name == kModernNoteEntry ? StoredEntry{true, entry.data(), entry.size()} : StoredEntry{};
    };
    ASSERT_TRUE(ModernFormat().Faults(entries).empty());
    EXPECT_EQ(ModernFormat().OpenOwnNote(entries, kPassword).text.View(), kText);
    EXPECT_TRUE(ModernFormat().OpenOwnNote(entries, "not it").wrongPassword);

    ModernHeader header;
    ASSERT_EQ(ParseModernHeader(entry.data(), entry.size(), header), ModernHeaderFault::None);
    const std::optional<ModernKey> key = DeriveModernKey(kPassword, header);
    ASSERT_TRUE(key);
    EXPECT_EQ(OpenModernEntry(key->key, entry.data(), entry.size())->saveTime, kSaveTime);
}

}  // namespace
