// The self-wiping string: what it lets go of holds no trace of the secret.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "crypto/wipe.h"

namespace {

// A short text lives inside the string object itself, so the buffer a moved-
// from string keeps can be read: moving copies the bytes, and the source's
// copy must be wiped.
TEST(SecretString, MovingLeavesTheSourceEmptyAndWiped) {
    SecretString source(std::string_view("pw 1234"));
    const char* buffer = source.c_str();
    SecretString moved(std::move(source));
    EXPECT_EQ("pw 1234", moved.View());
    EXPECT_TRUE(source.empty());
    EXPECT_EQ(std::string(7, '\0'), std::string(buffer, 7));

    SecretString target(std::string_view("old"));
    const char* targetBuffer = target.c_str();
    target = SecretString(std::string_view("n"));
    EXPECT_EQ("n", target.View());
    EXPECT_EQ(std::string("n\0\0", 3), std::string(targetBuffer, 3));
}

TEST(SecretString, TruncateWipesTheCutOffBytesAndCopiesAreIndependent) {
    SecretString text = SecretString::OfLength(9);
    std::char_traits<char>::copy(text.data(), "secret\0\0", 9);
    const char* buffer = text.c_str();
    text.Truncate(3);
    EXPECT_EQ("sec", text.View());
    EXPECT_EQ(std::string("sec\0\0\0", 6), std::string(buffer, 6));

    SecretString copy = text.Copy();
    text = SecretString();
    EXPECT_EQ("sec", copy.View());
    EXPECT_TRUE(text.empty());
}

}  // namespace
