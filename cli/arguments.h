// The command line of scribecrypt-cli: which command, on which file, with
// which options. Parsing is pure, so every rule is tested without a file.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

enum class Command { Help, Info, Identify, Verify, Show, Export, Lock, Passwd, Clear, History, Prune };

struct CommandLine {
    Command command = Command::Help;
    std::string file;        // the program file the command works on
    std::string output;      // -o: where the result goes instead of the file itself
    std::string textPath;    // --text: the text to lock, "-" for standard input
    std::string cipher;      // --cipher, as its identifier; empty when not given
    bool raw = false;        // --raw: text bytes as stored, no conversion
    std::string noteFormat;  // --format: "legacy" or "modern", the note read in a file holding both
    std::optional<std::uint32_t> kdfPasses;     // --kdf-passes: Argon2id passes for a modern key
    std::optional<std::uint32_t> kdfMemoryMiB;  // --kdf-memory: Argon2id memory for a modern key
    std::optional<std::uint32_t> version;       // --version: an earlier version (1: the newest) instead of the note
    std::optional<std::uint32_t> keep;          // --keep: how many of the newest earlier versions prune leaves
    std::string passwordFile;            // --password-file
    std::optional<int> passwordDescriptor;  // --password-fd
};

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// arguments without the program's name. Throws UsageError for an unknown
// command or option, an option the command does not take, a missing or
// surplus operand, or a missing required option.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The --help text, with the exit statuses.
std::string HelpText();

// The exit statuses, as --help documents them.
enum ExitStatus : int {
    kExitSuccess = 0,
    kExitWrongPassword = 1,
    kExitUsage = 2,
    kExitUnusable = 3,
    kExitWriteFailed = 4,
};
