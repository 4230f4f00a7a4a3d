// Save As: the note as a new locked executable or as a plain text file.
#include <windows.h>

#include <string>

#include "app/textapp.h"
#include "crypto/document.h"
#include "framework/commondlg.h"
#include "image/resources.h"
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

bool IsOwnImage(const std::string& path) { return lstrcmpiA(path.c_str(), OwnImagePath().c_str()) == 0; }

// A failed Save As is never reported as success, and leaves no partly
// written file behind (the running program itself is never removed).
void ReportFailedCopy(const std::string& path) {
    if (!IsOwnImage(path))
        DeleteFileA(path.c_str());
    ShowError("无法保存文档。");
}

}  // namespace

void CMainFrame::CopyProgramTo(const std::string& path) {
    if (!CopyFileA(OwnImagePath().c_str(), path.c_str(), FALSE))
        ReportFailedCopy(path);
}

void CMainFrame::WriteLockedExecutable(const std::string& path) {
    const Casement::CString text = ViewText(m_richView);
    if (!EnsureSealable(text, true))
        return;
    const CTextApp& app = GetTextApp();
    const std::optional<SealedDocument> sealed =
        SealDocument(text.c_str(), app.m_password.c_str(), app.m_cipher.c_str());
    if (!sealed) {
        // Nothing was written: a file already at the path stays as it is.
        ShowError("无法保存文档。");
        return;
    }
    if (!CopyFileA(OwnImagePath().c_str(), path.c_str(), FALSE) ||
        !WritePackets(path, PacketSet{sealed->hmac, sealed->data, sealed->type}))
        ReportFailedCopy(path);
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
        CopyProgramTo(path);
        return TRUE;
    }
    if (GetTextApp().m_isNewDocument == 0) {
        WriteLockedExecutable(path);
        return TRUE;
    }
    if (GetWindowTextLengthA(m_richView) == 0) {
        m_richView.SetModify(FALSE);
        CopyProgramTo(path);
        return TRUE;
    }
    if (PromptForNewPassword(true) == PromptOutcome::Accepted)
        WriteLockedExecutable(path);
    return TRUE;
}
