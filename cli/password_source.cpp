// The password sources that read lines: a whole file at once, or an inherited
// descriptor one line at a time. The terminal sources are per platform.
#include "cli/password_source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "cli/file_input.h"
#include "cli/password_lines.h"

namespace {

// Appends to the first used bytes of buffer. Growing moves into a larger
// secret, and the move wipes the old allocation, so no copy is left behind.
void AppendSecret(SecretString& buffer, std::size_t& used, const char* bytes, std::size_t count) {
    if (used + count > buffer.size()) {
        SecretString larger =
            SecretString::OfLength(std::max<std::size_t>(2 * buffer.size(), used + count + 64));
        std::memcpy(larger.data(), buffer.data(), used);
        buffer = std::move(larger);
    }
    std::memcpy(buffer.data() + used, bytes, count);
    used += count;
}

std::size_t LengthWithoutCarriageReturn(std::string_view line) {
    return !line.empty() && line.back() == '\r' ? line.size() - 1 : line.size();
}

class DescriptorCloser {
public:
    explicit DescriptorCloser(int descriptor) : m_descriptor(descriptor) {}
    ~DescriptorCloser() { CloseDescriptor(m_descriptor); }
    DescriptorCloser(const DescriptorCloser&) = delete;
    DescriptorCloser& operator=(const DescriptorCloser&) = delete;

private:
    int m_descriptor;
};

// A terminal named as a file or a descriptor would show the password as it
// is typed; only the terminal source turns the echo off.
[[noreturn]] void ThrowEchoingTerminal(const std::string& what) {
    throw PasswordInputError(what + " is a terminal, which would show the password as it is typed; "
                             "leave out --password-file and --password-fd to be asked without echo");
}

SecretString ReadPasswordFile(const std::string& utf8Path) {
    const int descriptor = OpenDescriptorForReading(utf8Path);
    if (descriptor < 0) {
        throw PasswordInputError("cannot open the password file \"" + utf8Path +
                                 "\": " + std::strerror(errno));
    }
    const DescriptorCloser closer(descriptor);
    if (IsTerminal(descriptor)) ThrowEchoingTerminal("the password file \"" + utf8Path + "\"");
    SecretString content;
    std::size_t used = 0;
    char chunk[4096];
    const WipeOnExit wipeChunk(chunk, sizeof chunk);
    for (;;) {
        const std::ptrdiff_t count = ReadFromDescriptor(descriptor, chunk, sizeof chunk);
        if (count < 0) {
            throw PasswordInputError("cannot read the password file \"" + utf8Path +
                                     "\": " + std::strerror(errno));
        }
        if (count == 0) {
            break;
        }
        AppendSecret(content, used, chunk, static_cast<std::size_t>(count));
    }
    content.Truncate(used);
    return content;
}

class FileSource : public PasswordSource {
public:
    explicit FileSource(const std::string& utf8Path) : m_content(ReadPasswordFile(utf8Path)) {}

    SecretString Next(std::string_view) override {
        const std::string_view rest = m_content.View().substr(m_position);
        if (rest.empty()) {
            throw PasswordInputError("the password file has no more lines");
        }
        const std::size_t lineEnd = std::min(rest.find('\n'), rest.size());
        m_position += std::min(lineEnd + 1, rest.size());
        const std::string_view line = rest.substr(0, lineEnd);
        return SecretString(line.substr(0, LengthWithoutCarriageReturn(line)));
    }

private:
    SecretString m_content;
    std::size_t m_position = 0;
};

class DescriptorSource : public PasswordSource {
public:
    explicit DescriptorSource(int descriptor) : m_descriptor(descriptor) {
        if (IsTerminal(descriptor)) ThrowEchoingTerminal("descriptor " + std::to_string(descriptor));
    }

    SecretString Next(std::string_view) override {
        SecretString line;
        if (!ReadPasswordLine(m_descriptor, line)) {
            throw PasswordInputError("the password input has no more lines");
        }
        return line;
    }

private:
    int m_descriptor;
};

}  // namespace

bool ReadPasswordLine(int descriptor, SecretString& line) {
    SecretString buffer;
    std::size_t used = 0;
    char byte = 0;
    const WipeOnExit wipeByte(&byte, sizeof byte);
    for (;;) {
        const std::ptrdiff_t count = ReadFromDescriptor(descriptor, &byte, 1);
        if (count < 0) {
            throw PasswordInputError(std::string("cannot read the password: ") + std::strerror(errno));
        }
        if (count == 0) {
            if (used == 0) {
                return false;
            }
            break;
        }
        if (byte == '\n') {
            break;
        }
        AppendSecret(buffer, used, &byte, 1);
    }
    buffer.Truncate(LengthWithoutCarriageReturn(buffer.View().substr(0, used)));
    line = std::move(buffer);
    return true;
}

void ThrowNoTerminal() {
    throw PasswordInputError(
        "there is no terminal to ask for the password on; use --password-file or --password-fd");
}

std::unique_ptr<PasswordSource> FilePasswords(const std::string& utf8Path) {
    return std::make_unique<FileSource>(utf8Path);
}

std::unique_ptr<PasswordSource> DescriptorPasswords(int descriptor) {
    return std::make_unique<DescriptorSource>(descriptor);
}
