// Dialogs run for real: modal loops ended by keys typed through SendInput,
// the thread's shared message-filter hook, centring, creation failures and
// keyboard navigation of modeless dialogs.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "dialog_test_ids.h"
#include "framework/appcore.h"
#include "framework/cexception.h"
#include "framework/dialog.h"
#include "framework/stdcontrols.h"
#include "modal_steps.h"

namespace {

using Casement::CDialog;
using Casement::CWinApp;
using Casement::TLSData;
using modal_steps::RunLater;
using modal_steps::Type;
using modal_steps::WhenDialogShows;

// A dialog whose start-up runs a test's step.
class ScriptedDialog : public CDialog {
public:
    using CDialog::CDialog;
    using CDialog::MakeUnicode;
    std::function<void(ScriptedDialog&)> onInit;
    RECT rectAtInit = {};
    RECT rectAtDestroy = {};

protected:
    BOOL HandleInitDialog() override {
        GetWindowRect(*this, &rectAtInit);
        if (onInit)
            onInit(*this);
        return TRUE;
    }
    void HandleDestroy() override { GetWindowRect(*this, &rectAtDestroy); }
};

// A dialog with no controls, built in memory.
struct alignas(4) EmptyTemplate {
    DLGTEMPLATE header{WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0, 120, 60};
    WORD menu = 0, windowClass = 0, title = 0;
};

TEST(ModalDialog, EnterGivesOkEscapeCancelAndCloseZero) {
    CWinApp app;
    ScriptedDialog entered(IDD_PROBE);
    entered.onInit = [](ScriptedDialog&) { WhenDialogShows([](HWND) { Type({VK_RETURN}); }); };
    EXPECT_EQ(IDOK, entered.DoModal(nullptr));

    ScriptedDialog escaped(IDD_PROBE);
    escaped.onInit = [](ScriptedDialog&) { WhenDialogShows([](HWND) { Type({VK_ESCAPE}); }); };
    EXPECT_EQ(IDCANCEL, escaped.DoModal(nullptr));

    const EmptyTemplate inMemory;
    ScriptedDialog closed(&inMemory.header);
    closed.onInit = [](ScriptedDialog& dialog) { RunLater([&dialog] { PostMessageA(dialog, WM_CLOSE, 0, 0); }); };
    EXPECT_EQ(0, closed.DoModal(nullptr));
    EXPECT_EQ(nullptr, closed.GetHwnd());
}

TEST(ModalDialog, NestedDialogsShareOneHookRemovedAfterTheOuter) {
    CWinApp app;
    const TLSData& record = *app.GetThreadRecord();
    std::vector<std::pair<HHOOK, LONG>> seen;
    auto look = [&] { seen.emplace_back(record.hMsgHook, record.nDlgHooks); };

    ScriptedDialog outer(IDD_PROBE);
    ScriptedDialog inner(IDD_PROBE);
    inner.onInit = [&](ScriptedDialog& dialog) {
        RunLater([&] {
            look();
            dialog.FinishDialog(IDOK);
        });
    };
    outer.onInit = [&](ScriptedDialog& dialog) {
        RunLater([&] {
            look();
            EXPECT_EQ(IDOK, inner.DoModal(dialog));
            look();
            dialog.FinishDialog(IDCANCEL);
        });
    };
    EXPECT_EQ(IDCANCEL, outer.DoModal(nullptr));
    look();

    const HHOOK hook = seen.front().first;
    EXPECT_NE(nullptr, hook);
    const std::vector<std::pair<HHOOK, LONG>> expected = {{hook, 1}, {hook, 2}, {hook, 1}, {nullptr, 0}};
    EXPECT_EQ(expected, seen);
}

TEST(ModalDialog, IsCentredBeforeHandleInitDialogWhichMayMoveIt) {
    CWinApp app;
    const HWND parent = CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 200, 150, 600, 500, nullptr,
                                        nullptr, nullptr, nullptr);
    RECT parentRect;
    GetWindowRect(parent, &parentRect);

    ScriptedDialog centred(IDD_PROBE);
    centred.onInit = [](ScriptedDialog& d) { d.FinishDialog(IDOK); };
    centred.DoModal(parent);
    const RECT& r = centred.rectAtInit;
    EXPECT_NEAR((parentRect.left + parentRect.right) / 2, (r.left + r.right) / 2, 1);
    EXPECT_NEAR((parentRect.top + parentRect.bottom) / 2, (r.top + r.bottom) / 2, 1);

    ScriptedDialog moved(IDD_PROBE);
    moved.onInit = [](ScriptedDialog& d) {
        SetWindowPos(d, nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        RunLater([&d] { d.FinishDialog(IDOK); });
    };
    moved.DoModal(parent);
    EXPECT_EQ(10, moved.rectAtDestroy.left);
    EXPECT_EQ(20, moved.rectAtDestroy.top);
    DestroyWindow(parent);
}

// Korean letters and an emoji, which no ANSI code page of Chinese Windows holds.
const std::wstring kBeyondCodePage = L"\uD55C\uAE00 \U0001F600";

TEST(ModalDialog, UnicodeDialogsBoundFieldKeepsEveryCharacterTypedOrSet) {
    CWinApp app;
    ScriptedDialog dialog(IDD_PROBE);
    dialog.MakeUnicode();
    Casement::CEdit field;
    std::wstring typed, set;
    dialog.onInit = [&](ScriptedDialog& d) {
        d.BindControl(IDC_FIRST, field);
        for (const wchar_t unit : kBeyondCodePage)
            SendMessageW(field, WM_CHAR, unit, 1);
        wchar_t text[32] = {};
        typed.assign(text, static_cast<std::size_t>(GetWindowTextW(field, text, 32)));
        SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kBeyondCodePage.c_str()));
        set.assign(text, static_cast<std::size_t>(GetWindowTextW(field, text, 32)));
        d.FinishDialog(IDOK);
    };
    EXPECT_EQ(IDOK, dialog.DoModal(nullptr));
    EXPECT_EQ(kBeyondCodePage, typed);
    EXPECT_EQ(kBeyondCodePage, set);
}

void ExpectCreationFails(const std::function<void()>& create) {
    try {
        create();
        ADD_FAILURE() << "no exception";
    } catch (const Casement::CWinException& e) {
        EXPECT_STREQ("Dialog creation failed", e.GetText());
    }
}

TEST(DialogCreation, MissingTemplateThrowsAndRestoresTheThreadRecord) {
    CWinApp app;
    const TLSData& record = *app.GetThreadRecord();
    CDialog missing(4242);
    ExpectCreationFails([&] { missing.DoModal(nullptr); });
    ExpectCreationFails([&] { missing.CreateModeless(nullptr); });
    EXPECT_EQ(nullptr, record.pWnd);
    EXPECT_EQ(nullptr, record.hMsgHook);
    EXPECT_EQ(0, record.nDlgHooks);
}

TEST(DialogCreation, HandlerExceptionComesOutOfDoModal) {
    CWinApp app;
    ScriptedDialog modal(IDD_PROBE);
    modal.onInit = [](ScriptedDialog&) { throw std::runtime_error("from the dialog"); };
    EXPECT_THROW(modal.DoModal(nullptr), std::runtime_error);
    EXPECT_EQ(nullptr, modal.GetHwnd());
    EXPECT_EQ(0, app.GetThreadRecord()->nDlgHooks);
}

TEST(ModelessDialog, TabGoesThroughTheThreadFilterOnlyWhileNoHookIsInstalled) {
    CWinApp app;
    CDialog modeless(IDD_MODELESS);
    const HWND dialog = modeless.CreateModeless(nullptr);
    const HWND first = GetDlgItem(dialog, IDC_FIRST);
    const HWND second = GetDlgItem(dialog, IDC_SECOND);
    SetForegroundWindow(dialog);
    SetFocus(first);

    // The application's own message loop carries the key to the dialog.
    Type({VK_TAB});
    RunLater([] { PostQuitMessage(0); }, 200);
    app.PumpMessages();
    EXPECT_EQ(second, GetFocus());

    // While a modal dialog's hook filters the thread's messages, the modeless
    // dialog leaves keys alone.
    MSG tab = {second, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    ScriptedDialog modal(IDD_PROBE);
    modal.onInit = [&](ScriptedDialog& d) {
        EXPECT_FALSE(app.FilterMessage(tab));
        d.FinishDialog(IDOK);
    };
    modal.DoModal(nullptr);
    EXPECT_TRUE(app.FilterMessage(tab));
}

}  // namespace
