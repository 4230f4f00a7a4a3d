#include "cli/arguments.h"

#include <algorithm>
#include <cctype>
#include <cstring>

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
    "  info FILE                 whether FILE holds a note, its cipher, the sizes of\n"
    "                            its three entries and whether they are consistent\n"
    "  verify FILE               asks the password and says whether it is the note's\n"
    "  show FILE [--raw]         writes the note's text to standard output\n"
    "  export FILE -o OUT [--raw]\n"
    "                            writes the note's text to the file OUT\n"
    "  lock FILE --text IN [--cipher C] [-o OUT] [--raw]\n"
    "                            seals the text of IN (\"-\": standard input) into\n"
    "                            FILE, or into a copy of it at OUT; asks the new\n"
    "                            password twice, and first the old one when the\n"
    "                            file it rewrites already holds a note\n"
    "  passwd FILE [--cipher C] [-o OUT]\n"
    "                            seals the note again under a new password (and\n"
    "                            cipher); asks the old password, then the new twice\n"
    "  clear FILE [-o OUT]       removes the note after asking its password\n"
    "\n"
    "Options:\n"
    "  -o OUT                    write the result to OUT; FILE stays as it is\n"
    "  --cipher C                " + CipherNames(true) + ";\n"
    "                            passwd keeps the note's cipher unless given\n"
    "  --raw                     text as code page 936 bytes, as the note stores\n"
    "                            them; without it text is UTF-8 and converted\n"
    "  --password-file F         read the passwords from F, one per line, in the\n"
    "                            order they are asked for\n"
    "  --password-fd N           the same from the open descriptor N\n"
    "  -h, --help                this text\n"
    "\n"
    "Passwords are asked on the terminal without echo unless a password file or\n"
    "descriptor is given; they are never taken from the command line. Passwords\n"
    "and UTF-8 text are converted to code page 936 as the program stores them;\n"
    "a character that code page cannot hold is an error, never replaced.\n"
    "A rewritten file is first written beside its target, read back and checked,\n"
    "and only then renamed over it; on any failure the target stays as it was.\n"
    "\n"
    "Exit status:\n"
    "  0  done; for verify: the password is the note's\n"
    "  1  the password is not the note's\n"
    "  2  the command line is wrong\n"
    "  3  the file or the input cannot be used: unreadable, not a program image,\n"
    "     damaged resources, no note or a damaged one, text or passwords refused\n"
    "  4  writing failed; the target is as it was\n";
}

namespace {

struct CommandRule {
    const char* name;
    Command command;
    const char* options;  // the options it takes, each followed by a space
};

constexpr CommandRule kCommands[] = {
    {"info", Command::Info, ""},
    {"verify", Command::Verify, "--password-file --password-fd "},
    {"show", Command::Show, "--raw --password-file --password-fd "},
    {"export", Command::Export, "-o --raw --password-file --password-fd "},
    {"lock", Command::Lock, "--text --cipher -o --raw --password-file --password-fd "},
    {"passwd", Command::Passwd, "--cipher -o --password-file --password-fd "},
    {"clear", Command::Clear, "-o --password-file --password-fd "},
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
    return line;
}
