// The reference for the editor's save command: the least work that puts the
// text of a view into a program file. It fills a rich edit control of the
// editor's own kind with the text, as the editor's view holds it, then reads
// the text back from the control as the editor's save reads it, converts it
// to the encoding the cipher stores, seals it with the project's crypto
// under a key made from the password beforehand, as a running editor holds
// one, copies the program file to a new file beside it, writes the note's
// three entries into the copy in one resource update, reads them back from
// the copy as data and compares them byte for byte, and deletes the copy.
//
//   save_reference PROGRAM TEXT-FILE PASSWORD CIPHER RESULT-FILE
//
// It times that work from the read of the control on and writes
// "<ms> <ms> <ms>" into RESULT-FILE: all of it, the sealing alone, and the
// read of the control with the conversion. The editor's save runs in a
// process that is already running; the start of this one, which under Wine
// takes longer than the save of a small note, would be counted against
// nothing the editor does. Reading the text file, filling the control and
// deleting the copy are not timed either: the editor's view holds the text
// already, and the copy its save makes stays as the program file. Ends with
// 0 once the entries read back are the ones sealed.
#include <windows.h>
#include <richedit.h>

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
#include "ui/note_encoding.h"
#include "ui/richview.h"
#include "ui/uitext.h"
#include "ui/view_fill.h"

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

// A rich edit control as the editor's view is one: the same class, edit
// styles and text limit, holding text as the editor's fill leaves it, in a
// window of its own rather than in a frame.
HWND ViewHolding(const std::string& text, TextEncoding encoding) {
    bench::Require(LoadLibraryW(L"riched20.dll") != nullptr, "loading the rich edit control");
    HWND view = CreateWindowExA(WS_EX_CLIENTEDGE, RICHEDIT_CLASSA, "", WS_OVERLAPPEDWINDOW | kViewEditStyles, 0, 0, 600,
                                400, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    bench::Require(view != nullptr, "creating the view");
    SendMessageA(view, EM_EXLIMITTEXT, 0, kViewCharacterLimit);
    bench::Require(FillView(view, text, encoding), "filling the view");
    return view;
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
        const std::string note = driver::ReadFileBytes(argv[2]);
        bench::Require(!note.empty(), "reading the text");

        const NoteChoice* choice = FindNoteChoice(argv[4]);
        bench::Require(choice != nullptr, "knowing the cipher");
        const TextEncoding encoding = EncodingFor(choice->identifier);
        const std::unique_ptr<HeldKey> key = choice->format->MakeKey(argv[3]);
        bench::Require(key != nullptr, "making the key");
        const HWND view = ViewHolding(note, encoding);

        const bench::Stopwatch saving;
        const SecretString text = StoredForm(encoding, WideLinesText(view));
        const double readMs = saving.ElapsedMs();
        const std::optional<SealedNote> sealed = choice->format->SealWith(*choice, text.View(), *key);
        const double sealMs = saving.ElapsedMs() - readMs;
        bench::Require(sealed.has_value(), "sealing the text");
        bench::Require(CopyFileW(program.c_str(), copy.c_str(), FALSE) != FALSE, "copying the program file");
        bench::Require(WriteEntries(copy, *sealed), "writing the entries");
        bench::Require(EntriesReadBack(copy, *sealed), "reading the entries back");
        const double saveMs = saving.ElapsedMs();
        bench::Require(text.View() == note, "reading the text from the view");

        DeleteFileW(copy.c_str());
        DestroyWindow(view);
        char times[96];
        std::snprintf(times, sizeof times, "%.3f %.3f %.3f\n", saveMs, sealMs, readMs);
        bench::Require(driver::WriteFileBytes(argv[5], times), "writing the times");
        return 0;
    } catch (const std::exception& failure) {
        DeleteFileW(copy.c_str());
        std::fprintf(stderr, "save_reference: failed at %s\n", failure.what());
        return 1;
    }
}
