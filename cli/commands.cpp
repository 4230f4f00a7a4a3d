#include "cli/commands.h"

#include <algorithm>
#include <functional>
#include <iostream>
#include <memory>
#include <string>

#include "cli/file_access.h"
#include "cli/note_opening.h"
#include "cli/note_password.h"
#include "cli/note_selection.h"
#include "cli/text_encoding.h"
#include "crypto/modern_format.h"
#include "crypto/wipe.h"
#include "note/kept_versions.h"
#include "note/note_image.h"
#include "note/program_identity.h"
#include "store/image_error.h"

namespace {

// A failure while writing; the target was left as it was.
class WriteFailed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The password is not the note's.
class WrongPassword : public std::runtime_error {
public:
    WrongPassword() : std::runtime_error("the password is not the note's") {}
};

std::unique_ptr<PasswordSource> Passwords(const CommandLine& line) {
    if (!line.passwordFile.empty()) return FilePasswords(line.passwordFile);
    if (line.passwordDescriptor) return DescriptorPasswords(*line.passwordDescriptor);
    return TerminalPasswords();
}

NoteImage ReadProgram(const std::string& path) {
    try {
        return NoteImage(ReadRegularFile(path));
    } catch (const ImageError& error) {
        throw InputRefused(path + ": " + error.what());
    }
}

// The note the command works on (see SelectNote) in the file it names.
NoteImage ReadNote(const CommandLine& line) { return SelectNote(ReadProgram(line.file), line.noteFormat); }

// A note whose format this program does not know may be a newer program's:
// it is not replaced or removed in place.
void RefuseUnknownFormatInPlace(const CommandLine& line, const NoteImage& image) {
    const bool inPlace = line.output.empty() || IsSameFile(line.output, line.file);
    if (inPlace && &image.Format() == &ModernFormat() && !image.Faults().empty())
        throw NoteError(image.Faults().front() + "; it is left as it is");
}

// The note opened with its current password, asked once.
OpenedNote AskAndOpenNote(const NoteImage& image, PasswordSource& passwords) {
    const SecretString password = AskPassword(passwords, "Password: ", image.Format().Encoding());
    std::optional<OpenedNote> opened = OpenNote(image, password.View());
    if (!opened) throw WrongPassword();
    return std::move(*opened);
}

// The text to lock as note bytes: UTF-8 converted (without a leading byte
// order mark) to what the format stores, or as it is with --raw. A zero
// byte would end the note early.
SecretString ReadTextToLock(const CommandLine& line, const NoteFormat& format) {
    std::vector<std::uint8_t> bytes = line.textPath == "-" ? ReadStandardInput() : ReadRegularFile(line.textPath);
    const WipeOnExit wipeBytes(bytes.data(), bytes.capacity());
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::string converted;
    if (!line.raw) {
        if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        try {
            converted = Utf8ToNoteEncoding(format.Encoding(), text);
        } catch (const EncodingError& error) {
            throw InputRefused(line.textPath + ": " + error.what() + " (--raw takes the bytes as they are)");
        }
        text = converted;
    }
    const std::size_t zero = text.find('\0');
    if (zero != std::string_view::npos)
        throw InputRefused(line.textPath + ": byte " + std::to_string(zero + 1) + " is a zero byte, which a note cannot hold");
    SecretString secret(text);
    WipeString(converted);
    return secret;
}

// Puts bytes at target through a checked copy beside it, and says so; any
// failure is a WriteFailed that says the target is as it was.
void WriteChecked(const std::string& target, const std::vector<std::uint8_t>& bytes,
                  const std::function<void(const std::vector<std::uint8_t>&)>& check,
                  const std::string& permissionsFrom) {
    try {
        ReplaceFileCheckingCopy(target, bytes, check, permissionsFrom);
    } catch (const std::exception& error) {
        throw WriteFailed(std::string(error.what()) + "; " + target + " is as it was");
    }
    std::cerr << "wrote " << target << "\n";
}

// Puts newImage at the command's target (the file itself, or -o), checked
// as check checks it.
void WriteProgram(const CommandLine& line, const std::vector<std::uint8_t>& newImage,
                  const std::function<void(const std::vector<std::uint8_t>&)>& check) {
    WriteChecked(line.output.empty() ? line.file : line.output, newImage, check, line.file);
}

// The choice --cipher names, or otherwise fallback.
const NoteChoice& ChosenOr(const CommandLine& line, const NoteChoice* fallback) {
    const NoteChoice* choice = line.cipher.empty() ? fallback : FindNoteChoice(line.cipher);
    if (choice == nullptr) throw InputRefused("cannot seal a note with the cipher '" + line.cipher + "'");
    return *choice;
}

// The Argon2id cost a modern key is made with: --kdf-passes and --kdf-memory
// over base. Refused for a legacy cipher, which has no such cost.
Argon2idCost ChosenCost(const CommandLine& line, const NoteChoice& choice, Argon2idCost base) {
    if (choice.format != &ModernFormat()) {
        if (line.kdfPasses || line.kdfMemoryMiB)
            throw UsageError(std::string("--kdf-passes and --kdf-memory apply to XCHACHA20 only, not to ") +
                             choice.identifier);
        return base;
    }
    if (line.kdfPasses) base.passes = *line.kdfPasses;
    if (line.kdfMemoryMiB) base.memoryKiB = *line.kdfMemoryMiB * 1024;
    return base;
}

// Seals the text under a new key (a fresh salt) for password and writes it,
// with the versions of the image's note that replacedKey opens sealed under
// the new key: none without it, so that no version is left under a password
// that is gone.
void SealAndWrite(const CommandLine& line, const NoteImage& image, const SecretString& text,
                  const SecretString& password, const NoteChoice& choice, const Argon2idCost& cost,
                  const HeldKey* replacedKey) {
    const std::unique_ptr<HeldKey> key = choice.format == &ModernFormat()
                                             ? MakeModernHeldKey(password.View(), cost)
                                             : choice.format->MakeKey(password.View());
    const std::optional<NoteSave> save =
        key ? SealKeepingVersions(image, choice, text.View(), *key, replacedKey) : std::nullopt;
    if (!save) throw InputRefused(std::string("cannot seal a note with the cipher '") + choice.identifier + "'");
    WriteProgram(line, image.WithNote(save->sealed), [&](const std::vector<std::uint8_t>& written) {
        CheckRewrittenImage(image, written, &save->sealed, text.View(), password.View());
        CheckKeptVersions(image, NoteImage(written), *save, *key);
    });
}

// What the header of one kind of note says, without its password. False
// when the note cannot be read.
bool DescribeNote(const NoteImage& image) {
    std::cout << "note: " << (image.HasNote() ? "present" : "incomplete") << "\n";
    const NoteChoice* choice = image.Choice();
    std::cout << "cipher: " << (choice == nullptr ? "none" : choice->identifier) << "\n";
    if (const std::optional<Argon2idCost> cost = StoredModernCost(image))
        std::cout << "protection: " << DescribeModernProtection(*cost) << "\n";
    for (const std::string& name : image.Format().EntryNames()) {
        const ResourceEntry* entry = image.Packet(name);
        std::cout << name << ": " << (entry ? std::to_string(entry->bytes.size()) + " bytes" : std::string("missing")) << "\n";
    }
    if (&image.Format() == &ModernFormat())
        std::cout << "versions: " << CountKeptVersions(image, nullptr).present << "\n";
    const std::vector<std::string> faults = image.Faults();
    std::cout << "consistent: " << (faults.empty() ? "yes" : "no") << "\n";
    for (const std::string& fault : faults) std::cout << "  " << fault << "\n";
    return faults.empty();
}

// The save time, which a modern note keeps sealed with its text.
void PrintSaveTime(const OpenedNote& opened) {
    if (opened.saveTime) std::cout << "saved: " << DescribeSaveTime(*opened.saveTime) << "\n";
}

int Info(const CommandLine& line) {
    const NoteImage file = ReadProgram(line.file);
    std::cout << "file: " << line.file << "\n";
    const std::vector<const NoteFormat*> formats = file.StoredFormats();
    if (formats.empty()) {
        std::cout << "note: none\n";
        return kExitSuccess;
    }
    bool readable = true;
    for (const NoteFormat* format : formats) {
        if (formats.size() > 1) std::cout << "format: " << NoteFormatName(*format) << "\n";
        readable = DescribeNote(file.Only(*format)) && readable;
    }
    // The program refuses a file with both kinds, so it is not usable as it is.
    if (formats.size() > 1) std::cout << "both kinds: the program opens neither; --format chooses one here\n";
    const bool passwordGiven = !line.passwordFile.empty() || line.passwordDescriptor;
    if (passwordGiven) {
        const NoteImage image = ReadNote(line);
        image.RequireWholeNote();
        const OpenedNote opened = AskAndOpenNote(image, *Passwords(line));
        PrintSaveTime(opened);
        if (opened.key)
            std::cout << "unreadable versions: " << CountKeptVersions(image, opened.key.get()).unreadable << "\n";
    }
    return readable && formats.size() == 1 ? kExitSuccess : kExitUnusable;
}

// What identify says of the note: none, or for each kind of note found
// whether it is whole, and its cipher.
std::string DescribeNoteBriefly(const NoteImage& file) {
    const std::vector<const NoteFormat*> formats = file.StoredFormats();
    if (formats.empty()) return "none";
    std::string described;
    for (const NoteFormat* format : formats) {
        const NoteImage only = file.Only(*format);
        const NoteChoice* choice = only.Choice();
        if (!described.empty()) described += ", ";
        const char* state = !only.HasNote() ? "incomplete" : only.Faults().empty() ? "present" : "damaged";
        described += std::string(state) + " (" +
                     (choice == nullptr ? "unknown cipher" : choice->identifier) + ")";
    }
    return described;
}

int Identify(const CommandLine& line) {
    const NoteImage file = ReadProgram(line.file);
    std::string identity;
    try {
        identity = ProgramIdentity(file.bytes().data(), file.bytes().size());
    } catch (const ImageError& error) {
        throw InputRefused(line.file + ": " + error.what());
    }
    std::cout << "identity " << identity << "  note: " << DescribeNoteBriefly(file) << "\n";
    return kExitSuccess;
}

int Verify(const CommandLine& line) {
    const NoteImage image = ReadNote(line);
    image.RequireWholeNote();
    const SecretString password = AskPassword(*Passwords(line), "Password: ", image.Format().Encoding());
    const std::optional<OpenedNote> opened = OpenNote(image, password.View());
    std::cout << (opened ? "the password is the note's" : "the password is not the note's") << "\n";
    if (opened) PrintSaveTime(*opened);
    return opened ? kExitSuccess : kExitWrongPassword;
}

// The text of the earlier version number of an opened note.
SecretString OpenVersion(const NoteImage& image, const OpenedNote& opened, std::uint32_t number) {
    if (!opened.key) throw InputRefused("a legacy note keeps no earlier versions");
    const ResourceEntry* entry = image.Packet(KeptVersionName(number));
    if (entry == nullptr) throw NoteError("the note has no version " + std::to_string(number));
    std::optional<ModernOpening> opening =
        OpenKeptVersion(StoredEntry{true, entry->bytes.data(), entry->bytes.size()}, *opened.key);
    if (!opening) throw NoteError("version " + std::to_string(number) + " is damaged and does not open");
    return std::move(opening->text);
}

int ShowOrExport(const CommandLine& line) {
    if (line.command == Command::Export && IsSameFile(line.output, line.file))
        throw InputRefused("export would write the text over the program file itself");
    const NoteImage image = ReadNote(line);
    image.RequireWholeNote();
    OpenedNote opened = AskAndOpenNote(image, *Passwords(line));
    const SecretString text = line.version ? OpenVersion(image, opened, *line.version) : std::move(opened.text);
    std::string converted;
    if (!line.raw) {
        try {
            converted = NoteEncodingToUtf8(image.Format().Encoding(), text.View());
        } catch (const EncodingError& error) {
            throw InputRefused(std::string("the note's text: ") + error.what() + " (--raw gives the bytes as stored)");
        }
    }
    const SecretString output(line.raw ? text.View() : std::string_view(converted));
    WipeString(converted);
    if (line.command == Command::Show) {
        WriteStandardOutput(output.View());
        return kExitSuccess;
    }
    std::vector<std::uint8_t> bytes(output.View().begin(), output.View().end());
    const WipeOnExit wipeBytes(bytes.data(), bytes.size());
    WriteChecked(
        line.output, bytes,
        [&](const std::vector<std::uint8_t>& written) {
            if (written != bytes) throw FileError("the text read back from the written file differs");
        },
        "");
    return kExitSuccess;
}

int Lock(const CommandLine& line) {
    const bool inPlace = line.output.empty() || IsSameFile(line.output, line.file);
    // Only a note that is replaced needs choosing: a copy elsewhere drops both kinds.
    const NoteImage image = inPlace ? ReadNote(line) : ReadProgram(line.file);
    RefuseUnknownFormatInPlace(line, image);
    const NoteChoice& choice = ChosenOr(line, &DefaultNoteChoice());
    const Argon2idCost cost = ChosenCost(line, choice, kModernWrittenCost);
    const SecretString text = ReadTextToLock(line, *choice.format);
    const std::unique_ptr<PasswordSource> passwords = Passwords(line);
    // A note is replaced in place only by someone who can open it; it is
    // kept as a version then, under the new key.
    std::unique_ptr<HeldKey> replacedKey;
    if (inPlace && image.HasNote() && image.Faults().empty()) replacedKey = AskAndOpenNote(image, *passwords).key;
    const SecretString password = AskNewPassword(*passwords, choice.format->Encoding());
    SealAndWrite(line, image, text, password, choice, cost, replacedKey.get());
    return kExitSuccess;
}

// A note's text, stored by from, as choice's format stores it: a note moved
// to the legacy format must fit code page 936, one moved from it becomes UTF-8.
SecretString InEncoding(SecretString text, const NoteFormat& from, const NoteChoice& choice) {
    if (from.Encoding() == choice.format->Encoding()) return text;
    std::string utf8, converted;
    try {
        utf8 = NoteEncodingToUtf8(from.Encoding(), text.View());
        converted = Utf8ToNoteEncoding(choice.format->Encoding(), utf8);
    } catch (const EncodingError& error) {
        WipeString(utf8);
        throw InputRefused(std::string("the note's text cannot be sealed with ") + choice.identifier + ": " +
                           error.what());
    }
    SecretString moved(converted);
    WipeString(utf8);
    WipeString(converted);
    return moved;
}

int Passwd(const CommandLine& line) {
    const NoteImage image = ReadNote(line);
    image.RequireWholeNote();
    const NoteChoice& choice = ChosenOr(line, image.Choice());
    // A modern note keeps the cost it has unless told otherwise, so a new
    // password never quietly weakens it.
    const Argon2idCost cost = ChosenCost(line, choice, StoredModernCost(image).value_or(kModernWrittenCost));
    const std::unique_ptr<PasswordSource> passwords = Passwords(line);
    OpenedNote opened = AskAndOpenNote(image, *passwords);
    const SecretString text = InEncoding(std::move(opened.text), image.Format(), choice);
    const SecretString password = AskNewPassword(*passwords, choice.format->Encoding());
    SealAndWrite(line, image, text, password, choice, cost, opened.key.get());
    return kExitSuccess;
}

int Clear(const CommandLine& line) {
    const NoteImage image = ReadNote(line);
    if (!image.HasAnyNoteEntry()) throw NoteError("the file holds no note");
    RefuseUnknownFormatInPlace(line, image);
    // A whole note is removed only by someone who can open it; a damaged one
    // can be opened by nobody.
    if (image.Faults().empty()) AskAndOpenNote(image, *Passwords(line));
    WriteProgram(line, image.WithoutNote(), [&](const std::vector<std::uint8_t>& written) {
        CheckRewrittenImage(image, written, nullptr, {}, {});
    });
    return kExitSuccess;
}

// The versions without a password: their numbers and sizes; with one, also
// when each was saved and how long its text is.
int History(const CommandLine& line) {
    const NoteImage image = ReadNote(line);
    image.RequireWholeNote();
    if (&image.Format() != &ModernFormat()) throw InputRefused("a legacy note keeps no earlier versions");
    const bool passwordGiven = !line.passwordFile.empty() || line.passwordDescriptor;
    const std::unique_ptr<HeldKey> key = passwordGiven ? AskAndOpenNote(image, *Passwords(line)).key : nullptr;
    const std::vector<StoredVersion> versions = ListKeptVersions(image.Entries());
    if (versions.empty()) std::cout << "versions: none\n";
    for (const StoredVersion& version : versions) {
        std::cout << "version " << version.number << ": " << version.entry.size << " bytes sealed";
        if (key) {
            const std::optional<ModernOpening> opening = OpenKeptVersion(version.entry, *key);
            if (opening)
                std::cout << ", saved " << DescribeSaveTime(opening->saveTime) << ", " << opening->text.View().size()
                          << " bytes of text";
            else
                std::cout << ", unreadable";
        }
        std::cout << "\n";
    }
    return kExitSuccess;
}

// Drops the oldest versions so that at most --keep remain. No password is
// asked, so nothing is opened: the note's entries and the versions left are
// written byte for byte, renumbered from NOTE1, and the file read back must
// hold exactly those bytes.
int Prune(const CommandLine& line) {
    const NoteImage image = ReadNote(line);
    image.RequireWholeNote();
    if (&image.Format() != &ModernFormat()) throw InputRefused("a legacy note keeps no earlier versions");
    SealedNote kept;
    for (const std::string& name : image.Format().EntryNames()) {
        const std::vector<std::uint8_t>& bytes = image.Packet(name)->bytes;
        kept.push_back({name, {bytes.begin(), bytes.end()}});
    }
    const std::vector<StoredVersion> versions = ListKeptVersions(image.Entries());
    const std::size_t left = std::min<std::size_t>(*line.keep, versions.size());
    for (std::size_t i = 0; i < left; ++i) {
        const StoredEntry& entry = versions[i].entry;
        kept.push_back({KeptVersionName(i + 1), {entry.bytes, entry.bytes + entry.size}});
    }
    WriteProgram(line, image.WithNote(kept), [&](const std::vector<std::uint8_t>& written) {
        CheckRewrittenEntries(image, NoteImage(written), &kept);
    });
    std::cout << "versions: " << left << " kept, " << versions.size() - left << " dropped\n";
    return kExitSuccess;
}

int Run(const CommandLine& line) {
    switch (line.command) {
    case Command::Help: std::cout << HelpText(); return kExitSuccess;
    case Command::Info: return Info(line);
    case Command::Identify: return Identify(line);
    case Command::Verify: return Verify(line);
    case Command::Show:
    case Command::Export: return ShowOrExport(line);
    case Command::Lock: return Lock(line);
    case Command::Passwd: return Passwd(line);
    case Command::Clear: return Clear(line);
    case Command::History: return History(line);
    case Command::Prune: return Prune(line);
    }
    return kExitUsage;
}

}  // namespace

int RunCommand(const CommandLine& line) {
    try {
        return Run(line);
    } catch (const UsageError& error) {
        std::cerr << "scribecrypt-cli: " << error.what() << "\n";
        return kExitUsage;
    } catch (const WrongPassword& error) {
        std::cerr << "scribecrypt-cli: " << error.what() << "\n";
        return kExitWrongPassword;
    } catch (const WriteFailed& error) {
        std::cerr << "scribecrypt-cli: " << error.what() << "\n";
        return kExitWriteFailed;
    } catch (const std::exception& error) {
        std::cerr << "scribecrypt-cli: " << error.what() << "\n";
        return kExitUnusable;
    }
}
