#include "bench/e2e/note_key.h"

#include <optional>

#include "bench/e2e/probes.h"
#include "crypto/note_format.h"
#include "image/paths.h"
#include "image/resources.h"

namespace bench {

namespace {

const NoteChoice& ChoiceNamed(const std::string& cipher) {
    const NoteChoice* choice = FindNoteChoice(cipher);
    Require(choice != nullptr, "knowing the cipher " + cipher);
    return *choice;
}

}  // namespace

void SealInto(const driver::ProgramCopy& copy, const std::string& text, const std::string& cipher) {
    const NoteChoice& choice = ChoiceNamed(cipher);
    const std::optional<SealedNote> sealed = choice.format->Seal(choice, text, kPassword);
    Require(sealed.has_value(), "sealing the note");
    Require(WritePackets(FromAnsi(copy.Path()), *sealed).has_value(), "sealing the note into the executable");
}

bool HoldsNote(const driver::ProgramCopy& copy, const std::string& text, const std::string& cipher) {
    const NoteChoice& choice = ChoiceNamed(cipher);
    const std::optional<NoteImage> image = ReadNoteImage(FromAnsi(copy.Path()));
    return image && StoredFormat(image->Entries()) == choice.format &&
           choice.format->Open(choice, image->Entries(), kPassword).View() == text;
}

}  // namespace bench
