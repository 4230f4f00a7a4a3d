// The reference for the editor's save command: the least work that puts a
// note into a program file. It seals the text with the project's crypto,
// under a key made from the password beforehand, as a running editor holds
// one, copies the program file to a new file beside it, writes the note's three
// entries into the copy in one resource update, reads them back from the
// copy as data and compares them byte for byte, and deletes the copy.
//
//   save_reference PROGRAM TEXT-FILE PASSWORD CIPHER RESULT-FILE
//
// It times that work itself and writes "<ms> <ms>" into RESULT-FILE: all of
// it, then the sealing alone. The editor's save runs in a process that is
// already running; the start of this one, which under Wine takes longer
// than the save of a small note, would be counted against nothing the
// editor does. Reading the text file and deleting the copy are not timed
// either: the editor has the text at hand, and the copy its save makes
// stays as the program file. Ends with 0 once the entries read back are
// the ones sealed.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "bench/e2e/probes.h"
#include "crypto/note_format.h"
#include "image/paths.h"
#include "note/note_entries.h"
#include "tests/e2e/driver.h"

namespace {

// The entries go in under language 0, as the editor writes them, and so
// replace the note the copy carries.
constexpr WORD kLanguage = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);

bool WriteEntries(const std::wstring& path, const SealedNote& sealed) {
    HANDLE update = BeginUpdateResourceW(path.c_str(), FALSE);
    if (update == nullptr)
        return false;
    const std::wstring type = FromAnsi(kNoteType);
    bool written = true;
    for (const NoteEntry& entry : sealed)
        written = written && UpdateResourceW(update, type.c_str(), FromAnsi(entry.name).c_str(), kLanguage,
                                             const_cast<unsigned char*>(entry.bytes.data()),
                                             static_cast<DWORD>(entry.bytes.size())) != FALSE;
    return EndUpdateResourceW(update, written ? FALSE : TRUE) != FALSE && written;
}

bool EntriesReadBack(const std::wstring& path, const SealedNote& sealed) {
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr)
        return false;
    const std::wstring type = FromAnsi(kNoteType);
    bool same = true;
    for (const NoteEntry& entry : sealed) {
        HRSRC found = FindResourceW(module, FromAnsi(entry.name).c_str(), type.c_str());
        const void* bytes = found != nullptr ? LockResource(LoadResource(module, found)) : nullptr;
        same = same && bytes != nullptr && SizeofResource(module, found) == entry.bytes.size() &&
               std::memcmp(bytes, entry.bytes.data(), entry.bytes.size()) == 0;
    }
    FreeLibrary(module);
    return same;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: save_reference PROGRAM TEXT-FILE PASSWORD CIPHER RESULT-FILE\n");
        return 2;
    }
    const std::wstring program = FromAnsi(argv[1]);
    const std::wstring copy = program + L".reference";
    try {
        const std::string text = driver::ReadFileBytes(argv[2]);
        bench::Require(!text.empty(), "reading the text");

        const NoteChoice* choice = FindNoteChoice(argv[4]);
        bench::Require(choice != nullptr, "knowing the cipher");
        const std::unique_ptr<HeldKey> key = choice->format->MakeKey(argv[3]);
        bench::Require(key != nullptr, "making the key");
        const bench::Stopwatch saving;
        const std::optional<SealedNote> sealed = choice->format->SealWith(*choice, text, *key);
        const double sealMs = saving.ElapsedMs();
        bench::Require(sealed.has_value(), "sealing the text");
        bench::Require(CopyFileW(program.c_str(), copy.c_str(), FALSE) != FALSE, "copying the program file");
        bench::Require(WriteEntries(copy, *sealed), "writing the entries");
        bench::Require(EntriesReadBack(copy, *sealed), "reading the entries back");
        const double saveMs = saving.ElapsedMs();

        DeleteFileW(copy.c_str());
        char times[64];
        std::snprintf(times, sizeof times, "%.3f %.3f\n", saveMs, sealMs);
        bench::Require(driver::WriteFileBytes(argv[5], times), "writing the times");
        return 0;
    } catch (const std::exception& failure) {
        DeleteFileW(copy.c_str());
        std::fprintf(stderr, "save_reference: failed at %s\n", failure.what());
        return 1;
    }
}
