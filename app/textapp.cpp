#include "app/textapp.h"

#include <memory>
#include <utility>

#include "image/self_save.h"
#include "ui/note_session.h"
#include "ui/passworddialogs.h"
#include "ui/uitext.h"

bool CTextApp::EnterPassword(const std::function<void()>& open) {
    std::unique_ptr<CMyDialog> dialog(new CMyDialog);
    dialog->CheckBeforeClosing(open);
    m_pPasswordDialog = dialog.get();
    const INT_PTR result = dialog->DoModal(nullptr);
    dialog.reset();
    m_pPasswordDialog = nullptr;
    // Closing from the title bar after typing counts as an entry.
    return result != IDCANCEL;
}

BOOL CTextApp::IdleWork(LONG count) {
    if (!m_temporaryFolderSwept) {
        m_temporaryFolderSwept = true;
        RemoveRedundantTemporaryImages();
    }
    return CWinApp::IdleWork(count);
}

BOOL CTextApp::InitInstance() {
    NoteSession::Unlocked unlocked = NoteSession::UnlockStoredNote([this](const std::function<void()>& open) { return EnterPassword(open); });
    switch (unlocked.outcome) {
    case NoteSession::Unlock::NoPassword:
        return FALSE;
    case NoteSession::Unlock::WrongPassword:
        ShowError("您提供的密码无效。");
        return FALSE;
    case NoteSession::Unlock::UnknownFormat:
        ShowError("此程序文件中笔记的格式不是本程序所知的格式，无法打开。");
        return FALSE;
    case NoteSession::Unlock::TwoFormats:
        ShowError("此程序文件中同时保存有两种格式的笔记，无法打开。");
        return FALSE;
    case NoteSession::Unlock::NoNote:
    case NoteSession::Unlock::Opened:
        break;
    }
    m_frame.ShowOnCreation(std::move(unlocked.text), unlocked.encoding);
    if (m_frame.CreateDefault(nullptr) == nullptr) {
        ShowError("创建窗口失败");
        return FALSE;
    }
    return TRUE;
}
