// The kernel handle owner against real handles: each handle it takes is
// closed exactly once, by whichever owner holds it last, and a failed open of
// either kind leaves it holding none.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>

#include "framework/unique_handle.h"

namespace {

using Casement::CFindHandle;
using Casement::CHandle;

bool IsOpen(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

HANDLE NewEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

TEST(UniqueHandle, ClosesItsHandleOnceWhenItEndsOrIsClosed) {
    const HANDLE ended = NewEvent();
    {
        const CHandle owner(ended);
        EXPECT_TRUE(owner.IsValid());
        EXPECT_TRUE(IsOpen(ended));
    }
    EXPECT_FALSE(IsOpen(ended));

    const HANDLE closed = NewEvent();
    CHandle owner(closed);
    owner.Close();
    EXPECT_FALSE(IsOpen(closed));
    EXPECT_FALSE(owner.IsValid());
}

TEST(UniqueHandle, MovingHandsTheHandleOverAndAssigningClosesTheOneHeldBefore) {
    const HANDLE first = NewEvent();
    const HANDLE second = NewEvent();
    CHandle target(first);
    {
        CHandle source(second);
        CHandle moved(std::move(source));
        EXPECT_FALSE(source.IsValid());
        target = std::move(moved);
        EXPECT_FALSE(moved.IsValid());
        EXPECT_FALSE(IsOpen(first));
    }
    EXPECT_EQ(second, target.GetHandle());
    EXPECT_TRUE(IsOpen(second));
}

TEST(UniqueHandle, DetachGivesTheHandleUpOpen) {
    const HANDLE event = NewEvent();
    {
        CHandle owner(event);
        EXPECT_EQ(event, owner.Detach());
        EXPECT_FALSE(owner.IsValid());
    }
    EXPECT_TRUE(IsOpen(event));
    CloseHandle(event);
}

// CreateFile fails with INVALID_HANDLE_VALUE, OpenProcess with null.
TEST(UniqueHandle, AFailedOpenOfEitherKindHoldsNoHandle) {
    const CHandle file(CreateFileA("C:\\no such folder\\no such file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
    EXPECT_FALSE(file.IsValid());
    const CHandle process(OpenProcess(SYNCHRONIZE, FALSE, 0));
    EXPECT_FALSE(process.IsValid());
}

// A search is ended by FindClose, which CloseHandle does not do.
TEST(UniqueHandle, ASearchOwnerEndsItsSearchAndAFailedOneHoldsNone) {
    wchar_t system[MAX_PATH] = {};
    ASSERT_NE(0u, GetSystemDirectoryW(system, MAX_PATH));
    const std::wstring pattern = std::wstring(system) + L"\\*";
    WIN32_FIND_DATAW found = {};
    CFindHandle search(FindFirstFileW(pattern.c_str(), &found));
    ASSERT_TRUE(search.IsValid());
    const HANDLE handle = search.GetHandle();
    EXPECT_TRUE(FindNextFileW(handle, &found));
    search.Close();
    EXPECT_FALSE(FindNextFileW(handle, &found));

    const CFindHandle none(FindFirstFileW(L"C:\\no such folder\\*", &found));
    EXPECT_FALSE(none.IsValid());
}

}  // namespace
