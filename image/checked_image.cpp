#include "image/checked_image.h"

#include <windows.h>

#include <optional>

#include "crypto/note_format.h"
#include "image/checked_replace.h"
#include "image/file_facts.h"
#include "image/paths.h"
#include "image/resources.h"
#include "note/kept_versions.h"

namespace {

// The resources are written through a mapping of the file, and a disk that
// fills up meanwhile faults the writing process instead of failing the call.
// So they are written only where the volume has room for the whole image
// once more, besides the new entries.
bool HasRoomToRewrite(const std::wstring& image, std::size_t newBytes) {
    const long long size = FileSize(image);
    return size >= 0 && HasRoomToWrite(FolderOf(image), static_cast<unsigned long long>(size) + newBytes);
}

void Report(const SaveProgress& progress, int percent) {
    if (progress)
        progress(percent);
}

// Gives the image, which replaced is as copied, its note and checks what
// the file then holds.
bool WriteNote(const std::wstring& image, const NoteImage& replaced, const NoteChange& note,
               const SaveProgress& progress) {
    switch (note.kind) {
    case NoteChange::Kind::Unchanged:
        return true;
    case NoteChange::Kind::Removed:
        return HasRoomToRewrite(image, 0) && DeletePackets(image, replaced).has_value();
    case NoteChange::Kind::Sealed:
        break;
    }
    if (note.choice == nullptr || note.key == nullptr)
        return false;
    try {
        const std::optional<NoteSave> save =
            SealKeepingVersions(replaced, *note.choice, note.text, *note.key, note.replacedKey.get());
        if (!save)
            return false;
        Report(progress, 40);
        std::size_t sealedBytes = 0;
        for (const NoteEntry& entry : save->sealed)
            sealedBytes += entry.bytes.size();
        if (!HasRoomToRewrite(image, sealedBytes))
            return false;
        const std::optional<NoteImage> written = WritePackets(image, replaced, save->sealed);
        if (!written)
            return false;
        Report(progress, 70);
        CheckNoteOpens(*written, note.text, *note.choice, *note.key);
        CheckKeptVersions(replaced, *written, *save, *note.key);
        return true;
    } catch (const NoteError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace

std::wstring WriteCheckedImage(const std::wstring& folder, const NoteChange& note, const SaveProgress& progress) {
    const std::wstring image = NewFileIn(folder);
    return !image.empty() && WriteCheckedImageInto(image, note, progress) ? image : std::wstring();
}

bool WriteCheckedImageInto(const std::wstring& path, const NoteChange& note, const SaveProgress& progress) {
    const std::wstring self = OwnImagePath();
    // The copy is read once, to be checked against the program and to be
    // given its note.
    const std::optional<NoteImage> copy = !self.empty() && CopyFileW(self.c_str(), path.c_str(), FALSE)
                                              ? ReadNoteImageCopiedFrom(path, self)
                                              : std::nullopt;
    if (copy)
        Report(progress, 20);
    if (copy && WriteNote(path, *copy, note, progress)) {
        Report(progress, 100);
        return true;
    }
    DeleteFileW(path.c_str());
    return false;
}

bool SaveCheckedImageAs(const std::wstring& chosen, const NoteChange& note, const SaveProgress& progress) {
    // An existing file is replaced where it lies: a link to it stays a link.
    const std::optional<ReachedFile> existing = FileReachedBy(chosen);
    const std::wstring target = existing && !existing->path.empty() ? existing->path : chosen;
    // The running program cannot be replaced while it runs.
    if (IsOwnImagePath(target))
        return false;
    return ReplaceWithCheckedFile(target, [&](const std::wstring& staged) {
               return WriteCheckedImageInto(staged, note, progress);
           }) == Replacement::Replaced;
}
