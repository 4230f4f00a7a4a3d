// What closing the window and Save As do next, decided from the document's
// state alone; the frame only carries the steps out. Nothing here touches a
// window, so every case can be checked from a table.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// How the new-password dialog ended.
enum class PromptOutcome {
    Accepted,   // m_password and m_cipher hold the new values
    Cancelled,  // the user pressed Cancel
    Closed,     // the dialog was closed from its title bar
    GaveUp,     // an error or an unfinished entry, and no reason to ask again
};

// What the frame knows of the document when it decides.
struct DocumentFacts {
    bool modified = false;         // the view has unsaved edits
    bool isNew = false;            // the program carried no complete note
    bool passwordPending = false;  // a new password waits to be applied
    bool empty = false;            // the view holds no text
};

enum class CloseStep {
    Close,           // end, saving nothing
    AskToSave,       // ask whether the changes are to be saved
    AskForPassword,  // a new note needs a password before it is saved
    Save,            // seal the text into the program, then end
    Stay,            // keep the window and the text
};

// The answer to the question whether to save; nullopt while not asked.
using SaveAnswer = std::optional<bool>;

// The next step of closing, given what was answered so far.
CloseStep NextCloseStep(const DocumentFacts& facts, SaveAnswer save, std::optional<PromptOutcome> password);

enum class SaveAsStep {
    WriteText,               // the text as a plain text file
    Nothing,                 // neither kind of file: nothing is written
    CopyProgram,             // the program with its note as it was opened
    CopyProgramWithoutNote,  // a new note left empty: no note, and nothing left to save
    AskForPassword,          // a new note needs a password before it is sealed
    SealIntoCopy,            // the text sealed under the password into the copy
};

// After the last ".", ASCII letters lower-cased; empty without a ".".
std::string ExtensionOf(std::string_view path);

// The next step of Save As to path, given the password answer so far.
SaveAsStep NextSaveAsStep(std::string_view path, const DocumentFacts& facts, std::optional<PromptOutcome> password);
