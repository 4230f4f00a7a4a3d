// What a save of the unsaved note (on closing, Ctrl+S and the end of the
// session) and Save As do next, decided from the document's state alone;
// the save unit only carries the steps out. Nothing here touches a window,
// so every case can be checked from a table.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// How the new-password dialog ended.
enum class PromptOutcome {
    Accepted,   // the new key and m_cipher are in place
    Cancelled,  // the user pressed Cancel
    Closed,     // the dialog was closed from its title bar
    GaveUp,     // an error or an unfinished entry, and no reason to ask again
};

// What the save unit knows of the document when it decides.
struct DocumentFacts {
    bool modified = false;         // the view has unsaved edits
    bool isNew = false;            // the program carried no complete note and no save has sealed one
    bool passwordPending = false;  // a new password waits to be applied
    bool empty = false;            // the view holds no text
};

enum class CloseStep {
    Close,           // save nothing and go on: the window closes, the session may end, Ctrl+S is done
    AskToSave,       // ask whether the changes are to be saved
    AskForPassword,  // a new note needs a password before it is saved
    Save,            // seal the text (with a waiting password) into the program
    Stay,            // save nothing and keep the window and the text
};

// The answer to the question whether to save; nullopt while not asked.
using SaveAnswer = std::optional<bool>;

// The next step of saving the unsaved note, given what was answered so far
// (Ctrl+S starts with the answer yes).
CloseStep NextCloseStep(const DocumentFacts& facts, SaveAnswer save, std::optional<PromptOutcome> password);

enum class SaveAsStep {
    WriteText,               // the text as a plain text file
    Nothing,                 // neither kind of file: nothing is written
    CopyProgram,             // the program file as it is, with the note it holds
    CopyProgramWithoutNote,  // a new note left empty: no note, and nothing left to save
    AskForPassword,          // a new note needs a password before it is sealed
    SealIntoCopy,            // the text sealed under the password into the copy
};

// After the last ".", ASCII letters lower-cased; empty without a ".".
std::string ExtensionOf(std::string_view path);

// The next step of Save As to path, given the password answer so far.
SaveAsStep NextSaveAsStep(std::string_view path, const DocumentFacts& facts, std::optional<PromptOutcome> password);
