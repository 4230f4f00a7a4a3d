// Save As: the note as a new locked executable or as a plain text file.
#include <windows.h>

#include <string>

#include "framework/commondlg.h"
#include "image/checked_image.h"
#include "image/paths.h"
#include "ui/note_session.h"
#include "ui/mainframe.h"
#include "ui/textfile.h"
#include "ui/uitext.h"
#include "ui/unfit_text_warning.h"

namespace {

// The save dialog speaks code page 936: a character it cannot spell comes
// back as "?", which no file name holds. Such a path, or one longer than
// Windows allows, is refused with a message that names it.
bool IsUsablePath(const std::string& path) {
    const char* problem = nullptr;
    if (path.find('?') != std::string::npos)
        problem = "路径中有无法用简体中文编码表示的字符。";
    else if (FromAnsi(path).size() > kLongestPath)
        problem = "路径超过了 Windows 允许的 259 个字符。";
    if (problem == nullptr)
        return true;
    ShowError(("无法保存到“" + path + "”：" + problem).c_str());
    return false;
}

}  // namespace

// The copy is staged beside the path and checked before it takes the path's
// place, so a failure leaves a file already there as it was.
void CMainFrame::WriteExecutable(const std::string& path, const ImageNote& note) {
    const bool saved = SaveCheckedImageAs(FromAnsi(path), note, SavingProgress());
    ShowReady();
    if (!saved)
        ShowError("无法保存文档。");
}

void CMainFrame::WriteLockedExecutable(const std::string& path) {
    const std::optional<SecretString> text = TextForSaving(m_richView);
    if (!text || !EnsureSealable(text->empty(), true))
        return;
    WriteExecutable(path, NoteSession::SealedWithKey(text->View()));
}

BOOL CMainFrame::SaveAs() {
    Casement::CFileDialog dialog(FALSE, "txt", nullptr, OFN_OVERWRITEPROMPT,
                                 "Exe Files (*.exe)|*.exe|Text Files (*.txt)|*.txt|", *this);
    if (dialog.DoModal(*this) != IDOK)
        return TRUE;
    const std::string path = dialog.GetPathName();
    if (!IsUsablePath(path))
        return TRUE;
    std::optional<PromptOutcome> password;
    for (;;) {
        switch (NextSaveAsStep(path, CurrentFacts(), password)) {
        case SaveAsStep::WriteText:
            if (const std::optional<SecretString> text = TextForSaving(m_richView))
                WriteTextFile(*text, FromAnsi(path));
            return TRUE;
        case SaveAsStep::Nothing:
            return TRUE;
        case SaveAsStep::CopyProgramWithoutNote:
            m_richView.SetModify(FALSE);
            [[fallthrough]];
        case SaveAsStep::CopyProgram:
            WriteExecutable(path, ImageNote());
            return TRUE;
        case SaveAsStep::AskForPassword:
            password = PromptForNewPassword(true);
            break;
        case SaveAsStep::SealIntoCopy:
            WriteLockedExecutable(path);
            return TRUE;
        }
    }
}
