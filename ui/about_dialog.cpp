#include "ui/about_dialog.h"

#include <string>

#include "crypto/note_format.h"
#include "framework/dialog.h"
#include "ui/resource_ids.h"

namespace {

class CAboutDialog : public Casement::CDialog {
public:
    CAboutDialog() : CDialog(IDD_ABOUT) {}

protected:
    // The sentence runs over two lines: every choice but the last ends the
    // first, the last begins the second.
    BOOL HandleInitDialog() override {
        const std::vector<NoteChoice>& choices = NoteChoices();
        std::string first = "本。支持";
        for (std::size_t i = 0; i + 1 < choices.size(); ++i)
            first += std::string(choices[i].shortName) + "、";
        SetDlgItemTextA(*this, IDC_ABOUT_CHOICES, first.c_str());
        SetDlgItemTextA(*this, IDC_ABOUT_LAST_CHOICE, (std::string(choices.back().shortName) + "算法。").c_str());
        return TRUE;
    }
};

}  // namespace

void ShowAboutBox(HWND owner) {
    const HWND focus = GetFocus();
    CAboutDialog().DoModal(owner);
    if (IsWindow(focus))
        SetFocus(focus);
}
