#include "ui/history_dialog.h"

#include <richedit.h>

#include "framework/dialog.h"
#include "ui/resource_ids.h"
#include "ui/uitext.h"
#include "ui/view_fill.h"

namespace {

// The save time as the user's system writes a date and a time.
std::string LocalDateAndTime(std::uint64_t fileTime) {
    const FILETIME utc = {static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    SYSTEMTIME universal = {};
    SYSTEMTIME local = {};
    if (!FileTimeToSystemTime(&utc, &universal) || !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        return "?";
    char date[80] = "";
    char time[80] = "";
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &local, nullptr, time, sizeof time);
    return std::string(date) + " " + time;
}

class CHistoryDialog : public Casement::CDialog {
public:
    explicit CHistoryDialog(const std::vector<ShownVersion>& versions) : CDialog(IDD_HISTORY), m_versions(versions) {}

    std::size_t Chosen() const { return m_chosen; }

protected:
    BOOL HandleInitDialog() override {
        const HWND list = GetDlgItem(*this, IDC_HISTORY_LIST);
        for (const ShownVersion& version : m_versions)
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(VersionLine(version).c_str()));
        SendMessageA(list, LB_SETCURSEL, 0, 0);
        ShowSelected();
        SetFocus(list);
        // The focus is set here, not by the dialog manager.
        return FALSE;
    }

    BOOL HandleCommand(WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == IDC_HISTORY_LIST && HIWORD(wParam) == LBN_SELCHANGE) {
            ShowSelected();
            return TRUE;
        }
        return CDialog::HandleCommand(wParam, lParam);
    }

    void HandleOK() override {
        const std::optional<std::size_t> selected = Selected();
        if (!selected || !m_versions[*selected].text)
            return;
        m_chosen = *selected;
        EmptyPreview();
        CDialog::HandleOK();
    }

    void HandleCancel() override {
        EmptyPreview();
        CDialog::HandleCancel();
    }

private:
    std::optional<std::size_t> Selected() const {
        const LRESULT index = SendDlgItemMessageA(*this, IDC_HISTORY_LIST, LB_GETCURSEL, 0, 0);
        if (index < 0 || static_cast<std::size_t>(index) >= m_versions.size())
            return std::nullopt;
        return static_cast<std::size_t>(index);
    }

    // The preview takes any character, as the view does: as UTF-16.
    void SetPreview(const wchar_t* text, std::size_t length) {
        const HWND preview = GetDlgItem(*this, IDC_HISTORY_PREVIEW);
        SendMessageA(preview, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(length + 1));
        SETTEXTEX replace = {ST_DEFAULT, kUnicodeCodePage};
        SendMessageA(preview, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&replace), reinterpret_cast<LPARAM>(text));
    }

    void EmptyPreview() { SetPreview(L"", 0); }

    void ShowSelected() {
        const std::optional<std::size_t> selected = Selected();
        const bool readable = selected && m_versions[*selected].text;
        if (readable) {
            const WipedWideString text = WideOfUtf8(m_versions[*selected].text->View());
            SetPreview(text.c_str(), text.size());
        } else {
            EmptyPreview();
        }
        EnableWindow(GetDlgItem(*this, IDOK), readable);
    }

    const std::vector<ShownVersion>& m_versions;
    std::size_t m_chosen = 0;
};

}  // namespace

std::string VersionLine(const ShownVersion& version) {
    if (!version.text)
        return "无法读取";
    return LocalDateAndTime(version.saveTime) + "  " +
           std::to_string(ViewCharacters(version.text->View(), TextEncoding::Utf8)) + " 个字符";
}

std::optional<std::size_t> ChooseKeptVersion(HWND owner, const std::vector<ShownVersion>& versions) {
    CHistoryDialog dialog(versions);
    if (dialog.DoModal(owner) != IDOK)
        return std::nullopt;
    return dialog.Chosen();
}
