// What the companion leaves in its own memory once a command is done: no copy
// of the note's text or of its password, whichever buffers held them on the
// way (the text read from a pipe in growing pieces, the converted text, the
// output, the file read back for the check). The commands run in this process
// so that its whole writable memory can be searched afterwards; the
// sanitizer's allocator keeps freed blocks as they were, which is where an
// unwiped copy shows.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "crypto/wipe.h"
#include "tests/store/pe_fixture.h"

namespace {

namespace fs = std::filesystem;

// Both live only in read-only data: the test writes them to files and pipes
// straight from here, so that any copy in writable memory is the companion's.
constexpr char kTextMarker[] = "plain text marker 5f3a9c1e7b2d4086";
constexpr char kPassword[] = "password marker 0c8e2a6f";

void WriteFromReadOnly(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(descriptor, bytes.data(), bytes.size());
        ASSERT_GT(written, 0);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// How many times bytes appear in this process's writable memory. Read through
// /proc/self/mem, so freed and unmapped-in-between pages are no fault; the
// sanitizer's multi-terabyte shadow is skipped.
std::size_t OccurrencesInMemory(std::string_view bytes) {
    constexpr std::size_t kPiece = 1 << 20;
    constexpr std::size_t kLargestRegion = std::size_t{1} << 32;
    // The scan's own buffer is outside the heap and left out of the scan.
    void* buffer = mmap(nullptr, kPiece, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    const int memory = open("/proc/self/mem", O_RDONLY | O_CLOEXEC);
    FILE* maps = fopen("/proc/self/maps", "r");
    std::vector<std::pair<std::uintptr_t, std::uintptr_t>> regions;
    unsigned long start = 0, end = 0;
    char permissions[5] = {};
    char line[512];
    while (fgets(line, sizeof line, maps) != nullptr) {
        if (sscanf(line, "%lx-%lx %4s", &start, &end, permissions) == 3 && permissions[1] == 'w' &&
            end - start <= kLargestRegion && start != reinterpret_cast<std::uintptr_t>(buffer))
            regions.emplace_back(start, end);
    }
    fclose(maps);
    std::size_t found = 0;
    const auto* piece = static_cast<const char*>(buffer);
    for (const auto& [regionStart, regionEnd] : regions) {
        for (std::uintptr_t at = regionStart; at < regionEnd; at += kPiece - bytes.size()) {
            const std::size_t want = std::min<std::uintptr_t>(kPiece, regionEnd - at);
            const ssize_t got = pread(memory, buffer, want, static_cast<off_t>(at));
            if (got < static_cast<ssize_t>(bytes.size())) break;
            for (const char* hit = piece; (hit = static_cast<const char*>(memmem(hit, piece + got - hit, bytes.data(), bytes.size())));
                 ++hit)
                ++found;
            if (static_cast<std::size_t>(got) < want) break;
        }
    }
    close(memory);
    munmap(buffer, kPiece);
    return found;
}

class PlainTextInMemory : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/cli-memory-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        m_folder = pattern;
        const std::vector<std::uint8_t> image = fixture::Build(fixture::SampleImage(false, fixture::SampleEntries()));
        const int program = open(Path("program.exe").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0700);
        WriteFromReadOnly(program, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
        close(program);
        const int passwords = open(Path("passwords").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        for (int line = 0; line < 2; ++line) {
            WriteFromReadOnly(passwords, kPassword);
            WriteFromReadOnly(passwords, "\n");
        }
        close(passwords);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    std::string Path(const char* name) const { return (m_folder / name).string(); }

    int Run(const std::vector<std::string>& arguments) { return RunCommand(ParseCommandLine(arguments)); }

    // Locks a text read from standard input: the marker among enough more
    // that the text arrives in many pieces and its buffer grows several
    // times. Not at the very start, where a freed block's first bytes are
    // the allocator's.
    int LockFromPipe() {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0) return -1;
        const pid_t writer = fork();
        if (writer == 0) {
            close(pipeEnds[0]);
            char filler[4096];
            std::memset(filler, 'x', sizeof filler);
            for (int piece = 0; piece < 512; ++piece) {
                if (piece == 1) WriteFromReadOnly(pipeEnds[1], kTextMarker);
                WriteFromReadOnly(pipeEnds[1], std::string_view(filler, sizeof filler));
            }
            _exit(0);
        }
        close(pipeEnds[1]);
        const int savedInput = dup(STDIN_FILENO);
        dup2(pipeEnds[0], STDIN_FILENO);
        close(pipeEnds[0]);
        const int status = Run({"lock", Path("program.exe"), "--text", "-", "--password-file", Path("passwords")});
        dup2(savedInput, STDIN_FILENO);
        close(savedInput);
        waitpid(writer, nullptr, 0);
        return status;
    }

    fs::path m_folder;
};

TEST_F(PlainTextInMemory, NoCopyOutlivesLockingFromAPipeOrExporting) {
    ASSERT_EQ(0u, OccurrencesInMemory(kTextMarker)) << "the search must start clean";
    {
        std::string copy(kTextMarker);
        EXPECT_EQ(1u, OccurrencesInMemory(kTextMarker)) << "the search finds a copy on the heap";
        WipeString(copy);
    }
    ASSERT_EQ(0, LockFromPipe());
    EXPECT_EQ(0u, OccurrencesInMemory(kTextMarker)) << "after lock --text -";
    EXPECT_EQ(0u, OccurrencesInMemory(kPassword)) << "after lock --text -";

    ASSERT_EQ(0, Run({"export", Path("program.exe"), "-o", Path("note.txt"), "--password-file", Path("passwords")}));
    EXPECT_EQ(0u, OccurrencesInMemory(kTextMarker)) << "after export";
    EXPECT_EQ(0u, OccurrencesInMemory(kPassword)) << "after export";
    EXPECT_EQ(std::strlen(kTextMarker) + 512 * 4096, fs::file_size(Path("note.txt"))) << "the whole text was exported";
}

// A conversion that fails part way has already produced the text (or the
// password) up to the character it cannot take; that is wiped too.
TEST_F(PlainTextInMemory, NoCopyOutlivesARefusedTextOrPassword) {
    const auto writeWithEmoji = [&](const char* name, std::string_view marker) {
        // The marker not at the start, where a freed block's first bytes
        // are the allocator's.
        const int file = open(Path(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        for (int line = 0; line < 2; ++line) {
            WriteFromReadOnly(file, "a line's beginning, before the marker: ");
            WriteFromReadOnly(file, marker);
            WriteFromReadOnly(file, "\xF0\x9F\x98\x80\n");
        }
        close(file);
    };
    writeWithEmoji("unfit.txt", kTextMarker);
    EXPECT_EQ(3, Run({"lock", Path("program.exe"), "--text", Path("unfit.txt"), "--password-file", Path("passwords")}));
    EXPECT_EQ(0u, OccurrencesInMemory(kTextMarker)) << "after a text code page 936 cannot hold";

    writeWithEmoji("unfit-passwords", kPassword);
    const std::string text = Path("passwords");  // any text that converts
    EXPECT_EQ(3, Run({"lock", Path("program.exe"), "--text", text, "--password-file", Path("unfit-passwords")}));
    EXPECT_EQ(0u, OccurrencesInMemory(kPassword)) << "after a password code page 936 cannot hold";
}

}  // namespace
