#include "cli/commands.h"

#include <functional>
#include <iostream>
#include <memory>
#include <string>

#include "cli/file_access.h"
#include "note/note_image.h"
#include "cli/note_password.h"
#include "cli/text_encoding.h"
#include "crypto/wipe.h"
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

// The note's current password, checked against its verifier.
SecretString AskNotePassword(const NoteImage& image, PasswordSource& passwords) {
    SecretString password = AskPassword(passwords, "Password: ", image.Format().Encoding());
    if (!image.PasswordMatches(password.View())) throw WrongPassword();
    return password;
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
            throw InputRefused(line.textPath + ": " + error.what() + " (--raw takes code page 936 bytes as they are)");
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

// Puts newImage at the command's target (the file itself, or -o).
void WriteProgram(const CommandLine& line, const NoteImage& original, const std::vector<std::uint8_t>& newImage,
                  const SealedNote* sealed, std::string_view text, std::string_view password) {
    WriteChecked(
        line.output.empty() ? line.file : line.output, newImage,
        [&](const std::vector<std::uint8_t>& written) { CheckRewrittenImage(original, written, sealed, text, password); },
        line.file);
}

// The choice --cipher names, or otherwise fallback.
const NoteChoice& ChosenOr(const CommandLine& line, const NoteChoice* fallback) {
    const NoteChoice* choice = line.cipher.empty() ? fallback : FindNoteChoice(line.cipher);
    if (choice == nullptr) throw InputRefused("cannot seal a note with the cipher '" + line.cipher + "'");
    return *choice;
}

void SealAndWrite(const CommandLine& line, const NoteImage& image, const SecretString& text,
                  const SecretString& password, const NoteChoice& choice) {
    const std::optional<SealedNote> sealed = choice.format->Seal(choice, text.View(), password.View());
    if (!sealed) throw InputRefused(std::string("cannot seal a note with the cipher '") + choice.identifier + "'");
    WriteProgram(line, image, image.WithNote(*sealed), &*sealed, text.View(), password.View());
}

int Info(const CommandLine& line) {
    const NoteImage image = ReadProgram(line.file);
    const bool anyEntry = image.HasAnyNoteEntry();
    std::cout << "file: " << line.file << "\n";
    std::cout << "note: " << (image.HasNote() ? "present" : anyEntry ? "incomplete" : "none") << "\n";
    if (!anyEntry) return kExitSuccess;
    const NoteChoice* choice = image.Choice();
    std::cout << "cipher: " << (choice == nullptr ? "none" : choice->identifier) << "\n";
    for (const std::string& name : image.Format().EntryNames()) {
        const ResourceEntry* entry = image.Packet(name);
        std::cout << name << ": " << (entry ? std::to_string(entry->bytes.size()) + " bytes" : std::string("missing")) << "\n";
    }
    const std::vector<std::string> faults = image.Faults();
    std::cout << "consistent: " << (faults.empty() ? "yes" : "no") << "\n";
    for (const std::string& fault : faults) std::cout << "  " << fault << "\n";
    return faults.empty() ? kExitSuccess : kExitUnusable;
}

int Verify(const CommandLine& line) {
    const NoteImage image = ReadProgram(line.file);
    image.RequireWholeNote();
    const SecretString password = AskPassword(*Passwords(line), "Password: ", image.Format().Encoding());
    const bool matches = image.PasswordMatches(password.View());
    std::cout << (matches ? "the password is the note's" : "the password is not the note's") << "\n";
    return matches ? kExitSuccess : kExitWrongPassword;
}

int ShowOrExport(const CommandLine& line) {
    if (line.command == Command::Export && IsSameFile(line.output, line.file))
        throw InputRefused("export would write the text over the program file itself");
    const NoteImage image = ReadProgram(line.file);
    image.RequireWholeNote();
    const SecretString text = image.Unseal(AskNotePassword(image, *Passwords(line)).View());
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
    const NoteImage image = ReadProgram(line.file);
    const bool inPlace = line.output.empty() || IsSameFile(line.output, line.file);
    const NoteChoice& choice = ChosenOr(line, &DefaultNoteChoice());
    const SecretString text = ReadTextToLock(line, *choice.format);
    const std::unique_ptr<PasswordSource> passwords = Passwords(line);
    // A note is replaced in place only by someone who can open it.
    if (inPlace && image.HasNote() && image.Faults().empty()) AskNotePassword(image, *passwords);
    const SecretString password = AskNewPassword(*passwords, choice.format->Encoding());
    SealAndWrite(line, image, text, password, choice);
    return kExitSuccess;
}

int Passwd(const CommandLine& line) {
    const NoteImage image = ReadProgram(line.file);
    image.RequireWholeNote();
    const std::unique_ptr<PasswordSource> passwords = Passwords(line);
    const SecretString text = image.Unseal(AskNotePassword(image, *passwords).View());
    const NoteChoice& choice = ChosenOr(line, image.Choice());
    const SecretString password = AskNewPassword(*passwords, choice.format->Encoding());
    SealAndWrite(line, image, text, password, choice);
    return kExitSuccess;
}

int Clear(const CommandLine& line) {
    const NoteImage image = ReadProgram(line.file);
    if (!image.HasAnyNoteEntry()) throw NoteError("the file holds no note");
    // A whole note is removed only by someone who can open it; a damaged one
    // can be opened by nobody.
    if (image.Faults().empty()) AskNotePassword(image, *Passwords(line));
    WriteProgram(line, image, image.WithoutNote(), nullptr, {}, {});
    return kExitSuccess;
}

int Run(const CommandLine& line) {
    switch (line.command) {
    case Command::Help: std::cout << HelpText(); return kExitSuccess;
    case Command::Info: return Info(line);
    case Command::Verify: return Verify(line);
    case Command::Show:
    case Command::Export: return ShowOrExport(line);
    case Command::Lock: return Lock(line);
    case Command::Passwd: return Passwd(line);
    case Command::Clear: return Clear(line);
    }
    return kExitUsage;
}

}  // namespace

int RunCommand(const CommandLine& line) {
    try {
        return Run(line);
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
