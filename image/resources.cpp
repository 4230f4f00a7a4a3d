#include "image/resources.h"

#include <limits>

#include "crypto/note_history.h"
#include "framework/unique_handle.h"
#include "image/file_facts.h"
#include "note/note_entries.h"
#include "note/program_identity.h"
#include "store/image_error.h"

namespace {

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::wstring& path) {
    const Casement::CHandle file = OpenForSharedReading(path);
    LARGE_INTEGER size = {};
    if (!file.IsValid() || !GetFileSizeEx(file.GetHandle(), &size) || size.QuadPart > std::numeric_limits<DWORD>::max())
        return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.GetHandle(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return std::nullopt;
    return bytes;
}

// A type or name as the resource update takes it: an integer resource id or
// a zero-terminated UTF-16 string, which the string member keeps alive.
class UpdateName {
public:
    explicit UpdateName(const ResourceId& id) : m_number(id.number()) {
        if (id.IsName())
            m_text.assign(id.name().begin(), id.name().end());
    }
    // Numbers above 0xFFFF cannot be written by the system's update.
    bool IsWritable() const { return !m_text.empty() || m_number <= 0xFFFF; }
    LPCWSTR Get() const { return m_text.empty() ? MAKEINTRESOURCEW(m_number) : m_text.c_str(); }

private:
    std::uint32_t m_number;
    std::wstring m_text;
};

// The one owner of a batch of resource updates: Commit writes it into the
// file; a batch not committed is discarded when its owner ends, also when
// an entry throws on the way.
class ResourceUpdate {
public:
    explicit ResourceUpdate(const std::wstring& imagePath) : m_handle(BeginUpdateResourceW(imagePath.c_str(), TRUE)) {}
    ResourceUpdate(const ResourceUpdate&) = delete;
    ResourceUpdate& operator=(const ResourceUpdate&) = delete;
    ~ResourceUpdate() {
        if (m_handle != nullptr)
            EndUpdateResourceW(m_handle, TRUE);
    }

    bool IsValid() const { return m_handle != nullptr; }
    HANDLE GetHandle() const { return m_handle; }
    // False when the system could not write the batch.
    bool Commit() {
        const HANDLE handle = m_handle;
        m_handle = nullptr;
        return EndUpdateResourceW(handle, FALSE) != FALSE;
    }

private:
    HANDLE m_handle;
};

bool UpdateEntry(HANDLE update, const ResourceKey& key, const std::vector<std::uint8_t>& bytes) {
    const UpdateName type(key.type);
    const UpdateName name(key.name);
    // An empty resource cannot be written on every platform.
    return type.IsWritable() && name.IsWritable() && key.language <= 0xFFFF && !bytes.empty() &&
           UpdateResourceW(update, type.Get(), name.Get(), static_cast<WORD>(key.language),
                           const_cast<std::uint8_t*>(bytes.data()), static_cast<DWORD>(bytes.size())) != FALSE;
}

// Rewrites the image's resources from scratch: deleting single entries is
// not reliable everywhere (Wine reports success and keeps them), starting
// from an empty resource store is. Every resource but the note's is written
// back as the file held it, then the packets; the file read back must pass
// the rewritten-entries check.
std::optional<NoteImage> RewriteNoteEntries(const std::wstring& imagePath, const NoteImage& original,
                                           const SealedNote* packets) {
    try {
        ResourceUpdate update(imagePath);
        if (!update.IsValid())
            return std::nullopt;
        bool ok = true;
        for (const ResourceEntry& resource : original.resources())
            ok = ok && (IsNoteEntry(resource.key) || UpdateEntry(update.GetHandle(), resource.key, resource.bytes));
        if (packets != nullptr) {
            for (const NoteEntry& entry : *packets)
                ok = ok && UpdateEntry(update.GetHandle(), NoteEntryKey(entry.name), entry.bytes);
        }
        // The batch is discarded when any entry failed, so the file stays as it was.
        if (!ok || !update.Commit())
            return std::nullopt;

        std::optional<NoteImage> written = ReadNoteImage(imagePath);
        if (written)
            CheckRewrittenEntries(original, *written, packets);
        return written;
    } catch (const NoteError&) {
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

// One note entry of the running image, in any language.
StoredEntry LoadOwnEntry(const std::string& name) {
    const HMODULE self = GetModuleHandleA(nullptr);
    StoredEntry entry;
    HRSRC found = FindResourceA(self, name.c_str(), kNoteType);
    if (found == nullptr)
        return entry;
    entry.found = true;
    HGLOBAL loaded = LoadResource(self, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes != nullptr) {
        entry.bytes = static_cast<const unsigned char*>(bytes);
        entry.size = SizeofResource(self, found);
    }
    return entry;
}

std::optional<NoteImage> ParsedImage(std::optional<std::vector<std::uint8_t>> bytes) {
    if (!bytes)
        return std::nullopt;
    try {
        return NoteImage(std::move(*bytes));
    } catch (const ImageError&) {
        return std::nullopt;
    }
}

}  // namespace

StoredEntries OwnNoteEntries() {
    return [](std::string_view name) { return LoadOwnEntry(std::string(name)); };
}

std::optional<NoteImage> ReadNoteImage(const std::wstring& imagePath) { return ParsedImage(ReadFileBytes(imagePath)); }

std::optional<NoteImage> ReadNoteImageCopiedFrom(const std::wstring& imagePath, const std::wstring& source) {
    std::optional<std::vector<std::uint8_t>> bytes = ReadFileBytes(imagePath);
    if (!bytes || !FileHolds(source, *bytes))
        return std::nullopt;
    return ParsedImage(std::move(bytes));
}

std::optional<std::string> ReadProgramIdentity(const std::wstring& imagePath) {
    const std::optional<std::vector<std::uint8_t>> bytes = ReadFileBytes(imagePath);
    if (!bytes)
        return std::nullopt;
    try {
        return ProgramIdentity(bytes->data(), bytes->size());
    } catch (const ImageError&) {
        return std::nullopt;
    }
}

std::size_t CountOwnKeptVersions() {
    // The menu asks each time it opens, and the versions may be megabytes:
    // the file is read again only once it is another file, or has changed
    // since it was counted.
    struct Counted {
        ReachedFile file;
        WIN32_FILE_ATTRIBUTE_DATA facts;
        std::size_t versions;
    };
    static std::optional<Counted> last;
    const std::optional<ReachedFile> program = OwnProgramFile();
    WIN32_FILE_ATTRIBUTE_DATA facts = {};
    if (!program || !GetFileAttributesExW(program->path.c_str(), GetFileExInfoStandard, &facts))
        return 0;
    const auto unchanged = [&](const Counted& counted) {
        return counted.file.IsSameFile(*program) && counted.facts.nFileSizeLow == facts.nFileSizeLow &&
               counted.facts.nFileSizeHigh == facts.nFileSizeHigh &&
               CompareFileTime(&counted.facts.ftLastWriteTime, &facts.ftLastWriteTime) == 0;
    };
    if (!last || !unchanged(*last)) {
        const std::optional<NoteImage> image = ReadNoteImage(program->path);
        if (!image)
            return 0;
        last = Counted{*program, facts, ListKeptVersions(image->Entries()).size()};
    }
    return last->versions;
}

std::optional<NoteImage> WritePackets(const std::wstring& imagePath, const NoteImage& original,
                                      const SealedNote& packets) {
    return RewriteNoteEntries(imagePath, original, &packets);
}

std::optional<NoteImage> WritePackets(const std::wstring& imagePath, const SealedNote& packets) {
    const std::optional<NoteImage> original = ReadNoteImage(imagePath);
    return original ? WritePackets(imagePath, *original, packets) : std::nullopt;
}

std::optional<NoteImage> DeletePackets(const std::wstring& imagePath, const NoteImage& original) {
    return RewriteNoteEntries(imagePath, original, nullptr);
}
