// The command line's rules: what each command takes, and the refusals a
// user sees before any file is touched.
#include "cli/arguments.h"

#include <gtest/gtest.h>

namespace {

TEST(Arguments, OptionsLandInTheirFieldsInAnyOrder) {
    const CommandLine lock = ParseCommandLine(
        {"lock", "--password-fd", "3", "--cipher", "camellia", "a.exe", "--text", "-", "-o", "b.exe", "--raw"});
    EXPECT_EQ(Command::Lock, lock.command);
    EXPECT_EQ("a.exe", lock.file);
    EXPECT_EQ("-", lock.textPath);
    EXPECT_EQ("b.exe", lock.output);
    EXPECT_EQ("CAMELLIA", lock.cipher);
    EXPECT_TRUE(lock.raw);
    EXPECT_EQ(3, lock.passwordDescriptor.value_or(-1));

    const CommandLine passwd =
        ParseCommandLine({"passwd", "a.exe", "--kdf-memory", "1024", "--format", "modern", "--kdf-passes", "32"});
    EXPECT_EQ(32u, passwd.kdfPasses.value_or(0));
    EXPECT_EQ(1024u, passwd.kdfMemoryMiB.value_or(0));
    EXPECT_EQ("modern", passwd.noteFormat);
    EXPECT_EQ(20u, ParseCommandLine({"show", "a.exe", "--version", "20"}).version.value_or(0));
    const CommandLine prune = ParseCommandLine({"prune", "--keep", "0", "a.exe", "-o", "b.exe"});
    EXPECT_EQ(Command::Prune, prune.command);
    EXPECT_EQ(0u, prune.keep.value_or(99)) << "0 drops every version";
    EXPECT_EQ("b.exe", prune.output);

    const CommandLine info = ParseCommandLine({"info", "-"});
    EXPECT_EQ("-", info.file) << "a lone dash is an operand";
    EXPECT_EQ(Command::Help, ParseCommandLine({"--help"}).command);
}

TEST(Arguments, EveryMisuseIsRefused) {
    const std::vector<std::vector<std::string>> misuses = {
        {},
        {"show"},
        {"show", "a.exe", "b.exe"},
        {"info", "a.exe", "--raw"},
        {"identify", "a.exe", "--password-file", "p"},
        {"verify", "a.exe", "-o", "x"},
        {"show", "a.exe", "--password", "secret"},
        {"lock", "a.exe"},
        {"export", "a.exe"},
        {"lock", "a.exe", "--text", "t", "--cipher", "DES"},
        {"lock", "a.exe", "--text"},
        {"lock", "a.exe", "--text", ""},
        {"show", "a.exe", "--password-fd", "x"},
        {"show", "a.exe", "--password-fd", "-1"},
        {"show", "a.exe", "--password-file", "p", "--password-fd", "0"},
        {"show", "a.exe", "--raw", "--raw"},
        {"--help", "show"},
        {"lock", "a.exe", "--text", "t", "--kdf-passes", "0"},
        {"lock", "a.exe", "--text", "t", "--kdf-passes", "33"},
        {"lock", "a.exe", "--text", "t", "--kdf-memory", "1025"},
        {"lock", "a.exe", "--text", "t", "--kdf-memory", "-1"},
        {"passwd", "a.exe", "--kdf-memory", "64", "--kdf-memory", "64"},
        {"show", "a.exe", "--kdf-passes", "4"},
        {"show", "a.exe", "--format", "both"},
        {"show", "a.exe", "--version", "0"},
        {"export", "a.exe", "-o", "x", "--version", "21"},
        {"history", "a.exe", "--version", "1"},
        {"passwd", "a.exe", "--version", "1"},
        {"prune", "a.exe"},
        {"prune", "a.exe", "--keep", "21"},
        {"prune", "a.exe", "--keep", "-1"},
        {"prune", "a.exe", "--keep", "two"},
        {"prune", "a.exe", "--keep", "1", "--keep", "1"},
        {"prune", "a.exe", "--keep", "1", "--password-fd", "0"},
        {"history", "a.exe", "--keep", "1"},
    };
    for (const auto& misuse : misuses) {
        std::string line;
        for (const std::string& argument : misuse) line += argument + " ";
        EXPECT_THROW(ParseCommandLine(misuse), UsageError) << line;
    }
}

}  // namespace
