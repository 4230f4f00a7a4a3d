#include "cli/note_selection.h"

#include <algorithm>

#include "crypto/legacy_format.h"
#include "crypto/modern_format.h"

namespace {

struct NamedFormat {
    const char* name;
    const NoteFormat& (*format)();
};

constexpr NamedFormat kFormats[] = {{"legacy", &LegacyFormat}, {"modern", &ModernFormat}};

}  // namespace

const NoteFormat* NoteFormatNamed(std::string_view name) {
    for (const NamedFormat& named : kFormats) {
        if (name == named.name) return &named.format();
    }
    return nullptr;
}

std::string NoteFormatName(const NoteFormat& format) {
    for (const NamedFormat& named : kFormats) {
        if (&format == &named.format()) return named.name;
    }
    return "unknown";
}

std::string NoteFormatNames() { return std::string(kFormats[0].name) + " or " + kFormats[1].name; }

NoteImage SelectNote(const NoteImage& image, const std::string& named) {
    const std::vector<const NoteFormat*> stored = image.StoredFormats();
    if (named.empty()) {
        if (stored.size() > 1)
            throw NoteError("the file holds both a legacy and a modern note; --format " + NoteFormatNames() +
                            " says which one");
        return image;
    }
    const NoteFormat& format = *NoteFormatNamed(named);
    if (!stored.empty() && std::find(stored.begin(), stored.end(), &format) == stored.end())
        throw NoteError("the file holds no " + named + " note");
    return image.Only(format);
}
