#include "ui/own_versions.h"

#include <memory>
#include <utility>

#include "crypto/note_history.h"
#include "image/file_facts.h"
#include "image/resources.h"
#include "ui/note_session.h"

std::vector<ShownVersion> OpenOwnKeptVersions() {
    std::vector<ShownVersion> shown;
    const std::optional<ReachedFile> program = OwnProgramFile();
    const std::optional<NoteImage> image = program ? ReadNoteImage(program->path) : std::nullopt;
    if (!image)
        return shown;
    const std::shared_ptr<const HeldKey> key = NoteSession::StoredKey();
    for (const StoredVersion& version : ListKeptVersions(image->Entries())) {
        ShownVersion entry;
        if (key != nullptr) {
            if (std::optional<ModernOpening> opened = OpenKeptVersion(version.entry, *key)) {
                entry.saveTime = opened->saveTime;
                entry.text = std::move(opened->text);
            }
        }
        shown.push_back(std::move(entry));
    }
    return shown;
}
