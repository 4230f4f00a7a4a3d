// The system's file and font dialogs, driven from inside their own modal
// loops: the test finds the dialog box, fills its file-name field and
// presses its buttons.
#include <gtest/gtest.h>

#include <windows.h>
#include <cderr.h>
#include <commdlg.h>
#include <dlgs.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "framework/appcore.h"
#include "framework/cexception.h"
#include "framework/commondlg.h"
#include "modal_steps.h"

namespace {

using Casement::CFileDialog;
using Casement::CFontDialog;
using Casement::CWinApp;
using Casement::CWinException;
using modal_steps::WhenDialogShows;

// The filter of the program's Save As dialog.
constexpr char kProgramFilter[] = "Exe Files (*.exe)|*.exe|Text Files (*.txt)|*.txt|";
constexpr DWORD kHooked = OFN_EXPLORER | OFN_ENABLEHOOK;

// The list up to and including its closing empty string.
std::string FilterList(const char* list) {
    if (list == nullptr)
        return "";
    const char* end = list;
    while (end[0] != '\0' || end[1] != '\0')
        ++end;
    return std::string(list, end + 2);
}

void PressButton(HWND dialog, int id) { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }

// Types a name into the file dialog's file-name field (cmb13, 1148) and
// presses OK.
void ChooseName(HWND dialog, const std::string& name) {
    SetDlgItemTextA(dialog, cmb13, name.c_str());
    PressButton(dialog, IDOK);
}

void CancelTheDialog(HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }

class TempFolder {
public:
    TempFolder() {
        char base[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, base);
        path = std::string(base) + "commondlg-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path.c_str(), nullptr);
    }
    ~TempFolder() {
        for (const std::string& file : m_files)
            DeleteFileA(file.c_str());
        RemoveDirectoryA(path.c_str());
    }
    void AddFile(const std::string& name) {
        m_files.push_back(path + "\\" + name);
        CloseHandle(CreateFileA(m_files.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    std::string path;

private:
    std::vector<std::string> m_files;
};

// A hook-enabled file dialog that records what its hooks see.
class HookedFileDialog : public CFileDialog {
public:
    using CFileDialog::CFileDialog;
    std::string filterSeen;
    DWORD sizeSeen = 0;
    int oks = 0;
    int cancels = 0;

protected:
    INT_PTR DialogProcedure(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_INITDIALOG) {
            const auto& given = *reinterpret_cast<const OPENFILENAMEA*>(lParam);
            sizeSeen = given.lStructSize;
            filterSeen = FilterList(given.lpstrFilter);
        }
        return CFileDialog::DialogProcedure(msg, wParam, lParam);
    }
    // Names with "bad" in them are refused; the dialog then stays open.
    BOOL CheckFileName() override { return std::strstr(GetOFN().lpstrFile, "bad") != nullptr; }
    void HandleOK() override { ++oks; }
    void HandleCancel() override { ++cancels; }
};

TEST(FileDialog, CancelledSaveAsReturnsCancelAndThrowsNothing) {
    CWinApp app;
    // Configured as the program's Save As dialog.
    CFileDialog saveAs(FALSE, "txt", nullptr, OFN_OVERWRITEPROMPT, kProgramFilter);
    WhenDialogShows(CancelTheDialog);
    INT_PTR result = 0;
    EXPECT_NO_THROW(result = saveAs.DoModal(nullptr));
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ("", saveAs.GetPathName());
}

TEST(FileDialog, FilterReachesTheSystemAsAZeroSeparatedList) {
    CWinApp app;
    HookedFileDialog saveAs(FALSE, "txt", nullptr, OFN_OVERWRITEPROMPT | kHooked, kProgramFilter);
    WhenDialogShows(CancelTheDialog);
    EXPECT_EQ(IDCANCEL, saveAs.DoModal(nullptr));

    const char expected[] = "Exe Files (*.exe)\0*.exe\0Text Files (*.txt)\0*.txt\0";
    EXPECT_EQ(std::string(expected, sizeof expected), saveAs.filterSeen);
    EXPECT_EQ(sizeof(OPENFILENAMEA), saveAs.sizeSeen);
    EXPECT_EQ(1, saveAs.cancels);
    EXPECT_EQ(0, saveAs.oks);
    EXPECT_EQ(nullptr, saveAs.GetHwnd());
    EXPECT_EQ(nullptr, app.GetThreadRecord()->pWnd);
}

// Bytes placed so that they end where a page no one may read begins: reading
// one byte past them faults.
class BytesBeforeGuardPage {
public:
    explicit BytesBeforeGuardPage(const std::string& bytes) {
        SYSTEM_INFO system = {};
        GetSystemInfo(&system);
        const size_t page = system.dwPageSize;
        m_base = static_cast<char*>(VirtualAlloc(nullptr, 2 * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        DWORD old = 0;
        VirtualProtect(m_base + page, page, PAGE_NOACCESS, &old);
        data = m_base + page - bytes.size();
        std::memcpy(data, bytes.data(), bytes.size());
    }
    ~BytesBeforeGuardPage() { VirtualFree(m_base, 0, MEM_RELEASE); }
    char* data = nullptr;

private:
    char* m_base = nullptr;
};

TEST(FileDialog, FilterIsReadNoFurtherThanItsStorage) {
    CWinApp app;
    // A text without "|" and without a second zero after its own.
    const BytesBeforeGuardPage single(std::string("Text Files", 11));
    CFileDialog bare(FALSE, nullptr, nullptr, 0, single.data);
    EXPECT_EQ(nullptr, bare.GetOFN().lpstrFilter);

    // The system's form, given with its size, is taken up to its empty string.
    const char list[] = "Text Files (*.txt)\0*.txt\0\0";
    const BytesBeforeGuardPage exact(std::string(list, sizeof list));
    bare.SetFilter(exact.data, sizeof list);
    EXPECT_EQ(std::string(list, sizeof list - 1), FilterList(bare.GetOFN().lpstrFilter));

    // Without the empty string within its size there is no filter.
    const BytesBeforeGuardPage cut(std::string(list, sizeof list - 2));
    bare.SetFilter(cut.data, sizeof list - 2);
    EXPECT_EQ(nullptr, bare.GetOFN().lpstrFilter);
}

TEST(FileDialog, RefusedNameKeepsTheDialogOpenUntilOneIsAccepted) {
    CWinApp app;
    TempFolder folder;
    HookedFileDialog save(FALSE, "txt", nullptr, kHooked, kProgramFilter);
    save.SetInitialFolder(folder.path.c_str());
    bool openAfterRefusal = false;
    WhenDialogShows([&](HWND dialog) {
        ChooseName(dialog, "bad.txt");
        openAfterRefusal = IsWindow(dialog);
        ChooseName(dialog, "note.txt");
    });
    EXPECT_EQ(IDOK, save.DoModal(nullptr));
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(folder.path + "\\note.txt", save.GetPathName());
    EXPECT_EQ(1, save.oks);
}

TEST(FileDialog, MultipleSelectionJoinsEachNameToItsFolder) {
    CWinApp app;
    TempFolder folder;
    folder.AddFile("a.txt");
    folder.AddFile("b.txt");
    CFileDialog open(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST);
    open.SetInitialFolder(folder.path.c_str());
    WhenDialogShows([](HWND dialog) { ChooseName(dialog, "\"a.txt\" \"b.txt\""); });
    EXPECT_EQ(IDOK, open.DoModal(nullptr));
    const std::vector<std::string> expected = {folder.path + "\\a.txt", folder.path + "\\b.txt"};
    EXPECT_EQ(expected, open.GetPathNames());
}

TEST(FileDialog, ExtendedErrorThrowsWithItsCode) {
    CWinApp app;
    // The failing call gets a thread of its own: extended errors are kept per
    // thread, and Wine's font dialog still reports this one after a later
    // call that was only cancelled.
    std::string text;
    int extra = 0;
    std::thread([&] {
        CFileDialog file(FALSE);
        file.GetOFN().Flags |= OFN_ENABLETEMPLATE;
        file.GetOFN().lpTemplateName = "NoSuchTemplate";
        try {
            file.DoModal(nullptr);
        } catch (const CWinException& e) {
            text = e.GetText();
            extra = e.GetExtra();
        }
        EXPECT_EQ(nullptr, app.GetThreadRecord()->pWnd);
    }).join();
    EXPECT_EQ("CFileDialog::DoModal Failed", text);
    EXPECT_EQ(CDERR_FINDRESFAILURE, extra);
}

int CALLBACK KeepTrueTypeFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM found) {
    if (!(type & TRUETYPE_FONTTYPE) || font->lfFaceName[0] == '@')
        return 1;
    *reinterpret_cast<std::string*>(found) = font->lfFaceName;
    return 0;
}

// A TrueType face this machine has, so the dialog offers it in every style.
std::string InstalledFace() {
    std::string face;
    LOGFONTA all = {};
    all.lfCharSet = DEFAULT_CHARSET;
    const HDC screen = GetDC(nullptr);
    EnumFontFamiliesExA(screen, &all, KeepTrueTypeFace, reinterpret_cast<LPARAM>(&face), 0);
    ReleaseDC(nullptr, screen);
    return face;
}

TEST(FontDialog, OkGivesTheChosenFontAndCancelGivesCancel) {
    CWinApp app;
    const std::string face = InstalledFace();
    ASSERT_FALSE(face.empty());
    LOGFONTA initial = {};
    std::strcpy(initial.lfFaceName, face.c_str());
    initial.lfHeight = -16;
    initial.lfWeight = FW_BOLD;
    CFontDialog dialog(&initial);
    WhenDialogShows([](HWND dialog) { PressButton(dialog, IDOK); });
    EXPECT_EQ(IDOK, dialog.DoModal(nullptr));
    EXPECT_EQ(face, dialog.GetLogFont().lfFaceName);
    EXPECT_EQ(FW_BOLD, dialog.GetLogFont().lfWeight);

    WhenDialogShows(CancelTheDialog);
    EXPECT_EQ(IDCANCEL, dialog.DoModal(nullptr));
}

}  // namespace
