// The program used from the keyboard alone, with real key strokes: no
// message is aimed at a control, so the keys go wherever the program has put
// the focus, as a user's do. These tests run alone, since a window of any
// other test would take the foreground.
#include <gtest/gtest.h>

#include <functional>

#include "crypto/document.h"

#include "tests/e2e/editor.h"
#include "ui/resource_ids.h"

namespace {

using Casement::CHandle;
using driver::Editor;
using driver::PressKey;
using driver::ProgramCopy;
using driver::TypeKeys;

// The enter-password dialog of a started program, once it is in front.
HWND PasswordDialogInFront(Editor& editor) {
    const HWND dialog = driver::WaitForDialog(editor.GetProcess().Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
    EXPECT_NE(nullptr, dialog);
    EXPECT_EQ(dialog, GetForegroundWindow());
    return dialog;
}

TEST(Keyboard, ThePasswordTypedAtStartAndEnterOpenTheNote) {
    ProgramCopy copy("keys-unlock");
    ASSERT_TRUE(copy.Seal("the note", "Pass word1", "SM4"));
    Editor editor(copy);
    ASSERT_NE(nullptr, PasswordDialogInFront(editor));
    TypeKeys(L"Pass word1");
    PressKey(VK_RETURN);
    ASSERT_TRUE(editor.Open());
    EXPECT_EQ(L"the note", editor.Text());
    EXPECT_EQ(0u, editor.CloseUnchanged());

    // Enter on the empty field ends the program, as Cancel does.
    Editor unanswered(copy);
    ASSERT_NE(nullptr, PasswordDialogInFront(unanswered));
    PressKey(VK_RETURN);
    EXPECT_EQ(static_cast<DWORD>(-1), unanswered.WaitForExit());
}

TEST(Keyboard, ANewNoteIsLockedWithPasswordsAndCipherChosenByKeys) {
    ProgramCopy copy("keys-lock");
    {
        Editor editor(copy);
        ASSERT_TRUE(editor.Open());
        ASSERT_EQ(editor.Main(), GetForegroundWindow());
        TypeKeys(L"typed note");
        editor.Close();
        const HWND question = driver::WaitForMessageBox(editor.GetProcess().Id());
        ASSERT_NE(nullptr, question);
        EXPECT_EQ(L"保存文档的更改?", driver::MessageBoxText(question));
        PressKey(VK_RETURN);  // Yes

        const HWND dialog = driver::WaitForDialog(editor.GetProcess().Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
        ASSERT_NE(nullptr, dialog);
        ASSERT_NE(nullptr, GetDlgItem(dialog, IDC_NEW_PASSWORD));
        TypeKeys(L"s3cret");
        PressKey(VK_TAB);
        TypeKeys(L"s3cret");
        PressKey(VK_TAB);
        PressKey(VK_DOWN);  // from the first cipher to the second
        PressKey(VK_RETURN);
        EXPECT_EQ(0u, editor.WaitForExit());
    }
    EXPECT_EQ("CAMELLIA", copy.Packet("TYPE"));
    EXPECT_EQ(L"typed note", driver::OpenedText(copy, L"s3cret"));
}

// A window of another program, in front and no longer answering, as a hung
// program's window is. The window's thread waits until the object ends.
class HungWindowInFront {
public:
    HungWindowInFront() {
        m_thread = CHandle(CreateThread(nullptr, 0, &HungWindowInFront::Run, this, 0, nullptr));
        WaitForSingleObject(m_ready.GetHandle(), 10000);
    }
    HungWindowInFront(const HungWindowInFront&) = delete;
    HungWindowInFront& operator=(const HungWindowInFront&) = delete;
    ~HungWindowInFront() {
        SetEvent(m_release.GetHandle());
        WaitForSingleObject(m_thread.GetHandle(), 10000);
    }
    HWND Window() const { return m_window; }

private:
    static DWORD WINAPI Run(void* self) {
        auto& hung = *static_cast<HungWindowInFront*>(self);
        hung.m_window = CreateWindowExW(0, L"Static", L"hung", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                        nullptr, nullptr, nullptr);
        // Activation is asynchronous across processes: ask until it holds.
        driver::WaitUntil(
            [&hung] {
                if (GetForegroundWindow() == hung.m_window)
                    return true;
                SetForegroundWindow(hung.m_window);
                MSG msg;
                while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                    DispatchMessageW(&msg);
                return false;
            },
            1000, 20);
        SetEvent(hung.m_ready.GetHandle());
        WaitForSingleObject(hung.m_release.GetHandle(), INFINITE);
        DestroyWindow(hung.m_window);
        return 0;
    }

    CHandle m_ready{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    CHandle m_release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    CHandle m_thread;
    HWND m_window = nullptr;
};

TEST(Foreground, QuestionOnClosingComesWhileAnotherProgramInFrontHangs) {
    ProgramCopy copy("hung front");
    Editor editor(copy);
    ASSERT_TRUE(editor.Open());
    editor.Type(L"unsaved");
    {
        const HungWindowInFront hung;
        ASSERT_EQ(hung.Window(), GetForegroundWindow());
        editor.Close();
        EXPECT_EQ(driver::kSaveQuestion, editor.Answer(IDNO, 5000));
    }
    EXPECT_EQ(0u, editor.WaitForExit());
}

// The note in the program file, as the view would show it.
std::wstring SavedNote(const ProgramCopy& copy, const std::string& password) {
    const std::string data = copy.Packet("DATA");
    if (data == "<absent>")
        return L"<removed>";
    const std::string note = UnsealDocumentData(reinterpret_cast<const unsigned char*>(data.data()), data.size(),
                                                password, copy.Packet("TYPE"));
    std::wstring wide(note.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(936, 0, note.data(), static_cast<int>(note.size()), &wide[0], static_cast<int>(wide.size()))));
    return wide;
}

TEST(Keyboard, EveryEditMarksTheNoteAndCtrlSSavesItAsItIs) {
    ProgramCopy copy("keys-edits");
    ASSERT_TRUE(copy.Seal("note", "pw", "AES"));
    Editor editor(copy);
    ASSERT_TRUE(editor.Open(L"pw"));
    ASSERT_EQ(editor.Main(), GetForegroundWindow());
    const auto saveWithKeys = [&] {
        driver::PressKeyWith(VK_CONTROL, 'S');
        return driver::WaitUntil([&] { return !editor.Modified(); }, 30000);
    };
    const struct {
        const char* name;
        std::function<void()> edit;
        std::wstring saved;
    } edits[] = {
        {"typing", [] { TypeKeys(L"x"); }, L"xnote"},
        {"cut", [] { driver::PressKeyWith(VK_CONTROL, 'A'); driver::PressKeyWith(VK_CONTROL, 'X'); }, L"<removed>"},
        {"paste", [] { driver::PressKeyWith(VK_CONTROL, 'V'); }, L"xnote"},
        {"delete key", [] { driver::PressKeyWith(VK_CONTROL, 'A'); PressKey(VK_DELETE); }, L"<removed>"},
        {"paste again", [] { driver::PressKeyWith(VK_CONTROL, 'V'); }, L"xnote"},
        {"delete command", [&] { driver::PressKeyWith(VK_CONTROL, 'A'); editor.Command(IDM_CLEAR); }, L"<removed>"},
    };
    for (const auto& edit : edits) {
        SCOPED_TRACE(edit.name);
        edit.edit();
        ASSERT_TRUE(driver::WaitUntil([&] { return editor.Modified(); }, 2000)) << "the edit left the note unmodified";
        ASSERT_TRUE(saveWithKeys());
        EXPECT_EQ(edit.saved, SavedNote(copy, "pw"));
    }
    EXPECT_EQ(0u, editor.CloseUnchanged());
}

}  // namespace
