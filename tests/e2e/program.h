// A private copy of the real program, optionally carrying a sealed note, and
// the steps of using it that several end-to-end tests share.
#pragma once

#include <string>

#include "tests/e2e/driver.h"

namespace driver {

class ProgramCopy {
public:
    // Copies the built program, whose path is in the environment variable
    // programVariable, into a new folder named after hint.
    explicit ProgramCopy(const std::string& hint, const std::string& fileName = "scribecrypt.exe",
                         const char* programVariable = "SCRIBECRYPT_EXE");
    // The built program copied into an existing folder, which may be given
    // relative to the current folder.
    struct InFolder {
        std::string folder;
        std::string fileName = "scribecrypt.exe";
    };
    explicit ProgramCopy(const InFolder& place);

    const std::string& Path() const { return m_path; }
    const std::string& Folder() const { return m_folder; }
    // Seals text into the copy as the program itself would with the choice
    // whose identifier is cipher; text and password are in that choice's
    // encoding (code page 936 for the legacy ciphers, UTF-8 otherwise).
    bool Seal(const std::string& text, const std::string& password, const std::string& cipher) const;
    // Writes the three resources with exactly these bytes.
    bool WriteRaw(const std::string& hmac, const std::string& data, const std::string& type) const;
    // Adds one PACKET resource, keeping everything else.
    bool AddPacket(const char* name, const std::string& bytes) const;
    // Records another size for the first language of resource type/name in
    // the file's resource directory, as a damaged file could have it.
    bool SetResourceSize(WORD type, WORD name, DWORD size) const;
    bool Start(Process& process) const;
    // The bytes of PACKET/name in the file now, or "<absent>".
    std::string Packet(const char* name) const;
    // The text DATA holds, unsealed with password and cipher.
    std::string Unsealed(const std::string& password, const std::string& cipher) const;
    // The identifier of the choice the file's note is sealed with, and its
    // text opened with password (in the choice's encoding); "<no note>" for
    // a file without a whole note of one format, "<wrong password>".
    std::string NoteChoiceName() const;
    std::string NoteText(const std::string& password) const;
    std::string Bytes() const { return ReadFileBytes(m_path); }

private:
    std::string m_folder;
    std::string m_path;
};

constexpr DWORD kWindowTimeoutMs = 20000;

// The program identity of the file at path; "<unreadable>" when it has none.
std::string ProgramIdentityOf(const std::string& path);

}  // namespace driver
