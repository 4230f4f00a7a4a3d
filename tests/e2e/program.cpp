#include "tests/e2e/program.h"

#include <cstring>
#include <vector>

#include "crypto/legacy_format.h"
#include "image/paths.h"
#include "image/resources.h"

namespace driver {

namespace {

std::vector<unsigned char> ToBytes(const std::string& text) { return {text.begin(), text.end()}; }

// Reads and writes fixed-size records of an image file held in memory; every
// access is bounds-checked, so a malformed image only fails the look-up.
class ImageBytes {
public:
    explicit ImageBytes(const std::string& bytes) : m_bytes(bytes.begin(), bytes.end()) {}
    template <typename T>
    bool Read(size_t offset, T& value) const {
        if (offset > m_bytes.size() || m_bytes.size() - offset < sizeof value)
            return false;
        std::memcpy(&value, m_bytes.data() + offset, sizeof value);
        return true;
    }
    template <typename T>
    bool Write(size_t offset, const T& value) {
        if (offset > m_bytes.size() || m_bytes.size() - offset < sizeof value)
            return false;
        std::memcpy(m_bytes.data() + offset, &value, sizeof value);
        return true;
    }
    std::string Bytes() const { return std::string(m_bytes.begin(), m_bytes.end()); }

    // The file offset of the resource directory.
    bool FindResourceSection(size_t& offset) const {
        IMAGE_DOS_HEADER dos = {};
        IMAGE_FILE_HEADER file = {};
        WORD magic = 0;
        if (!Read(0, dos) || !Read(dos.e_lfanew + 4, file) || !Read(dos.e_lfanew + 24, magic))
            return false;
        const size_t optional = dos.e_lfanew + 24;
        // The resource entry is the third of the data directories.
        const size_t directories = optional + (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC ? 112 : 96);
        IMAGE_DATA_DIRECTORY resources = {};
        if (!Read(directories + 2 * sizeof resources, resources))
            return false;
        const size_t sections = optional + file.SizeOfOptionalHeader;
        for (WORD i = 0; i < file.NumberOfSections; ++i) {
            IMAGE_SECTION_HEADER section = {};
            if (!Read(sections + i * sizeof section, section))
                return false;
            if (resources.VirtualAddress >= section.VirtualAddress &&
                resources.VirtualAddress < section.VirtualAddress + section.SizeOfRawData) {
                offset = section.PointerToRawData + (resources.VirtualAddress - section.VirtualAddress);
                return true;
            }
        }
        return false;
    }

    // The entry with this id (or the first one, for id 0) of a resource
    // directory; its target relative to the resource section.
    bool FindEntry(size_t base, size_t directory, WORD id, DWORD& target) const {
        IMAGE_RESOURCE_DIRECTORY header = {};
        if (!Read(base + directory, header))
            return false;
        const size_t count = header.NumberOfNamedEntries + header.NumberOfIdEntries;
        for (size_t i = 0; i < count; ++i) {
            IMAGE_RESOURCE_DIRECTORY_ENTRY entry = {};
            if (!Read(base + directory + sizeof header + i * sizeof entry, entry))
                return false;
            if (id == 0 || (!entry.NameIsString && entry.Id == id)) {
                target = entry.OffsetToData;
                return true;
            }
        }
        return false;
    }

private:
    std::vector<char> m_bytes;
};

}  // namespace

ProgramCopy::ProgramCopy(const std::string& hint, const std::string& fileName, const char* programVariable)
    : m_folder(MakeTempFolder(hint)), m_path(m_folder + "\\" + fileName) {
    CopyInto(PathFromEnvironment(programVariable), m_path);
}

ProgramCopy::ProgramCopy(const InFolder& place) : m_folder(place.folder), m_path(m_folder + "\\" + place.fileName) {
    CopyInto(PathFromEnvironment("SCRIBECRYPT_EXE"), m_path);
}

bool ProgramCopy::Seal(const std::string& text, const std::string& password, const std::string& cipher) const {
    const NoteChoice* choice = FindNoteChoice(cipher);
    const std::optional<SealedNote> sealed =
        choice != nullptr ? choice->format->Seal(*choice, text, password) : std::nullopt;
    return sealed && WritePackets(FromAnsi(m_path), *sealed).has_value();
}

std::string ProgramCopy::NoteChoiceName() const {
    const std::optional<NoteImage> image = ReadNoteImage(FromAnsi(m_path));
    const NoteChoice* choice = image && image->HasNote() ? image->Choice() : nullptr;
    return choice != nullptr ? choice->identifier : "<no note>";
}

std::string ProgramCopy::NoteText(const std::string& password) const {
    const std::optional<NoteImage> image = ReadNoteImage(FromAnsi(m_path));
    if (!image || !image->HasNote() || image->Choice() == nullptr)
        return "<no note>";
    return image->PasswordMatches(password) ? std::string(image->Unseal(password).View()) : "<wrong password>";
}

bool ProgramCopy::WriteRaw(const std::string& hmac, const std::string& data, const std::string& type) const {
    return WritePackets(FromAnsi(m_path), LegacyEntries({ToBytes(hmac), ToBytes(data), ToBytes(type)})).has_value();
}

bool ProgramCopy::AddPacket(const char* name, const std::string& bytes) const {
    HANDLE update = BeginUpdateResourceA(m_path.c_str(), FALSE);
    std::string copy = bytes;
    const bool added = update != nullptr &&
                       UpdateResourceA(update, "PACKET", name, 0, &copy[0], static_cast<DWORD>(copy.size()));
    return update != nullptr && EndUpdateResourceA(update, added ? FALSE : TRUE) && added;
}

std::string ProgramCopy::Unsealed(const std::string& password, const std::string& cipher) const {
    const std::string data = Packet("DATA");
    return UnsealDocumentData(reinterpret_cast<const unsigned char*>(data.data()), data.size(), password, cipher);
}

std::string ProgramCopy::Packet(const char* name) const {
    HMODULE module = LoadLibraryExA(m_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr)
        return "<unreadable>";
    std::string bytes = "<absent>";
    if (HRSRC found = FindResourceA(module, name, "PACKET"))
        bytes.assign(static_cast<const char*>(LockResource(LoadResource(module, found))),
                     SizeofResource(module, found));
    FreeLibrary(module);
    return bytes;
}

bool ProgramCopy::SetResourceSize(WORD type, WORD name, DWORD size) const {
    ImageBytes image(Bytes());
    size_t base = 0;
    DWORD byType = 0, byName = 0, byLanguage = 0;
    if (!image.FindResourceSection(base) || !image.FindEntry(base, 0, type, byType) ||
        !image.FindEntry(base, byType & 0x7FFFFFFF, name, byName) ||
        !image.FindEntry(base, byName & 0x7FFFFFFF, 0, byLanguage))
        return false;
    IMAGE_RESOURCE_DATA_ENTRY data = {};
    if (!image.Read(base + byLanguage, data))
        return false;
    data.Size = size;
    return image.Write(base + byLanguage, data) && WriteFileBytes(m_path, image.Bytes());
}

bool ProgramCopy::Start(Process& process) const { return process.Start(m_path, "\"" + m_path + "\""); }

std::string ProgramIdentityOf(const std::string& path) {
    return ReadProgramIdentity(FromAnsi(path)).value_or("<unreadable>");
}

}  // namespace driver
