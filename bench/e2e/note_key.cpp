#include "bench/e2e/note_key.h"

#include <memory>
#include <optional>

#include "bench/e2e/probes.h"
#include "crypto/note_format.h"
#include "image/paths.h"
#include "image/resources.h"
#include "note/kept_versions.h"

namespace bench {

namespace {

const NoteChoice& ChoiceNamed(const std::string& cipher) {
    const NoteChoice* choice = FindNoteChoice(cipher);
    Require(choice != nullptr, "knowing the cipher " + cipher);
    return *choice;
}

}  // namespace

void SealInto(const driver::ProgramCopy& copy, const std::string& text, const std::string& cipher,
              std::size_t earlierVersions) {
    const NoteChoice& choice = ChoiceNamed(cipher);
    const std::unique_ptr<HeldKey> key = choice.format->MakeKey(kPassword);
    Require(key != nullptr, "a key for the note");
    const std::wstring path = FromAnsi(copy.Path());
    for (std::size_t left = earlierVersions + 1; left-- > 0;) {
        const std::optional<NoteImage> replaced = ReadNoteImage(path);
        Require(replaced.has_value(), "reading the executable");
        const std::optional<NoteSave> save =
            SealKeepingVersions(*replaced, choice, text + std::string(left, '~'), *key, key.get());
        Require(save.has_value(), "sealing the note");
        Require(WritePackets(path, save->sealed).has_value(), "sealing the note into the executable");
    }
}

bool HoldsNote(const driver::ProgramCopy& copy, const std::string& text, const std::string& cipher) {
    const NoteChoice& choice = ChoiceNamed(cipher);
    const std::optional<NoteImage> image = ReadNoteImage(FromAnsi(copy.Path()));
    return image && StoredFormat(image->Entries()) == choice.format &&
           choice.format->Open(choice, image->Entries(), kPassword).View() == text;
}

}  // namespace bench
