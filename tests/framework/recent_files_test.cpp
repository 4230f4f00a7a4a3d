// The recent-files list: its order, limit and repeats, and how a menu shows it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/recent_files.h"
#include "tests/framework/app_environment.h"

namespace {

using Casement::CMenu;
using Casement::CRecentFiles;
using Casement::IDW_FILE_MRU_FILE1;

std::vector<std::string> Entries(const CRecentFiles& files) {
    std::vector<std::string> entries;
    for (const Casement::CString& entry : files.GetEntries())
        entries.emplace_back(entry.c_str());
    return entries;
}

std::vector<std::string> ItemTexts(const CMenu& menu) {
    std::vector<std::string> texts;
    for (int position = 0; position < menu.GetMenuItemCount(); ++position)
        texts.emplace_back(menu.GetMenuString(static_cast<UINT>(position), MF_BYPOSITION).c_str());
    return texts;
}

TEST(RecentFiles, NewestFirstWithoutRepeatsWithinTheLimit) {
    CRecentFiles files(4);
    files.Add("C:\\a.txt");
    files.Add("C:\\b.txt");
    files.Add("C:\\c.txt");
    files.Add("c:\\A.TXT");  // the same file in other case moves up, as last given
    EXPECT_EQ((std::vector<std::string>{"c:\\A.TXT", "C:\\c.txt", "C:\\b.txt"}), Entries(files));
    files.Add("C:\\d.txt");
    files.Add("C:\\e.txt");  // past the limit the oldest drops off
    EXPECT_EQ((std::vector<std::string>{"C:\\e.txt", "C:\\d.txt", "c:\\A.TXT", "C:\\c.txt"}), Entries(files));
    EXPECT_EQ("4 C:\\c.txt", files.GetMenuText(3));

    CRecentFiles stored(2);
    for (const char* path : {"C:\\x.txt", "C:\\y.txt", "C:\\z.txt"})
        stored.Append(path);
    EXPECT_EQ((std::vector<std::string>{"C:\\x.txt", "C:\\y.txt"}), Entries(stored));

    CRecentFiles none(0);
    none.Add("C:\\a.txt");
    EXPECT_TRUE(none.GetEntries().empty());

    // The menu has ids for MAX_MRU entries, so no list grows longer.
    CRecentFiles many(Casement::MAX_MRU + 4);
    for (UINT number = 0; number < Casement::MAX_MRU + 4; ++number)
        many.Add(("C:\\" + std::to_string(number)).c_str());
    EXPECT_EQ(Casement::MAX_MRU, many.GetEntries().size());
}

TEST(RecentFiles, MenuShowsTheCurrentEntriesInPlaceOfThePlaceholder) {
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, 1, "Open");
    menu.AppendMenu(MF_STRING, IDW_FILE_MRU_FILE1, "Recent files");
    menu.AppendMenu(MF_STRING, 2, "Exit");

    CRecentFiles files(4);
    for (const char* path : {"C:\\a.txt", "C:\\b.txt", "C:\\c.txt"})
        files.Add(path);
    ASSERT_TRUE(files.ShowInMenu(menu));
    EXPECT_EQ((std::vector<std::string>{"Open", "1 C:\\c.txt", "2 C:\\b.txt", "3 C:\\a.txt", "Exit"}),
              ItemTexts(menu));
    EXPECT_EQ(IDW_FILE_MRU_FILE1 + 2, menu.GetMenuItemID(3));

    // An empty list leaves none of the older items behind and grays the
    // placeholder; the next entry enables it again.
    ASSERT_TRUE(CRecentFiles(4).ShowInMenu(menu));
    EXPECT_EQ(3, menu.GetMenuItemCount());
    EXPECT_TRUE(menu.GetMenuState(IDW_FILE_MRU_FILE1, MF_BYCOMMAND) & MF_GRAYED);
    CRecentFiles one(4);
    one.Add("C:\\d.txt");
    ASSERT_TRUE(one.ShowInMenu(menu));
    EXPECT_EQ((std::vector<std::string>{"Open", "1 C:\\d.txt", "Exit"}), ItemTexts(menu));
    EXPECT_FALSE(menu.GetMenuState(IDW_FILE_MRU_FILE1, MF_BYCOMMAND) & MF_GRAYED);

    CMenu withoutPlaceholder;
    ASSERT_TRUE(withoutPlaceholder.CreatePopupMenu());
    withoutPlaceholder.AppendMenu(MF_STRING, 1, "Open");
    EXPECT_FALSE(files.ShowInMenu(withoutPlaceholder));
    EXPECT_EQ((std::vector<std::string>{"Open"}), ItemTexts(withoutPlaceholder));
}

}  // namespace
