// The command-line companion run as a user runs it, natively, on a PE32 and
// a PE32+ program image assembled for the test: each command's output, exit
// status and file effects, and every refusal leaving the files as they were.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "crypto/document.h"
#include "crypto/modern_format.h"
#include "store/resource_reader.h"
#include "tests/store/pe_fixture.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// "机密笔记" and "第二行" (a secret note, second line) in UTF-8 and code page 936.
const std::string kTextUtf8 = "\xE6\x9C\xBA\xE5\xAF\x86\xE7\xAC\x94\xE8\xAE\xB0\r\n\xE7\xAC\xAC\xE4\xBA\x8C\xE8\xA1\x8C";
const std::string kText936 = "\xBB\xFA\xC3\xDC\xB1\xCA\xBC\xC7\r\n\xB5\xDA\xB6\xFE\xD0\xD0";
// "口令" (password) in both encodings.
const std::string kPasswordUtf8 = "\xE5\x8F\xA3\xE4\xBB\xA4 1";
const std::string kPassword936 = "\xBF\xDA\xC1\xEE 1";

struct Result {
    int status = -1;
    std::string out, err;
};

std::string ReadText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteText(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class Cli : public testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/cli-test-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        m_folder = pattern;
        m_program = m_folder / "scribecrypt.exe";
        const std::vector<std::uint8_t> image = fixture::Build(fixture::SampleImage(GetParam(), fixture::SampleEntries()));
        WriteText(m_program, std::string(image.begin(), image.end()));
        chmod(m_program.c_str(), 0755);
        WriteText(m_folder / "note.txt", kTextUtf8);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    // Starts the program with passwords, one per line, on standard input;
    // 0 when it could not be started.
    pid_t Start(std::vector<std::string> arguments, const std::string& passwords = "") {
        WriteText(m_folder / "stdin", passwords);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, (m_folder / "stdin").c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, (m_folder / "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, (m_folder / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        arguments.insert(arguments.begin(), SCRIBECRYPT_CLI);
        if (!passwords.empty()) arguments.insert(arguments.end(), {"--password-fd", "0"});
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        pid_t child = 0;
        if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) child = 0;
        posix_spawn_file_actions_destroy(&actions);
        return child;
    }

    // Waits for a started program; a signal's end is 128 + the signal. With
    // a time limit, one still running then is ended by SIGKILL.
    Result Finish(pid_t child, int limitMilliseconds = 0) {
        Result result;
        if (child != 0) {
            int status = 0;
            int waited = 0;
            while (limitMilliseconds > 0 && waitpid(child, &status, WNOHANG) == 0) {
                if (waited++ >= limitMilliseconds) kill(child, SIGKILL);
                usleep(1000);
            }
            if (limitMilliseconds == 0) waitpid(child, &status, 0);
            result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        result.out = ReadText(m_folder / "stdout");
        result.err = ReadText(m_folder / "stderr");
        return result;
    }

    Result Run(std::vector<std::string> arguments, const std::string& passwords = "") {
        return Finish(Start(std::move(arguments), passwords));
    }

    std::string Program() const { return m_program.string(); }
    std::string In(const char* name) const { return (m_folder / name).string(); }
    std::vector<ResourceEntry> Resources(const std::string& path) const {
        const std::string bytes = ReadText(path);
        return ReadResources(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    // Files in the folder besides the ones a test made on purpose.
    std::vector<std::string> StagedLeftovers() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_folder)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("TEM", 0) == 0) names.push_back(name);
        }
        return names;
    }

    // The child has a file open in the folder that it is staging: an unnamed
    // one ("#<inode> (deleted)") or a TEM*.tmp.
    bool Stages(pid_t child) const {
        std::error_code error;
        const fs::directory_iterator end;
        for (fs::directory_iterator it("/proc/" + std::to_string(child) + "/fd", error); !error && it != end;
             it.increment(error)) {
            const std::string target = fs::read_symlink(it->path(), error).string();
            const std::string folder = m_folder.string() + "/";
            if (target.rfind(folder + "#", 0) == 0 || target.rfind(folder + "TEM", 0) == 0) return true;
        }
        return false;
    }
    // Waits up to 10 s for the child to start staging; false if it did not.
    bool WaitForStaging(pid_t child) const {
        for (int poll = 0; poll < 20000; ++poll) {
            if (Stages(child)) return true;
            usleep(500);
        }
        return false;
    }

    // The image's NOTE entry, as the program finds it.
    std::vector<std::uint8_t> NoteEntry(const std::string& path) const {
        const std::vector<ResourceEntry> resources = Resources(path);
        const ResourceEntry* entry = FindResource(resources, {ResourceId::Name("PACKET"), ResourceId::Name("NOTE"), 0});
        return entry == nullptr ? std::vector<std::uint8_t>() : entry->bytes;
    }
    // Puts an image holding exactly these resources at path.
    void WriteImage(const std::string& path, const std::vector<ResourceEntry>& entries) const {
        const std::vector<std::uint8_t> image = fixture::Build(fixture::SampleImage(GetParam(), entries));
        WriteText(path, std::string(image.begin(), image.end()));
    }
    // The resources of path with its NOTE entry's bytes replaced (or added).
    std::vector<ResourceEntry> WithNoteEntry(const std::string& path, const std::vector<std::uint8_t>& bytes) const {
        std::vector<ResourceEntry> resources = Resources(path);
        const ResourceKey key{ResourceId::Name("PACKET"), ResourceId::Name("NOTE"), 0};
        const auto entry = std::find_if(resources.begin(), resources.end(),
                                        [&](const ResourceEntry& resource) { return resource.key == key; });
        if (entry != resources.end())
            entry->bytes = bytes;
        else
            resources.push_back({key, bytes});
        return resources;
    }

    fs::path m_folder, m_program;
};

const std::string kNewPassword = kPasswordUtf8 + "\n" + kPasswordUtf8 + "\n";

TEST_P(Cli, LockedNoteShowsVerifiesAndMatchesTheProgramsSealing) {
    EXPECT_EQ("file: " + Program() + "\nnote: none\n", Run({"info", Program()}).out);

    const std::string source = ReadText(m_program);
    const Result locked = Run({"lock", Program(), "--text", In("note.txt"), "--cipher", "sm4", "-o", In("out.exe")}, kNewPassword);
    ASSERT_EQ(0, locked.status) << locked.err;
    EXPECT_EQ(source, ReadText(m_program)) << "the source stays as it was";
    EXPECT_EQ(fs::perms::owner_exec, fs::status(In("out.exe")).permissions() & fs::perms::owner_exec);

    const std::optional<SealedDocument> expected = SealDocument(kText936, kPassword936, "SM4");
    const std::vector<ResourceEntry> resources = Resources(In("out.exe"));
    EXPECT_EQ(fixture::SampleEntries().size() + 3, resources.size());
    for (const auto& [name, bytes] : {std::pair{"HMAC", expected->hmac}, {"DATA", expected->data}, {"TYPE", expected->type}}) {
        const ResourceEntry* entry = FindResource(resources, {ResourceId::Name("PACKET"), ResourceId::Name(name), 0});
        ASSERT_NE(nullptr, entry) << name;
        EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), entry->bytes) << name;
    }

    EXPECT_EQ("file: " + In("out.exe") + "\nnote: present\ncipher: SM4\nHMAC: 64 bytes\nDATA: 16 bytes\nTYPE: 3 bytes\nconsistent: yes\n",
              Run({"info", In("out.exe")}).out);
    const Result shown = Run({"show", In("out.exe")}, kPasswordUtf8 + "\n");
    EXPECT_EQ(0, shown.status) << shown.err;
    EXPECT_EQ(kTextUtf8, shown.out);
    EXPECT_EQ(kText936, Run({"show", In("out.exe"), "--raw"}, kPasswordUtf8 + "\n").out);
    EXPECT_EQ(0, Run({"verify", In("out.exe")}, kPasswordUtf8 + "\n").status);
    EXPECT_EQ(1, Run({"verify", In("out.exe")}, "\xE5\x8F\xA3\xE4\xBB\xA4 2\n").status);
    EXPECT_EQ(1, Run({"show", In("out.exe")}, "wrong\n").status);

    ASSERT_EQ(0, Run({"export", In("out.exe"), "-o", In("plain.txt")}, kPasswordUtf8 + "\n").status);
    EXPECT_EQ(kTextUtf8, ReadText(In("plain.txt")));
    EXPECT_EQ(fs::perms::none, fs::status(In("plain.txt")).permissions() & (fs::perms::group_all | fs::perms::others_all));
    EXPECT_TRUE(StagedLeftovers().empty());
}

TEST_P(Cli, PasswdAndClearRewriteOnlyTheNote) {
    ASSERT_EQ(0, Run({"lock", Program(), "--text", In("note.txt")}, kNewPassword).status);
    EXPECT_NE(std::string::npos, Run({"info", Program()}).out.find("cipher: AES\n")) << "the default cipher";

    // In place, a note is replaced only with its password.
    const std::string locked = ReadText(m_program);
    EXPECT_EQ(1, Run({"lock", Program(), "--text", In("note.txt")}, "wrong\n" + kNewPassword).status);
    EXPECT_EQ(locked, ReadText(m_program));

    const Result rekeyed = Run({"passwd", Program(), "--cipher", "SEED"}, kPasswordUtf8 + "\nnew one\nnew one\n");
    ASSERT_EQ(0, rekeyed.status) << rekeyed.err;
    EXPECT_EQ(1, Run({"show", Program()}, kPasswordUtf8 + "\n").status);
    EXPECT_EQ(kTextUtf8, Run({"show", Program()}, "new one\n").out);
    EXPECT_NE(std::string::npos, Run({"info", Program()}).out.find("cipher: SEED\n"));

    EXPECT_EQ(1, Run({"clear", Program()}, "wrong\n").status);
    ASSERT_EQ(0, Run({"clear", Program()}, "new one\n").status);
    const std::vector<ResourceEntry> resources = Resources(Program());
    ASSERT_EQ(fixture::SampleEntries().size(), resources.size());
    for (std::size_t i = 0; i < resources.size(); ++i) EXPECT_EQ(fixture::SampleEntries()[i].bytes, resources[i].bytes);
    EXPECT_EQ(3, Run({"clear", Program()}).status) << "nothing left to remove";
    EXPECT_TRUE(StagedLeftovers().empty());
}

// "안녕하세요 🙂" and "둘째 줄" (hello, second line): characters code page
// 936 cannot hold, which a modern note keeps as UTF-8.
const std::string kKorean = u8"안녕하세요 🙂\r\n둘째 줄";
const std::string kKoreanPassword = u8"비밀 🔑";
const std::string kKoreanTwice = kKoreanPassword + "\n" + kKoreanPassword + "\n";
// The cheapest cost a modern note is written with, where a test is not about the cost.
const std::vector<std::string> kCheapKey = {"--kdf-passes", "1", "--kdf-memory", "1"};

std::vector<std::string> Joined(std::vector<std::string> arguments, const std::vector<std::string>& more) {
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

std::string Today() {
    const std::time_t now = std::time(nullptr);
    char date[16];
    std::strftime(date, sizeof date, "%Y-%m-%d", std::gmtime(&now));
    return date;
}

TEST_P(Cli, AModernNoteKeepsKoreanAndEmojiByteForByte) {
    WriteText(In("korean.txt"), "\xEF\xBB\xBF" + kKorean);
    const Result locked = Run({"lock", Program(), "--text", In("korean.txt"), "--cipher", "xchacha20"}, kKoreanTwice);
    ASSERT_EQ(0, locked.status) << locked.err;
    const std::size_t entryBytes = 64 + 8 + kKorean.size() + 16;
    EXPECT_EQ(entryBytes, NoteEntry(Program()).size()) << "the text as UTF-8 without its byte order mark";
    EXPECT_EQ(fixture::SampleEntries().size() + 1, Resources(Program()).size()) << "NOTE alone";
    EXPECT_EQ("file: " + Program() + "\nnote: present\ncipher: XCHACHA20\n"
              "protection: XChaCha20-Poly1305, Argon2id t=3, m=64 MiB, p=1\nNOTE: " + std::to_string(entryBytes) +
              " bytes\nversions: 0\nconsistent: yes\n", Run({"info", Program()}).out);

    const Result shown = Run({"show", Program()}, kKoreanPassword + "\n");
    EXPECT_EQ(0, shown.status) << shown.err;
    EXPECT_EQ(kKorean, shown.out);
    EXPECT_EQ(kKorean, Run({"show", Program(), "--raw"}, kKoreanPassword + "\n").out);
    ASSERT_EQ(0, Run({"export", Program(), "-o", In("plain.txt")}, kKoreanPassword + "\n").status);
    EXPECT_EQ(kKorean, ReadText(In("plain.txt")));
    const Result verified = Run({"verify", Program()}, kKoreanPassword + "\n");
    EXPECT_EQ(0, verified.status) << verified.err;
    EXPECT_NE(std::string::npos, verified.out.find("saved: " + Today() + " ")) << verified.out;
    EXPECT_NE(std::string::npos, Run({"info", Program()}, kKoreanPassword + "\n").out.find("saved: " + Today() + " "));
    EXPECT_EQ(1, Run({"verify", Program()}, u8"비밀 🔒\n").status);
    EXPECT_EQ(1, Run({"info", Program()}, "wrong\n").status);
    EXPECT_EQ(1, Run({"clear", Program()}, "wrong\n").status);
    ASSERT_EQ(0, Run({"clear", Program()}, kKoreanPassword + "\n").status);
    EXPECT_EQ(fixture::SampleEntries().size(), Resources(Program()).size());
}

// The text of the image's entry name under password, or "unreadable".
std::string OpenedEntry(const std::vector<ResourceEntry>& resources, const char* name, const std::string& password) {
    const ResourceEntry* entry = FindResource(resources, {ResourceId::Name("PACKET"), ResourceId::Name(name), 0});
    ModernHeader header;
    if (entry == nullptr || ParseModernHeader(entry->bytes.data(), entry->bytes.size(), header) != ModernHeaderFault::None)
        return "missing";
    const std::optional<ModernKey> key = DeriveModernKey(password, header);
    const std::optional<ModernOpening> opening =
        key ? OpenModernEntry(key->key, entry->bytes.data(), entry->bytes.size()) : std::nullopt;
    return opening ? std::string(opening->text.View()) : "unreadable";
}

TEST_P(Cli, VersionsAreKeptOnlyUnderTheNotesCurrentPassword) {
    WriteText(In("one.txt"), "one");
    WriteText(In("two.txt"), "two");
    const auto lock = [&](const char* text, const std::string& passwords) {
        return Run(Joined({"lock", Program(), "--text", In(text), "--cipher", "XCHACHA20"}, kCheapKey), passwords).status;
    };
    ASSERT_EQ(0, lock("one.txt", "pw\npw\n"));
    // Locking over a modern note whose password is given keeps it as a version.
    ASSERT_EQ(0, lock("two.txt", "pw\npw\npw\n"));
    EXPECT_EQ("one", OpenedEntry(Resources(Program()), "NOTE1", "pw"));
    EXPECT_NE(std::string::npos, Run({"info", Program()}).out.find("versions: 1\n"));
    EXPECT_NE(std::string::npos, Run({"info", Program()}, "pw\n").out.find("unreadable versions: 0\n"));
    const std::string sealedSize = std::to_string(64 + 8 + 3 + 16);
    EXPECT_EQ("version 1: " + sealedSize + " bytes sealed\n", Run({"history", Program()}).out);
    const Result listed = Run({"history", Program()}, "pw\n");
    EXPECT_NE(std::string::npos, listed.out.find("bytes sealed, saved " + Today() + " ")) << listed.out;
    EXPECT_NE(std::string::npos, listed.out.find(", 3 bytes of text\n")) << listed.out;
    EXPECT_EQ("one", Run({"show", Program(), "--version", "1"}, "pw\n").out);
    EXPECT_EQ(3, Run({"show", Program(), "--version", "2"}, "pw\n").status) << "no such version";
    EXPECT_EQ(1, Run({"show", Program(), "--version", "1"}, "wrong\n").status);

    ASSERT_EQ(0, Run({"passwd", Program()}, "pw\nnew\nnew\n").status);
    std::vector<ResourceEntry> resources = Resources(Program());
    EXPECT_EQ("unreadable", OpenedEntry(resources, "NOTE1", "pw")) << "a version opens with the old password";
    EXPECT_EQ("one", OpenedEntry(resources, "NOTE1", "new"));
    EXPECT_EQ("missing", OpenedEntry(resources, "NOTE2", "new")) << "the unchanged text is not kept again";

    // A damaged version is counted as unreadable and dropped by the next rewrite.
    std::vector<ResourceEntry> damaged = resources;
    for (ResourceEntry& entry : damaged)
        if (entry.key.name == ResourceId::Name("NOTE1")) entry.bytes.back() ^= 1;
    WriteImage(In("damaged.exe"), damaged);
    EXPECT_NE(std::string::npos, Run({"info", In("damaged.exe")}, "new\n").out.find("unreadable versions: 1\n"));
    EXPECT_NE(std::string::npos, Run({"history", In("damaged.exe")}, "new\n").out.find(", unreadable\n"));
    const Result refused = Run({"export", In("damaged.exe"), "--version", "1", "-o", In("v1.txt")}, "new\n");
    EXPECT_EQ(3, refused.status);
    EXPECT_NE(std::string::npos, refused.err.find("damaged")) << refused.err;
    EXPECT_FALSE(fs::exists(In("v1.txt")));
    ASSERT_EQ(0, Run({"passwd", In("damaged.exe")}, "new\nnewer\nnewer\n").status);
    EXPECT_EQ("missing", OpenedEntry(Resources(In("damaged.exe")), "NOTE1", "newer"));

    ASSERT_EQ(0, Run({"passwd", Program(), "--cipher", "AES"}, "new\n" + kNewPassword).status);
    EXPECT_EQ(fixture::SampleEntries().size() + 3, Resources(Program()).size()) << "a legacy note keeps no version";

    ASSERT_EQ(0, lock("one.txt", kPasswordUtf8 + "\npw\npw\n"));
    ASSERT_EQ(0, lock("two.txt", "pw\npw\npw\n"));
    ASSERT_EQ(0, Run({"clear", Program()}, "pw\n").status);
    EXPECT_EQ(fixture::SampleEntries().size(), Resources(Program()).size()) << "clear removes the versions too";
}

TEST_P(Cli, PruneDropsTheOldestVersionsAndMovesTheRestByteForByte) {
    const auto lock = [&](const char* text, const std::string& passwords) {
        WriteText(In("text.txt"), text);
        return Run(Joined({"lock", Program(), "--text", In("text.txt"), "--cipher", "XCHACHA20"}, kCheapKey), passwords)
            .status;
    };
    ASSERT_EQ(0, lock("one", "pw\npw\n"));
    for (const char* text : {"two", "three", "four"}) ASSERT_EQ(0, lock(text, "pw\npw\npw\n"));
    const std::vector<ResourceEntry> before = Resources(Program());
    const auto bytesOf = [](const std::vector<ResourceEntry>& resources, const char* name) {
        const ResourceEntry* entry = FindResource(resources, {ResourceId::Name("PACKET"), ResourceId::Name(name), 0});
        return entry == nullptr ? std::vector<std::uint8_t>() : entry->bytes;
    };
    ASSERT_EQ("one", OpenedEntry(before, "NOTE3", "pw"));

    const Result copied = Run({"prune", Program(), "--keep", "2", "-o", In("copy.exe")});
    ASSERT_EQ(0, copied.status) << copied.err;
    EXPECT_EQ("versions: 2 kept, 1 dropped\n", copied.out);
    const std::vector<ResourceEntry> pruned = Resources(In("copy.exe"));
    EXPECT_EQ(bytesOf(before, "NOTE"), bytesOf(pruned, "NOTE"));
    EXPECT_EQ(bytesOf(before, "NOTE1"), bytesOf(pruned, "NOTE1"));
    EXPECT_EQ(bytesOf(before, "NOTE2"), bytesOf(pruned, "NOTE2"));
    EXPECT_EQ(fixture::SampleEntries().size() + 3, pruned.size()) << "NOTE3 is dropped, nothing else";
    EXPECT_EQ(before.size(), Resources(Program()).size()) << "-o leaves the program as it was";

    // With a gap in the numbering the versions left close it; an entry
    // under a name that is no version's is not the note's and stays.
    std::vector<ResourceEntry> gapped;
    for (const ResourceEntry& entry : before)
        if (!(entry.key.name == ResourceId::Name("NOTE2"))) gapped.push_back(entry);
    gapped.push_back({{ResourceId::Name("PACKET"), ResourceId::Name("NOTE21"), 0}, {1, 2, 3}});
    WriteImage(In("gapped.exe"), gapped);
    ASSERT_EQ(0, Run({"prune", In("gapped.exe"), "--keep", "20"}).status);
    const std::vector<ResourceEntry> closed = Resources(In("gapped.exe"));
    EXPECT_EQ(bytesOf(before, "NOTE3"), bytesOf(closed, "NOTE2"));
    EXPECT_EQ("one", OpenedEntry(closed, "NOTE2", "pw"));
    EXPECT_EQ("missing", OpenedEntry(closed, "NOTE3", "pw"));
    EXPECT_EQ(std::vector<std::uint8_t>({1, 2, 3}), bytesOf(closed, "NOTE21"));

    const Result none = Run({"prune", Program(), "--keep", "0"});
    ASSERT_EQ(0, none.status) << none.err;
    EXPECT_EQ("versions: 0 kept, 3 dropped\n", none.out);
    EXPECT_EQ(fixture::SampleEntries().size() + 1, Resources(Program()).size());
    EXPECT_EQ("four", Run({"show", Program()}, "pw\n").out);

    ASSERT_EQ(0, Run({"passwd", Program(), "--cipher", "AES"}, "pw\n" + kNewPassword).status);
    const std::string legacy = ReadText(m_program);
    const Result refused = Run({"prune", Program(), "--keep", "1"});
    EXPECT_EQ(3, refused.status);
    EXPECT_NE(std::string::npos, refused.err.find("legacy note keeps no earlier versions")) << refused.err;
    EXPECT_EQ(legacy, ReadText(m_program));
}

TEST_P(Cli, IdentifyGivesOneIdentityWhateverTheNote) {
    const std::string identity = Run({"identify", Program()}).out.substr(0, 73);
    ASSERT_EQ(0u, identity.rfind("identity ", 0));
    const auto identified = [&](const std::string& note) { return identity + "  note: " + note + "\n"; };
    EXPECT_EQ(identified("none"), Run({"identify", Program()}).out);

    ASSERT_EQ(0, Run({"lock", Program(), "--text", In("note.txt")}, kNewPassword).status);
    EXPECT_EQ(identified("present (AES)"), Run({"identify", Program()}).out);
    ASSERT_EQ(0, Run({"passwd", Program(), "--cipher", "SM4"}, kPasswordUtf8 + "\nnew one\nnew one\n").status);
    EXPECT_EQ(identified("present (SM4)"), Run({"identify", Program()}).out);
    ASSERT_EQ(0, Run({"clear", Program()}, "new one\n").status);
    EXPECT_EQ(identified("none"), Run({"identify", Program()}).out);
    ASSERT_EQ(0, Run(Joined({"lock", Program(), "--text", In("note.txt"), "--cipher", "XCHACHA20"}, kCheapKey), kNewPassword).status);
    EXPECT_EQ(identified("present (XCHACHA20)"), Run({"identify", Program()}).out);

    WriteImage(In("incomplete.exe"), WithNoteEntry(Program(), {1, 2, 3}));
    EXPECT_EQ(identified("damaged (unknown cipher)"), Run({"identify", In("incomplete.exe")}).out);
}

TEST_P(Cli, PasswdMovesANoteBetweenFormatsKeepingOrRaisingItsCost) {
    ASSERT_EQ(0, Run({"lock", Program(), "--text", In("note.txt"), "--cipher", "SM4"}, kNewPassword).status);
    const Result moved = Run({"passwd", Program(), "--cipher", "XCHACHA20", "--kdf-passes", "4", "--kdf-memory", "16"},
                             kPasswordUtf8 + "\n" + kKoreanTwice);
    ASSERT_EQ(0, moved.status) << moved.err;
    EXPECT_NE(std::string::npos, Run({"info", Program()}).out.find("protection: XChaCha20-Poly1305, Argon2id t=4, m=16 MiB, p=1\n"));
    EXPECT_EQ(fixture::SampleEntries().size() + 1, Resources(Program()).size()) << "the legacy entries are gone";
    EXPECT_EQ(kTextUtf8, Run({"show", Program(), "--raw"}, kKoreanPassword + "\n").out) << "stored as UTF-8 now";

    const std::vector<std::uint8_t> before = NoteEntry(Program());
    ASSERT_EQ(0, Run({"passwd", Program()}, kKoreanPassword + "\nnew one\nnew one\n").status);
    const std::vector<std::uint8_t> after = NoteEntry(Program());
    EXPECT_TRUE(std::equal(before.begin() + 12, before.begin() + 24, after.begin() + 12)) << "the cost is kept";
    EXPECT_FALSE(std::equal(before.begin() + 24, before.begin() + 40, after.begin() + 24)) << "a new salt";

    const std::string modern = ReadText(m_program);
    const Result costly = Run({"passwd", Program(), "--cipher", "SEED", "--kdf-passes", "5"}, "new one\nx\nx\n");
    EXPECT_EQ(2, costly.status);
    EXPECT_NE(std::string::npos, costly.err.find("XCHACHA20 only")) << costly.err;
    EXPECT_EQ(modern, ReadText(m_program));

    ASSERT_EQ(0, Run({"passwd", Program(), "--cipher", "AES"}, "new one\n" + kNewPassword).status);
    EXPECT_EQ(kText936, Run({"show", Program(), "--raw"}, kPasswordUtf8 + "\n").out) << "back to code page 936";
    EXPECT_EQ(fixture::SampleEntries().size() + 3, Resources(Program()).size()) << "NOTE is gone";

    // A text code page 936 cannot hold stays modern.
    WriteText(In("korean.txt"), kKorean);
    ASSERT_EQ(0, Run(Joined({"lock", Program(), "--text", In("korean.txt"), "--cipher", "XCHACHA20", "-o", In("korean.exe")}, kCheapKey),
                     kKoreanTwice).status);
    const std::string korean = ReadText(In("korean.exe"));
    const Result refused = Run({"passwd", In("korean.exe"), "--cipher", "SEED"}, kKoreanPassword + "\n" + kNewPassword);
    EXPECT_EQ(3, refused.status);
    EXPECT_NE(std::string::npos, refused.err.find("cannot be sealed with SEED")) << refused.err;
    EXPECT_EQ(korean, ReadText(In("korean.exe")));
}

TEST_P(Cli, AFileHoldingBothKindsIsReadByChoiceAndRewrittenAsOne) {
    WriteText(In("korean.txt"), kKorean);
    ASSERT_EQ(0, Run({"lock", Program(), "--text", In("note.txt"), "--cipher", "SM4", "-o", In("legacy.exe")}, kNewPassword).status);
    ASSERT_EQ(0, Run(Joined({"lock", Program(), "--text", In("korean.txt"), "--cipher", "XCHACHA20", "-o", In("modern.exe")},
                            kCheapKey), kKoreanTwice).status);
    WriteImage(Program(), WithNoteEntry(In("legacy.exe"), NoteEntry(In("modern.exe"))));

    const Result info = Run({"info", Program()});
    EXPECT_EQ(3, info.status);
    for (const char* line : {"format: legacy\nnote: present\ncipher: SM4\n", "format: modern\nnote: present\ncipher: XCHACHA20\n",
                             "both kinds"})
        EXPECT_NE(std::string::npos, info.out.find(line)) << info.out;
    const std::string both = ReadText(m_program);
    for (const auto& arguments : {std::vector<std::string>{"show", Program()}, {"lock", Program(), "--text", In("note.txt")}}) {
        const Result unchosen = Run(arguments, kPasswordUtf8 + "\n" + kNewPassword);
        EXPECT_EQ(3, unchosen.status) << arguments[0];
        EXPECT_NE(std::string::npos, unchosen.err.find("--format legacy or modern")) << unchosen.err;
    }
    EXPECT_EQ(kTextUtf8, Run({"show", Program(), "--format", "legacy"}, kPasswordUtf8 + "\n").out);
    EXPECT_EQ(kKorean, Run({"show", Program(), "--format", "modern"}, kKoreanPassword + "\n").out);
    EXPECT_EQ(1, Run({"show", Program(), "--format", "modern"}, kPasswordUtf8 + "\n").status) << "the legacy note's password";
    EXPECT_EQ(both, ReadText(m_program));

    ASSERT_EQ(0, Run({"passwd", Program(), "--format", "modern"}, kKoreanPassword + "\nnew one\nnew one\n").status);
    EXPECT_EQ(fixture::SampleEntries().size() + 1, Resources(Program()).size()) << "NOTE alone";
    EXPECT_EQ(0, Run({"info", Program()}).status);
    EXPECT_EQ(3, Run({"show", Program(), "--format", "legacy"}, "new one\n").status) << "no legacy note is left";
}

// A header this program does not read: refused at once, by what it names,
// and never replaced in place; only a copy elsewhere is written.
TEST_P(Cli, AModernHeaderFaultIsRefusedBeforeAnyDerivation) {
    ASSERT_EQ(0, Run(Joined({"lock", Program(), "--text", In("note.txt"), "--cipher", "XCHACHA20", "-o", In("modern.exe")},
                            kCheapKey), kNewPassword).status);
    const std::vector<std::uint8_t> entry = NoteEntry(In("modern.exe"));
    const auto changed = [&](std::size_t offset, std::vector<std::uint8_t> bytes) {
        std::vector<std::uint8_t> copy = entry;
        std::copy(bytes.begin(), bytes.end(), copy.begin() + static_cast<std::ptrdiff_t>(offset));
        return copy;
    };
    const struct {
        const char* name;
        std::vector<std::uint8_t> entry;
    } faults[] = {
        {"an unknown format version", changed(6, {2})},
        {"no SCNOTE mark", changed(0, {'X'})},
        {"Argon2id passes out of range", changed(12, {33, 0, 0, 0})},
        {"Argon2id memory out of range", changed(16, {0xFF, 0xFF, 0xFF, 0xFF})},
        {"Argon2id lanes other than 1", changed(20, {4})},
        {"shorter than a header", std::vector<std::uint8_t>(entry.begin(), entry.begin() + 87)},
    };
    for (const auto& fault : faults) {
        WriteImage(Program(), WithNoteEntry(In("modern.exe"), fault.entry));
        const std::string before = ReadText(m_program);
        for (const auto& arguments : {std::vector<std::string>{"show", Program()},
                                      {"passwd", Program(), "--cipher", "AES"},
                                      {"lock", Program(), "--text", In("note.txt")},
                                      {"clear", Program()}}) {
            const Result refused = Finish(Start(arguments, kPasswordUtf8 + "\n" + kNewPassword), 5000);
            EXPECT_EQ(3, refused.status) << fault.name << ", " << arguments[0] << ": " << refused.err;
            EXPECT_NE(std::string::npos, refused.err.find("format is not one this program knows (NOTE has " +
                                                          std::string(fault.name)))
                << refused.err;
        }
        const Result info = Run({"info", Program()});
        EXPECT_EQ(3, info.status) << fault.name;
        EXPECT_NE(std::string::npos, info.out.find("consistent: no\n")) << info.out;
        EXPECT_EQ(before, ReadText(m_program)) << fault.name;
    }
    EXPECT_EQ(0, Run({"clear", Program(), "-o", In("cleared.exe")}).status);
    EXPECT_EQ(fixture::SampleEntries().size(), Resources(In("cleared.exe")).size());
}

// Against an independent implementation: a note the companion seals opens
// there, and one sealed there at a low but readable cost opens here.
TEST_P(Cli, ModernNotesOpenWithAnIndependentImplementation) {
    WriteText(In("korean.txt"), kKorean);
    ASSERT_EQ(0, Run({"lock", Program(), "--text", In("korean.txt"), "--cipher", "XCHACHA20"}, kKoreanTwice).status);
    const std::vector<std::uint8_t> ours = NoteEntry(Program());
    WriteText(In("ours.entry"), std::string(ours.begin(), ours.end()));
    const std::string reference = std::string(MODERN_REFERENCE) + " ";
    ASSERT_EQ(0, std::system((reference + "open '" + In("ours.entry") + "' '" + kKoreanPassword + "' > '" +
                              In("opened") + "'").c_str()));
    const std::string opened = ReadText(In("opened"));
    EXPECT_EQ(kKorean, opened.substr(opened.find('\n') + 1));

    ASSERT_EQ(0, std::system((reference + "seal '" + In("theirs.entry") + "' '" + kKoreanPassword + "' '" +
                              In("korean.txt") + "' 1 8 133500000000000000").c_str()));
    const std::string theirs = ReadText(In("theirs.entry"));
    WriteImage(Program(), WithNoteEntry(Program(), std::vector<std::uint8_t>(theirs.begin(), theirs.end())));
    EXPECT_EQ(kKorean, Run({"show", Program()}, kKoreanPassword + "\n").out);
    const Result info = Run({"info", Program()}, kKoreanPassword + "\n");
    EXPECT_EQ(0, info.status) << info.err;
    EXPECT_NE(std::string::npos, info.out.find("protection: XChaCha20-Poly1305, Argon2id t=1, m=8 KiB, p=1\n")) << info.out;
    EXPECT_NE(std::string::npos, info.out.find("saved: 2024-01-17 21:20:00 UTC\n")) << info.out;
}

TEST_P(Cli, RefusedInputLeavesEveryFileAsItWas) {
    const std::string before = ReadText(m_program);
    struct Case {
        std::vector<std::string> arguments;
        std::string passwords;
        int status;
        std::string message;
    };
    WriteText(In("emoji.txt"), "ok\nab\xF0\x9F\x98\x80");
    WriteText(In("zero.txt"), std::string("a\0b", 3));
    // Sparse: its size is read, never its bytes.
    WriteText(In("huge.exe"), "");
    fs::resize_file(In("huge.exe"), 5ull << 30);
    WriteText(In("cut.exe"), before.substr(0, before.size() / 2));
    std::vector<std::uint8_t> damaged(before.begin(), before.end());
    fixture::Put16(damaged, fixture::Read32(damaged, fixture::SectionHeaderOffset(GetParam(), 2) + 20) + 12, 0xffff);
    WriteText(In("damaged.exe"), std::string(damaged.begin(), damaged.end()));
    const Case cases[] = {
        {{"lock", Program(), "--text", In("emoji.txt")}, kNewPassword, 3, "character 6 (line 2, column 3), U+1F600"},
        {{"lock", Program(), "--text", In("zero.txt"), "--raw"}, kNewPassword, 3, "byte 2 is a zero byte"},
        {{"lock", Program(), "--text", In("note.txt")}, "\n\n", 3, "empty password"},
        {{"lock", Program(), "--text", In("note.txt")}, "one\ntwo\n", 3, "differ"},
        {{"lock", Program(), "--text", In("note.txt")}, "\xF0\x9F\x98\x80\n\xF0\x9F\x98\x80\n", 3, "code page 936 cannot hold"},
        {{"lock", Program(), "--text", In("note.txt")}, std::string(513, 'p') + "\n" + std::string(513, 'p') + "\n", 3, "at most 512"},
        {{"lock", Program(), "--text", In("missing.txt")}, kNewPassword, 3, "cannot open"},
        {{"lock", Program(), "--text", In("note.txt"), "-o", In("no-folder/out.exe")}, kNewPassword, 4, "is as it was"},
        {{"show", Program()}, kPasswordUtf8 + "\n", 3, "holds no note"},
        {{"export", Program(), "-o", m_folder.string() + "/./scribecrypt.exe"}, kPasswordUtf8 + "\n", 3, "over the program file"},
        {{"info", In("note.txt")}, "", 3, "not a PE file"},
        {{"identify", In("note.txt")}, "", 3, "not a PE file"},
        {{"identify", In("cut.exe")}, "", 3, "truncated"},
        {{"identify", In("damaged.exe")}, "", 3, "damaged resource directory"},
        {{"info", m_folder.string()}, "", 3, "it is a folder"},
        {{"info", "/dev/zero"}, "", 3, "not a regular file"},
        {{"lock", Program(), "--text", "/dev/zero"}, kNewPassword, 3, "not a regular file"},
        {{"info", In("huge.exe")}, "", 3, "more than 4 GiB"},
        {{"lock", Program(), "--text", In("note.txt")}, "tag\xF3\xA0\x80\x81\ntag\xF3\xA0\x80\x81\n", 3,
         "code page 936 cannot hold"},
        {{"show", Program(), "--password", "x"}, "", 2, "does not take --password"},
        {{"export", Program()}, "", 2, "needs -o"},
        {{"prune", Program()}, "", 2, "needs --keep"},
        {{"prune", Program(), "--keep", "21"}, "", 2, "from 0 to 20"},
        {{"prune", Program(), "--keep", "1"}, "", 3, "holds no note"},
        {{"lock", Program(), "--text", In("note.txt"), "--cipher", "DES"}, "", 2, "unknown cipher"},
        {{"frobnicate", Program()}, "", 2, "unknown command"},
    };
    for (const Case& c : cases) {
        const Result result = Run(c.arguments, c.passwords);
        EXPECT_EQ(c.status, result.status) << c.arguments[0] << " " << c.message << ": " << result.err;
        EXPECT_NE(std::string::npos, result.err.find(c.message)) << result.err;
        EXPECT_EQ(before, ReadText(m_program)) << c.message;
        EXPECT_TRUE(StagedLeftovers().empty()) << c.message;
    }
    EXPECT_FALSE(fs::exists(In("no-folder")));
}

// Targets that are not plain files: a link is written through to the file
// it names, everything else that is not a regular file of the user's to
// write is refused and left as it was.
TEST_P(Cli, LinksAreWrittenThroughAndOddTargetsAreLeftAlone) {
    ASSERT_EQ(0, Run({"lock", Program(), "--text", In("note.txt")}, kNewPassword).status);
    fs::create_symlink(Program(), In("link.exe"));
    ASSERT_EQ(0, Run({"passwd", In("link.exe")}, kPasswordUtf8 + "\nnew one\nnew one\n").status);
    EXPECT_TRUE(fs::is_symlink(In("link.exe")));
    EXPECT_EQ(kTextUtf8, Run({"show", Program()}, "new one\n").out) << "the file the link names has the new password";
    EXPECT_EQ(1, Run({"show", Program()}, kPasswordUtf8 + "\n").status);

    WriteText(In("real.txt"), "old");
    fs::create_symlink(In("real.txt"), In("out.txt"));
    ASSERT_EQ(0, Run({"export", Program(), "-o", In("out.txt")}, "new one\n").status);
    EXPECT_TRUE(fs::is_symlink(In("out.txt")));
    EXPECT_EQ(kTextUtf8, ReadText(In("real.txt")));

    const std::string before = ReadText(m_program);
    fs::create_hard_link(Program(), In("second-name.exe"));
    const Result hardLinked = Run({"clear", Program()}, "new one\n");
    EXPECT_EQ(4, hardLinked.status);
    EXPECT_NE(std::string::npos, hardLinked.err.find("names (hard links)")) << hardLinked.err;
    fs::remove(In("second-name.exe"));

    chmod(m_program.c_str(), 0555);
    const Result readOnly = Run({"clear", Program()}, "new one\n");
    EXPECT_EQ(4, readOnly.status);
    EXPECT_NE(std::string::npos, readOnly.err.find("read-only")) << readOnly.err;
    chmod(m_program.c_str(), 0755);

    ASSERT_EQ(0, mkfifo(In("pipe").c_str(), 0600));
    const Result pipe = Run({"export", Program(), "-o", In("pipe")}, "new one\n");
    EXPECT_EQ(4, pipe.status);
    EXPECT_NE(std::string::npos, pipe.err.find("not a regular file")) << pipe.err;
    EXPECT_TRUE(fs::is_fifo(In("pipe")));
    EXPECT_EQ(before, ReadText(m_program));
    EXPECT_TRUE(StagedLeftovers().empty());

    // Root rewriting another user's file leaves it theirs.
    if (geteuid() == 0) {
        ASSERT_EQ(0, chown(m_program.c_str(), 65534, 65534));
        ASSERT_EQ(0, Run({"clear", Program()}, "new one\n").status);
        struct stat status {};
        ASSERT_EQ(0, stat(m_program.c_str(), &status));
        EXPECT_EQ(65534u, status.st_uid);
        EXPECT_EQ(65534u, status.st_gid);
        EXPECT_EQ(0755u, status.st_mode & 07777);
    }
}

// A signal that ends the companion while it stages a file leaves nothing
// beside the target, and the target as it was. An export's plain text has
// no name until it is whole, so not even SIGKILL leaves it in the folder.
TEST_P(Cli, AnEndingSignalWhileStagingLeavesNoStagedFile) {
    std::string large;
    for (int line = 0; large.size() < (16u << 20); ++line) large += "line " + std::to_string(line) + " of a long note\r\n";
    WriteText(In("large.txt"), large);
    ASSERT_EQ(0, Run({"lock", Program(), "--text", In("large.txt")}, kNewPassword).status);
    const std::string before = ReadText(m_program);
    // What the folder holds when the command got as far as placing its file:
    // a signal that comes while the new file takes the target's name waits
    // until it has, so the target is then the whole new file.
    const auto exported = [&] { return fs::exists(In("plain.txt")); };
    const auto exportedWhole = [&] { return ReadText(In("plain.txt")) == large; };
    const auto rewritten = [&] { return ReadText(m_program) != before; };
    const auto rekeyed = [&] { return Run({"verify", Program()}, "new one\n").status == 0; };
    const auto cleared = [&] { return Run({"info", Program()}).out.find("note: none\n") != std::string::npos; };
    const struct {
        int signal;
        std::vector<std::string> arguments;
        std::string passwords;
        std::function<bool()> placed, whole;
    } cases[] = {
        {SIGTERM, {"export", Program(), "-o", In("plain.txt")}, kPasswordUtf8 + "\n", exported, exportedWhole},
        {SIGKILL, {"export", Program(), "-o", In("plain.txt")}, kPasswordUtf8 + "\n", exported, exportedWhole},
        {SIGINT, {"passwd", Program()}, kPasswordUtf8 + "\nnew one\nnew one\n", rewritten, rekeyed},
        {SIGHUP, {"clear", Program()}, kPasswordUtf8 + "\n", rewritten, cleared},
    };
    int interrupted = 0;
    for (const auto& c : cases) {
        const pid_t child = Start(c.arguments, c.passwords);
        ASSERT_NE(0, child);
        ASSERT_TRUE(WaitForStaging(child)) << c.arguments[0] << ": no staged file was seen";
        kill(child, c.signal);
        const Result result = Finish(child);
        const std::string name = c.arguments[0] + " ended by signal " + std::to_string(c.signal);
        EXPECT_TRUE(StagedLeftovers().empty()) << name;
        if (c.placed()) {
            EXPECT_TRUE(c.whole()) << name << ": " << result.err;
        } else {
            ++interrupted;
            EXPECT_EQ(128 + c.signal, result.status) << name << ": " << result.err;
            EXPECT_TRUE(before == ReadText(m_program)) << name;
        }
        fs::remove(In("plain.txt"));
        WriteText(m_program, before);
    }
    EXPECT_GT(interrupted, 0) << "every command ended before its signal";

    // A signal the process ignores, as under nohup, stays ignored: the
    // write goes on to the end.
    struct sigaction ignore {}, previous {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGHUP, &ignore, &previous);
    const pid_t child = Start({"passwd", Program()}, kPasswordUtf8 + "\nnew one\nnew one\n");
    sigaction(SIGHUP, &previous, nullptr);
    ASSERT_NE(0, child);
    WaitForStaging(child);
    kill(child, SIGHUP);
    const Result ignored = Finish(child);
    EXPECT_EQ(0, ignored.status) << ignored.err;
    EXPECT_EQ(0, Run({"verify", Program()}, "new one\n").status);
}

// A named pipe that nobody writes to is refused at once, not waited on.
TEST_P(Cli, NamedPipesAreRefusedWithoutWaitingForAWriter) {
    ASSERT_EQ(0, mkfifo(In("pipe").c_str(), 0600));
    const std::string before = ReadText(m_program);
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"info", In("pipe")}, ""},
        {{"lock", Program(), "--text", In("pipe")}, kNewPassword},
    };
    for (const auto& [arguments, passwords] : cases) {
        const Result result = Finish(Start(arguments, passwords), 5000);
        EXPECT_EQ(3, result.status) << arguments[0] << ": " << result.err;
        EXPECT_NE(std::string::npos, result.err.find("not a regular file")) << result.err;
    }
    EXPECT_EQ(before, ReadText(m_program));
}

// Root exporting over another user's file: the plain text is root's own,
// readable by nobody else. (A program file rewritten for its owner stays
// theirs, above.)
TEST_P(Cli, RootsExportIsItsOwnPrivateFile) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root, to make a file of another user's (uid 65534)";
    ASSERT_EQ(0, Run({"lock", Program(), "--text", In("note.txt")}, kNewPassword).status);
    WriteText(In("theirs.txt"), "theirs");
    ASSERT_EQ(0, chown(In("theirs.txt").c_str(), 65534, 65534));
    ASSERT_EQ(0, chmod(In("theirs.txt").c_str(), 0644));
    const Result replaced = Run({"export", Program(), "-o", In("theirs.txt")}, kPasswordUtf8 + "\n");
    ASSERT_EQ(0, replaced.status) << replaced.err;
    struct stat status {};
    ASSERT_EQ(0, stat(In("theirs.txt").c_str(), &status));
    EXPECT_EQ(geteuid(), status.st_uid);
    EXPECT_EQ(getegid(), status.st_gid);
    EXPECT_EQ(0600u, status.st_mode & 07777);
    EXPECT_EQ(kTextUtf8, ReadText(In("theirs.txt")));
}

// Root writing through links: one is not followed when it, or a folder it
// leads through, is another user's to change.
TEST_P(Cli, RootIsNotLedThroughOtherUsersLinks) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root, to make links and folders of another user's (uid 65534)";
    constexpr uid_t kOther = 65534;
    ASSERT_EQ(0, Run({"lock", Program(), "--text", In("note.txt")}, kNewPassword).status);
    const std::string password = kPasswordUtf8 + "\n";
    WriteText(In("secret"), "root's alone");
    ASSERT_EQ(0, chmod(In("secret").c_str(), 0600));
    fs::create_directory(In("shared"));
    ASSERT_EQ(0, chmod(In("shared").c_str(), 01777));
    fs::create_directory(In("others"));
    WriteText(In("others/file"), "in another user's folder");
    ASSERT_EQ(0, chown(In("others").c_str(), kOther, kOther));
    const struct {
        const char* link;
        std::string names;
        bool theirs;
    } links[] = {
        {"shared/planted", In("secret"), true},   // planted in a sticky folder
        {"planted", In("secret"), true},          // planted in root's own folder
        {"shared/own", In("secret"), false},      // root's, where others may replace it
        {"into-others", In("others/file"), false},  // into a folder of another user's
    };
    for (const auto& link : links) {
        const std::string before = ReadText(link.names);
        fs::create_symlink(link.names, In(link.link));
        if (link.theirs) ASSERT_EQ(0, lchown(In(link.link).c_str(), kOther, kOther));
        const Result refused = Run({"export", Program(), "-o", In(link.link)}, password);
        EXPECT_EQ(4, refused.status) << link.link << ": " << refused.err;
        EXPECT_NE(std::string::npos, refused.err.find("is not followed")) << refused.err;
        EXPECT_EQ(before, ReadText(link.names)) << link.link;
        EXPECT_TRUE(fs::is_symlink(In(link.link))) << link.link;
    }
    for (const char* folder : {"shared", "others"})
        for (const auto& entry : fs::directory_iterator(In(folder)))
            EXPECT_NE(0u, entry.path().filename().string().rfind("TEM", 0)) << entry.path();
    EXPECT_TRUE(StagedLeftovers().empty());
}

TEST_P(Cli, HelpListsTheExitStatuses) {
    const Result help = Run({"--help"});
    EXPECT_EQ(0, help.status);
    for (const char* line : {"  0  done", "  1  the password", "  2  the command line", "  3  the file", "  4  writing failed"})
        EXPECT_NE(std::string::npos, help.out.find(line)) << line;
    EXPECT_EQ(2, Run({}).status);
}

INSTANTIATE_TEST_SUITE_P(Formats, Cli, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Pe32Plus" : "Pe32"; });

}  // namespace
