#include "ui/about_dialog.h"

#include <optional>
#include <string>

#include "crypto/note_format.h"
#include "framework/dialog.h"
#include "image/paths.h"
#include "image/resources.h"
#include "ui/resource_ids.h"

namespace {

// The first and last eight digits: enough to compare with a published
// identity by eye, short enough for one line.
std::string ShortIdentity(const std::string& identity) {
    return identity.substr(0, 8) + "…" + identity.substr(identity.size() - 8);
}

class CAboutDialog : public Casement::CDialog {
public:
    CAboutDialog() : CDialog(IDD_ABOUT) {}

protected:
    BOOL HandleInitDialog() override {
        ShowChoices();
        // The file on disk, not the image in memory: the identity is what
        // a user compares with the program someone handed over.
        m_identity = ReadProgramIdentity(OwnImagePath());
        SetDlgItemTextA(*this, IDC_ABOUT_IDENTITY, m_identity ? ShortIdentity(*m_identity).c_str() : "无法读取程序文件。");
        EnableWindow(GetDlgItem(*this, IDC_ABOUT_FULL_IDENTITY), m_identity.has_value());
        return TRUE;
    }

    BOOL HandleCommand(WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) != IDC_ABOUT_FULL_IDENTITY || !m_identity)
            return CDialog::HandleCommand(wParam, lParam);
        // The whole identity, selected in its field so that it can be copied.
        const HWND field = GetDlgItem(*this, IDC_ABOUT_IDENTITY);
        SetWindowTextA(field, m_identity->c_str());
        SendMessageA(*this, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
        SendMessageA(field, EM_SETSEL, 0, -1);
        return TRUE;
    }

private:
    // The sentence runs over two lines: every choice but the last ends the
    // first, the last begins the second.
    void ShowChoices() {
        const std::vector<NoteChoice>& choices = NoteChoices();
        std::string first = "本。支持";
        for (std::size_t i = 0; i + 1 < choices.size(); ++i)
            first += std::string(choices[i].shortName) + "、";
        SetDlgItemTextA(*this, IDC_ABOUT_CHOICES, first.c_str());
        SetDlgItemTextA(*this, IDC_ABOUT_LAST_CHOICE, (std::string(choices.back().shortName) + "算法。").c_str());
    }

    std::optional<std::string> m_identity;
};

}  // namespace

void ShowAboutBox(HWND owner) {
    const HWND focus = GetFocus();
    CAboutDialog().DoModal(owner);
    if (IsWindow(focus))
        SetFocus(focus);
}
