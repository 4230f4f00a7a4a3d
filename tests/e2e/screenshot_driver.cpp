// Brings the editor into the states a person should look at, one after the
// other: it names each state on its output and waits for a line on its input
// (tools/screenshot-editor.sh takes a screenshot in between).
#include <cstdio>
#include <iostream>
#include <string>

#include "tests/e2e/editor.h"
#include "ui/resource_ids.h"

namespace {

void Pause(const char* state) {
    std::cout << state << std::endl;
    std::string line;
    std::getline(std::cin, line);
}

}  // namespace

int main() {
    driver::ProgramCopy copy("screenshots");
    // "您好，世界！这是一份加密的便签。" in code page 936, over two lines.
    const std::string note =
        "\xC4\xFA\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7\xA3\xA1\r\n\xD5\xE2\xCA\xC7\xD2\xBB\xB7\xDD\xBC\xD3\xC3\xDC"
        "\xB5\xC4\xB1\xE3\xC7\xA9\xA1\xA3";
    if (!copy.Seal(note, "pw", "SM4"))
        return 1;
    driver::Process process;
    copy.Start(process);
    HWND dialog = driver::WaitForDialog(process.Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
    if (dialog == nullptr)
        return 1;
    driver::SetControlText(dialog, IDC_PASSWORD, L"pw");
    Pause("enter-password");
    driver::PressButton(dialog, IDOK);

    HWND main = driver::WaitForMainWindow(process.Id());
    if (main == nullptr)
        return 1;
    Sleep(500);
    Pause("main-window");

    PostMessageW(main, WM_COMMAND, IDM_CHANGE_PASSWORD, 0);
    dialog = driver::WaitForDialog(process.Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
    if (dialog == nullptr)
        return 1;
    SendMessageW(GetDlgItem(dialog, IDC_CIPHER), CB_SHOWDROPDOWN, TRUE, 0);
    Sleep(300);
    Pause("new-password");
    SendMessageW(GetDlgItem(dialog, IDC_CIPHER), CB_SHOWDROPDOWN, FALSE, 0);

    // A Korean password, which the legacy cipher chosen cannot store.
    driver::SetControlText(dialog, IDC_NEW_PASSWORD, L"\uD55C\uAE00");
    driver::SetControlText(dialog, IDC_REPEAT_PASSWORD, L"\uD55C\uAE00");
    driver::PressButton(dialog, IDOK);
    if (driver::WaitForMessageBox(process.Id(), driver::kWindowTimeoutMs) == nullptr)
        return 1;
    Sleep(300);
    Pause("password-refused");
    driver::AnswerMessageBox(process.Id(), IDOK);
    driver::PressButton(dialog, IDCANCEL);
    Sleep(300);
    PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD code = 0;
    process.WaitForExit(10000, &code);
    return 0;
}
