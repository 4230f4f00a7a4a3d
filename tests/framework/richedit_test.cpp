// The rich edit wrapper depends on the class riched20.dll registers: without
// it, creating the control fails instead of making a window that takes no text.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/cexception.h"
#include "framework/richedit.h"
#include "tests/framework/app_environment.h"

namespace {

TEST(RichEdit, CreatingWithoutTheLibraryClassFailsAndRegistersNothing) {
    Casement::CRichEdit edit;
    // The library is loaded; take its class away as if it had never come.
    ASSERT_TRUE(UnregisterClassA(RICHEDIT_CLASSA, GetModuleHandleA("riched20.dll")));

    try {
        edit.CreateDefault(nullptr);
        FAIL() << "a rich edit window was created without its class";
    } catch (const Casement::CWinException& e) {
        EXPECT_STREQ("CreateWindowEx failed", e.GetText());
    }
    EXPECT_EQ(nullptr, edit.GetHwnd());
    WNDCLASSA registered = {};
    EXPECT_FALSE(GetClassInfoA(Casement::GetApp().GetInstanceHandle(), RICHEDIT_CLASSA, &registered));
}

}  // namespace
