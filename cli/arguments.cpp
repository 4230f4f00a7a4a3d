#include "cli/arguments.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "cli/note_selection.h"
#include "crypto/modern_format.h"
#include "crypto/note_history.h"
#include "crypto/note_format.h"

namespace {

// The choices --cipher takes, as a text.
std::string CipherNames(bool markDefault) {
    return ListNoteChoices(
        [markDefault](const NoteChoice& choice) {
            const bool isDefault = markDefault && &choice == &DefaultNoteChoice();
            return std::string(choice.identifier) + (isDefault ? " (the default for lock)" : "");
        },
        ", ", " or ");
}

}  // namespace

std::string HelpText() {
    return
    "Usage: scribecrypt-cli COMMAND FILE [OPTIONS]\n"
    "Reads and rewrites the note kept inside a Scribecrypt program file.\n"
    "\n"
    "Commands:\n"
    "  info FILE                 whether FILE holds a note, its cipher, its\n"
    "                            protection for a modern note, the sizes of its\n"
    "                            entries and whether they are consistent; with a\n"
    "                            password file or descriptor it also checks the\n"
    "                            password and gives a modern note's save time\n"
    "  identify FILE             the program's identity, which its note does not\n"
    "                            change, and whether it holds a note\n"
    "  verify FILE               asks the password and says whether it is the note's\n"
    "                            (and when a modern note was saved)\n"
    "  show FILE [--raw] [--version N]\n"
    "                            writes the note's text to standard output\n"
    "  export FILE -o OUT [--raw] [--version N]\n"
    "                            writes the note's text to the file OUT\n"
    "  lock FILE --text IN [--cipher C] [--kdf-passes N] [--kdf-memory M]\n"
    "       [-o OUT] [--raw]\n"
    "                            seals the text of IN (\"-\": standard input) into\n"
    "                            FILE, or into a copy of it at OUT; asks the new\n"
    "                            password twice, and first the old one when the\n"
    "                            file it rewrites already holds a note\n"
    "  passwd FILE [--cipher C] [--kdf-passes N] [--kdf-memory M] [-o OUT]\n"
    "                            seals the note again under a new password (and\n"
    "                            cipher); asks the old password, then the new twice\n"
    "  clear FILE [-o OUT]       removes the note and its earlier versions after\n"
    "                            asking its password\n"
    "  history FILE              the earlier versions a modern note keeps and the\n"
    "                            size of each; with a password file or descriptor\n"
    "                            also when each was saved and its text's size\n"
    "  prune FILE --keep N [-o OUT]\n"
    "                            drops the oldest earlier versions of a modern\n"
    "                            note so that at most N (0 to 20) remain, without\n"
    "                            a password; the note and the versions left are\n"
    "                            moved byte for byte\n"
    "\n"
    "Options:\n"
    "  -o OUT                    write the result to OUT; FILE stays as it is\n"
    "  --cipher C                " + CipherNames(true) + ";\n"
    "                            passwd keeps the note's cipher unless given\n"
    "  --kdf-passes N            Argon2id passes for XCHACHA20, 1 to 32 (written: 3)\n"
    "  --kdf-memory M            Argon2id memory for XCHACHA20 in MiB, 1 to 1024\n"
    "                            (written: 64); passwd keeps a modern note's\n"
    "                            passes and memory unless given\n"
    "  --format legacy|modern    the note to read in a file that holds both kinds\n"
    "  --version N               an earlier version of a modern note, 1 (the newest)\n"
    "                            to 20, instead of its text\n"
    "  --raw                     text as the note stores it, unconverted and\n"
    "                            unchecked: code page 936 bytes for a legacy cipher,\n"
    "                            UTF-8 for XCHACHA20\n"
    "  --password-file F         read the passwords from F, one per line, in the\n"
    "                            order they are asked for\n"
    "  --password-fd N           the same from the open descriptor N\n"
    "  -h, --help                this text\n"
    "\n"
    "Passwords are asked on the terminal without echo unless a password file or\n"
    "descriptor is given; they are never taken from the command line. Passwords\n"
    "and UTF-8 text are converted to code page 936 for a legacy cipher, as the\n"
    "program stores them; a character that code page cannot hold is an error,\n"
    "never replaced. For XCHACHA20 they are kept as UTF-8, byte for byte.\n"
    "A rewritten file is first written beside its target, read back and checked,\n"
    "and only then renamed over it; on any failure the target stays as it was.\n"
    "\n"
    "Exit status:\n"
    "  0  done; for verify: the password is the note's\n"
    "  1  the password is not the note's\n"
    "  2  the command line is wrong\n"
    "  3  the file or the input cannot be used: unreadable, not a program image,\n"
    "     damaged resources, no note or a damaged one, a note in a format this\n"
    "     program does not know, both kinds of note without --format, text or\n"
    "     passwords refused\n"
    "  4  writing failed; the target is as it was\n";
}

namespace {

struct CommandRule {
    const char* name;
    Command command;
    const char* options;  // the options it takes, each followed by a space
};

constexpr CommandRule kCommands[] = {
    {"info", Command::Info, "--format --password-file --password-fd "},
    {"identify", Command::Identify, ""},
    {"verify", Command::Verify, "--format --password-file --password-fd "},
    {"show", Command::Show, "--format --raw --version --password-file --password-fd "},
    {"export", Command::Export, "--format -o --raw --version --password-file --password-fd "},
    {"lock", Command::Lock, "--format --text --cipher --kdf-passes --kdf-memory -o --raw --password-file --password-fd "},
    {"passwd", Command::Passwd, "--format --cipher --kdf-passes --kdf-memory -o --password-file --password-fd "},
    {"clear", Command::Clear, "--format -o --password-file --password-fd "},
    {"history", Command::History, "--format --password-file --password-fd "},
    {"prune", Command::Prune, "--keep -o "},
};

bool Takes(const CommandRule& rule, const std::string& option) {
    return std::strstr(rule.options, (option + " ").c_str()) != nullptr;
}

std::string CipherIdentifier(const std::string& value) {
    std::string upper = value;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const NoteChoice* choice = FindNoteChoice(upper);
    if (choice == nullptr) throw UsageError("unknown cipher '" + value + "' (" + CipherNames(false) + ")");
    return choice->identifier;
}

// A whole number from low to high, given to option.
std::uint32_t Bounded(const std::string& option, const std::string& value, std::uint32_t low, std::uint32_t high) {
    if (value.empty() || value.size() > 9 || !std::all_of(value.begin(), value.end(), ::isdigit) ||
        std::stoul(value) < low || std::stoul(value) > high)
        throw UsageError(option + " takes a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not '" + value + "'");
    return static_cast<std::uint32_t>(std::stoul(value));
}

std::string FormatName(const std::string& value) {
    if (NoteFormatNamed(value) == nullptr)
        throw UsageError("unknown format '" + value + "' (" + NoteFormatNames() + ")");
    return value;
}

int Descriptor(const std::string& value) {
    if (value.empty() || value.size() > 9 || !std::all_of(value.begin(), value.end(), ::isdigit))
        throw UsageError("--password-fd needs a descriptor number, not '" + value + "'");
    return std::stoi(value);
}

void RequireOnce(bool alreadyGiven, const std::string& option) {
    if (alreadyGiven) throw UsageError(option + " is given twice");
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    if (arguments.empty()) throw UsageError("no command given");
    if (arguments[0] == "-h" || arguments[0] == "--help") {
        if (arguments.size() > 1) throw UsageError("--help takes nothing more");
        return line;
    }
    const CommandRule* rule = nullptr;
    for (const CommandRule& candidate : kCommands) {
        if (arguments[0] == candidate.name) rule = &candidate;
    }
    if (rule == nullptr) throw UsageError("unknown command '" + arguments[0] + "'");
    line.command = rule->command;

    std::vector<std::string> operands;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.size() < 2 || argument[0] != '-') {
            operands.push_back(argument);
            continue;
        }
        if (!Takes(*rule, argument)) throw UsageError(std::string(rule->name) + " does not take " + argument);
        if (argument == "--raw") {
            RequireOnce(line.raw, argument);
            line.raw = true;
            continue;
        }
        if (i + 1 == arguments.size()) throw UsageError(argument + " needs a value");
        const std::string& value = arguments[++i];
        if (argument == "-o") {
            RequireOnce(!line.output.empty(), argument);
            line.output = value;
        } else if (argument == "--text") {
            RequireOnce(!line.textPath.empty(), argument);
            line.textPath = value;
        } else if (argument == "--cipher") {
            RequireOnce(!line.cipher.empty(), argument);
            line.cipher = CipherIdentifier(value);
        } else if (argument == "--format") {
            RequireOnce(!line.noteFormat.empty(), argument);
            line.noteFormat = FormatName(value);
        } else if (argument == "--kdf-passes") {
            RequireOnce(line.kdfPasses.has_value(), argument);
            line.kdfPasses = Bounded(argument, value, 1, kModernMaxPasses);
        } else if (argument == "--kdf-memory") {
            RequireOnce(line.kdfMemoryMiB.has_value(), argument);
            line.kdfMemoryMiB = Bounded(argument, value, 1, kModernMaxMemoryKiB / 1024);
        } else if (argument == "--version") {
            RequireOnce(line.version.has_value(), argument);
            line.version = Bounded(argument, value, 1, static_cast<std::uint32_t>(kKeptVersionLimit));
        } else if (argument == "--keep") {
            RequireOnce(line.keep.has_value(), argument);
            line.keep = Bounded(argument, value, 0, static_cast<std::uint32_t>(kKeptVersionLimit));
        } else if (argument == "--password-file") {
            RequireOnce(!line.passwordFile.empty() || line.passwordDescriptor, argument);
            line.passwordFile = value;
        } else {
            RequireOnce(!line.passwordFile.empty() || line.passwordDescriptor, argument);
            line.passwordDescriptor = Descriptor(value);
        }
        if (value.empty()) throw UsageError(argument + " needs a value");
    }

    if (operands.size() != 1) throw UsageError(std::string(rule->name) + " takes exactly one FILE");
    line.file = operands[0];
    if (line.command == Command::Export && line.output.empty()) throw UsageError("export needs -o OUT");
    if (line.command == Command::Lock && line.textPath.empty()) throw UsageError("lock needs --text IN");
    if (line.command == Command::Prune && !line.keep) throw UsageError("prune needs --keep N");
    return line;
}
