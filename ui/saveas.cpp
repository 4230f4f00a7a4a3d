// Save As: the note as a new locked executable or as a plain text file.
#include <windows.h>

#include <string>

#include "framework/commondlg.h"
#include "image/checked_image.h"
#include "ui/document_state.h"
#include "ui/mainframe.h"
#include "ui/textfile.h"
#include "ui/uitext.h"

namespace {

// After the last ".", ASCII letters lower-cased; empty without a ".".
std::string ExtensionOf(const std::string& path) {
    const std::string::size_type dot = path.rfind('.');
    if (dot == std::string::npos)
        return std::string();
    std::string extension = path.substr(dot + 1);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

}  // namespace

// The copy is staged beside the path and checked before it takes the path's
// place, so a failure leaves a file already there as it was.
void CMainFrame::WriteExecutable(const std::string& path, const ImageNote& note) {
    if (!SaveCheckedImageAs(path, note))
        ShowError("无法保存文档。");
}

void CMainFrame::WriteLockedExecutable(const std::string& path) {
    const Casement::CString text = ViewText(m_richView);
    if (!EnsureSealable(text, true))
        return;
    const CDocumentState& app = GetDocumentState();
    WriteExecutable(path, ImageNote{ImageNote::Kind::Sealed, text.c_str(), app.m_password.c_str(), app.m_cipher.c_str()});
}

BOOL CMainFrame::SaveAs() {
    Casement::CFileDialog dialog(FALSE, "txt", nullptr, OFN_OVERWRITEPROMPT,
                                 "Exe Files (*.exe)|*.exe|Text Files (*.txt)|*.txt|", *this);
    if (dialog.DoModal(*this) != IDOK)
        return TRUE;
    const std::string path = dialog.GetPathName();
    const std::string extension = ExtensionOf(path);
    if (extension == "txt") {
        WriteTextFile(m_richView, path);
        return TRUE;
    }
    if (extension != "exe")
        return TRUE;

    if (!m_richView.GetModify()) {
        WriteExecutable(path, ImageNote());
        return TRUE;
    }
    if (GetDocumentState().m_isNewDocument == 0) {
        WriteLockedExecutable(path);
        return TRUE;
    }
    if (GetWindowTextLengthA(m_richView) == 0) {
        m_richView.SetModify(FALSE);
        WriteExecutable(path, ImageNote());
        return TRUE;
    }
    if (PromptForNewPassword(true) == PromptOutcome::Accepted)
        WriteLockedExecutable(path);
    return TRUE;
}
