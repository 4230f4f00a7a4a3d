// What the saves ask of files, on real files under Wine.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "image/file_facts.h"
#include "image/paths.h"
#include "tests/e2e/driver.h"

namespace {

// Two files, or a file and bytes in memory, are the same only byte for byte.
TEST(FileFacts, FilesAreIdenticalOnlyByteForByte) {
    const std::string folder = driver::MakeTempFolder("identical");
    const std::string a = folder + "\\a", b = folder + "\\b";
    const std::wstring wideA = FromAnsi(a), wideB = FromAnsi(b);
    const std::string bytes(3 << 20, 'x');  // spans several reads
    const auto held = [](const std::string& text) { return std::vector<std::uint8_t>(text.begin(), text.end()); };
    ASSERT_TRUE(driver::WriteFileBytes(a, bytes));
    ASSERT_TRUE(driver::WriteFileBytes(b, bytes));
    EXPECT_TRUE(FilesAreIdentical(wideA, wideB));
    EXPECT_TRUE(FileHolds(wideB, held(bytes)));
    std::string last = bytes;
    last.back() = 'y';
    ASSERT_TRUE(driver::WriteFileBytes(b, last));
    EXPECT_FALSE(FilesAreIdentical(wideA, wideB));
    EXPECT_FALSE(FileHolds(wideB, held(bytes)));
    ASSERT_TRUE(driver::WriteFileBytes(b, bytes.substr(1)));
    EXPECT_FALSE(FilesAreIdentical(wideA, wideB));
    EXPECT_FALSE(FileHolds(wideB, held(bytes)));
    EXPECT_FALSE(FilesAreIdentical(wideA, FromAnsi(folder + "\\missing")));
    EXPECT_FALSE(FileHolds(FromAnsi(folder + "\\missing"), {}));
}

// The margin is added without wrapping round, even for the largest size.
TEST(FileFacts, RoomToWriteIsNeverFoundForTooMuchOrNowhere) {
    const std::wstring folder = FromAnsi(driver::MakeTempFolder("room"));
    EXPECT_TRUE(HasRoomToWrite(folder, 0));
    EXPECT_FALSE(HasRoomToWrite(folder, ULLONG_MAX));
    EXPECT_FALSE(HasRoomToWrite(folder + L"\\missing", 0));
}

}  // namespace
