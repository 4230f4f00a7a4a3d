// Password sources: the lines of a file and of a pipe, one per call, and the
// terminal source's error where the process has no terminal.
#include "cli/password_source.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>
#endif

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
int ProcessId() {
    return _getpid();
}
void MakePipe(int descriptors[2]) {
    ASSERT_EQ(_pipe(descriptors, 4096, _O_BINARY), 0);
}
void WriteAll(int descriptor, const std::string& text) {
    ASSERT_EQ(_write(descriptor, text.data(), static_cast<unsigned int>(text.size())),
              static_cast<int>(text.size()));
}
std::string ReadRest(int descriptor) {
    std::string rest;
    char chunk[64];
    for (int count; (count = _read(descriptor, chunk, sizeof chunk)) > 0;) {
        rest.append(chunk, static_cast<std::size_t>(count));
    }
    return rest;
}
void CloseDescriptor(int descriptor) {
    _close(descriptor);
}
#else
int ProcessId() {
    return getpid();
}
void MakePipe(int descriptors[2]) {
    ASSERT_EQ(pipe(descriptors), 0);
}
void WriteAll(int descriptor, const std::string& text) {
    ASSERT_EQ(write(descriptor, text.data(), text.size()), static_cast<ssize_t>(text.size()));
}
std::string ReadRest(int descriptor) {
    std::string rest;
    char chunk[64];
    for (ssize_t count; (count = read(descriptor, chunk, sizeof chunk)) > 0;) {
        rest.append(chunk, static_cast<std::size_t>(count));
    }
    return rest;
}
void CloseDescriptor(int descriptor) {
    close(descriptor);
}
#endif

std::string MessageOfNext(PasswordSource& source) {
    try {
        source.Next("Password: ");
    } catch (const PasswordInputError& error) {
        return error.what();
    }
    return "no error";
}

// A folder of this test process's own, so parallel runs do not meet.
class PasswordFile : public testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() / ("password_source_test_" + std::to_string(ProcessId()));
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    // Writes bytes to a file whose name is not ASCII, so that Windows has to
    // open it through the wide-character call; returns its UTF-8 path.
    std::string Write(const std::string& bytes) {
        const fs::path path = m_folder / fs::u8path(u8"密码.txt");
        std::ofstream(path, std::ios::binary) << bytes;
        return path.u8string();
    }

    fs::path m_folder;
};

TEST_F(PasswordFile, GivesOneLinePerCallWithEitherLineEnd) {
    const auto source = FilePasswords(Write(u8"first\r\nsecond 密\n\nlast"));
    EXPECT_EQ(source->Next("a").View(), "first");
    EXPECT_EQ(source->Next("b").View(), u8"second 密");
    EXPECT_EQ(source->Next("c").View(), "");
    EXPECT_EQ(source->Next("d").View(), "last");
    EXPECT_EQ(MessageOfNext(*source), "the password file has no more lines");
}

TEST_F(PasswordFile, IsReadWholeWhenTheSourceIsMade) {
    const std::string path = Write("only\n");
    const auto source = FilePasswords(path);
    fs::remove(fs::u8path(path));
    EXPECT_EQ(source->Next("a").View(), "only");
    EXPECT_EQ(MessageOfNext(*source), "the password file has no more lines");
}

TEST_F(PasswordFile, ThatIsMissingIsNamedInTheError) {
    const std::string path = (m_folder / "missing.txt").u8string();
    try {
        FilePasswords(path);
        ADD_FAILURE() << "a missing file gave a source";
    } catch (const PasswordInputError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("cannot open the password file \"" + path + "\": ", 0), 0u)
            << error.what();
    }
}

// Two prompts answered through one pipe: each takes its own line and leaves
// the rest of the pipe unread.
TEST(PasswordDescriptor, ReadsNoFurtherThanTheLineItGives) {
    int descriptors[2];
    MakePipe(descriptors);
    WriteAll(descriptors[1], "first\r\nsecond\nrest");
    CloseDescriptor(descriptors[1]);
    const auto source = DescriptorPasswords(descriptors[0]);
    EXPECT_EQ(source->Next("a").View(), "first");
    EXPECT_EQ(source->Next("b").View(), "second");
    EXPECT_EQ(ReadRest(descriptors[0]), "rest");
    EXPECT_EQ(MessageOfNext(*source), "the password input has no more lines");
    CloseDescriptor(descriptors[0]);
}

TEST(PasswordDescriptor, CountsALastLineWithoutLineEnd) {
    int descriptors[2];
    MakePipe(descriptors);
    WriteAll(descriptors[1], u8"\n密码");
    CloseDescriptor(descriptors[1]);
    const auto source = DescriptorPasswords(descriptors[0]);
    EXPECT_EQ(source->Next("a").View(), "");
    EXPECT_EQ(source->Next("b").View(), u8"密码");
    EXPECT_EQ(MessageOfNext(*source), "the password input has no more lines");
    CloseDescriptor(descriptors[0]);
}

// The terminal source's error in a process with no terminal: natively a child
// in a new session, which has no controlling terminal; on Windows this
// process after leaving its console.
std::string TerminalMessageWithoutTerminal() {
#ifdef _WIN32
    FreeConsole();
    const auto source = TerminalPasswords();
    return MessageOfNext(*source);
#else
    int descriptors[2];
    if (pipe(descriptors) != 0) {
        return "no pipe";
    }
    const pid_t child = fork();
    if (child == 0) {
        close(descriptors[0]);
        const std::string message = setsid() < 0 ? "no new session" : MessageOfNext(*TerminalPasswords());
        const bool written =
            write(descriptors[1], message.data(), message.size()) == static_cast<ssize_t>(message.size());
        _exit(written ? 0 : 1);
    }
    close(descriptors[1]);
    const std::string message = ReadRest(descriptors[0]);
    close(descriptors[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return message;
#endif
}

TEST(PasswordTerminal, WithoutOneSaysHowElseToGivePasswords) {
    EXPECT_EQ(TerminalMessageWithoutTerminal(),
              "there is no terminal to ask for the password on; use --password-file or --password-fd");
}

#ifndef _WIN32
// A child in its own session whose controlling terminal is a pseudo-terminal
// this test holds the other side of, asking it for one password.
class TerminalChild : public testing::Test {
protected:
    void SetUp() override {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(m_master, 0);
        ASSERT_EQ(grantpt(m_master), 0);
        ASSERT_EQ(unlockpt(m_master), 0);
        const std::string terminalName = ptsname(m_master);
        int answer[2];
        ASSERT_EQ(pipe(answer), 0);
        m_child = fork();
        if (m_child == 0) {
            close(answer[0]);
            // Opened in a new session, the terminal becomes the controlling one.
            if (setsid() < 0 || open(terminalName.c_str(), O_RDWR) < 0) {
                _exit(2);
            }
            const SecretString password = TerminalPasswords()->Next("Password: ");
            _exit(write(answer[1], password.c_str(), password.size()) == static_cast<ssize_t>(password.size())
                      ? 0
                      : 1);
        }
        close(answer[1]);
        m_answer = answer[0];
    }
    void TearDown() override {
        close(m_answer);
        close(m_master);
    }

    bool Echoes() const {
        termios settings{};
        tcgetattr(m_master, &settings);
        return (settings.c_lflag & ECHO) != 0;
    }

    // Waits for the child to turn echo off, as it does right after the prompt.
    bool WaitForEchoOff() const {
        for (int attempt = 0; attempt < 500 && Echoes(); ++attempt) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return !Echoes();
    }

    int WaitForChild() const {
        int status = 0;
        waitpid(m_child, &status, 0);
        return status;
    }

    int m_master = -1;
    int m_answer = -1;
    pid_t m_child = -1;
};

// A terminal given as a descriptor or a password file would echo what is
// typed: both are refused before anything is read.
TEST(PasswordTerminal, GivenAsADescriptorOrAFileIsRefused) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const std::string terminalName = ptsname(master);
    const int terminal = open(terminalName.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    const auto refusal = [](const std::function<void()>& make) {
        try {
            make();
        } catch (const PasswordInputError& error) {
            return std::string(error.what());
        }
        return std::string("<accepted>");
    };
    EXPECT_NE(std::string::npos, refusal([&] { DescriptorPasswords(terminal); }).find("is a terminal"));
    EXPECT_NE(std::string::npos, refusal([&] { FilePasswords(terminalName); }).find("is a terminal"));
    close(terminal);
    close(master);
}

TEST_F(TerminalChild, ReadsWithoutEchoAndRestoresTheTerminal) {
    ASSERT_TRUE(WaitForEchoOff());
    const std::string typed = u8"s3cret 密码\r";
    ASSERT_EQ(write(m_master, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
    EXPECT_EQ(ReadRest(m_answer), u8"s3cret 密码");
    EXPECT_EQ(WaitForChild(), 0);
    EXPECT_TRUE(Echoes());
}

TEST_F(TerminalChild, RestoresTheTerminalWhenInterrupted) {
    ASSERT_TRUE(WaitForEchoOff());
    kill(m_child, SIGINT);
    const int status = WaitForChild();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << "status " << status;
    EXPECT_TRUE(Echoes());
}
#endif

}  // namespace
