#include "ui/save_steps.h"

namespace {

// A password prompt's end: on to sealing, end without saving, or stay.
template <typename Step>
Step AfterPassword(PromptOutcome outcome, Step seal, Step gaveUp, Step refused) {
    switch (outcome) {
    case PromptOutcome::Accepted:
        return seal;
    case PromptOutcome::GaveUp:
        return gaveUp;
    default:
        return refused;
    }
}

}  // namespace

CloseStep NextCloseStep(const DocumentFacts& facts, SaveAnswer save, std::optional<PromptOutcome> password) {
    // A password changed without further edits is applied on closing.
    if (facts.passwordPending && !facts.modified)
        return CloseStep::Save;
    if (!facts.modified)
        return CloseStep::Close;
    if (!save)
        return CloseStep::AskToSave;
    if (!*save)
        return CloseStep::Close;
    if (!facts.isNew)
        return CloseStep::Save;
    // An empty new document is never saved.
    if (facts.empty)
        return CloseStep::Close;
    if (!password)
        return CloseStep::AskForPassword;
    return AfterPassword(*password, CloseStep::Save, CloseStep::Close, CloseStep::Stay);
}

std::string ExtensionOf(std::string_view path) {
    const std::string_view::size_type dot = path.rfind('.');
    if (dot == std::string_view::npos)
        return std::string();
    std::string extension(path.substr(dot + 1));
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

SaveAsStep NextSaveAsStep(std::string_view path, const DocumentFacts& facts, std::optional<PromptOutcome> password) {
    const std::string extension = ExtensionOf(path);
    if (extension == "txt")
        return SaveAsStep::WriteText;
    if (extension != "exe")
        return SaveAsStep::Nothing;
    if (!facts.modified)
        return SaveAsStep::CopyProgram;
    if (!facts.isNew)
        return SaveAsStep::SealIntoCopy;
    if (facts.empty)
        return SaveAsStep::CopyProgramWithoutNote;
    if (!password)
        return SaveAsStep::AskForPassword;
    return AfterPassword(*password, SaveAsStep::SealIntoCopy, SaveAsStep::Nothing, SaveAsStep::Nothing);
}
