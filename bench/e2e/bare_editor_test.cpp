// The bare editor window, the benchmark's floor for opening a note, must
// hold exactly the note after each of its fills: a reference that lost or
// garbled text on the way would be a floor too low. The note's lines differ
// in length and mix ASCII and double-byte characters, so that the stream's
// pieces end at every kind of place, before, after and inside them.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "bench/e2e/bare_editor.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/program.h"
#include "tests/e2e/stress.h"
#include "ui/resource_ids.h"

namespace {

std::string MixedNote() {
    // "中文" in code page 936.
    const std::string chinese = "\xD6\xD0\xCE\xC4";
    std::string note;
    for (int line = 0; note.size() < 64 * 1024; ++line)
        note += std::string(static_cast<size_t>(line % 37), 'a') + (line % 3 == 0 ? chinese : "") + "\r\n";
    return note + chinese;
}

std::wstring WithoutLineFeeds(std::wstring text) {
    text.erase(std::remove(text.begin(), text.end(), L'\n'), text.end());
    return text;
}

TEST(BareEditorTest, EveryFillHoldsTheWholeNote) {
    const std::string program = driver::PathFromEnvironment("SCRIBECRYPT_BARE_EDITOR");
    const std::string notePath = driver::MakeTempFolder("bare-editor") + "\\note.txt";
    const std::string note = MixedNote();
    ASSERT_TRUE(driver::WriteFileBytes(notePath, note));
    const std::wstring title = L"" SCRIBECRYPT_TITLE;
    for (const char* way : kFillWays) {
        SCOPED_TRACE(way);
        driver::Process process;
        ASSERT_TRUE(process.Start(program, "\"" + program + "\" " + way + " \"" + notePath + "\""));
        const HWND frame = driver::WaitForWindow(
            process.Id(), nullptr, [&](HWND window) { return driver::WindowText(window) == title; },
            driver::kWindowTimeoutMs);
        ASSERT_NE(frame, nullptr);
        const HWND view = FindWindowExW(frame, nullptr, L"RichEdit20A", nullptr);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(WithoutLineFeeds(driver::ControlText(view)), WithoutLineFeeds(driver::FromCodePage936(note)));
        PostMessageW(frame, WM_CLOSE, 0, 0);
        DWORD code = 1;
        EXPECT_TRUE(process.WaitForExit(driver::kWindowTimeoutMs, &code));
        EXPECT_EQ(code, 0u);
    }
}

}  // namespace
