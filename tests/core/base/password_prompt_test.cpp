#include <gtest/gtest.h>

#include "core/base/services.h"

namespace tunecrest {
namespace {

TEST(PasswordPrompt, WholeTextWithoutRegardToCase)
{
    EXPECT_TRUE(PasswordMatches("Secret", "secret"));
    EXPECT_TRUE(PasswordMatches("Secret", "SECRET"));
    EXPECT_FALSE(PasswordMatches("Secret", "Sec"));       // a prefix is not the password
    EXPECT_FALSE(PasswordMatches("Secret", "Secret1"));   // nor is more after it
    EXPECT_FALSE(PasswordMatches("Secret", ""));
    EXPECT_FALSE(PasswordMatches("Secret", "Secre t"));
}

TEST(PasswordPrompt, DefaultPromptAsksNobodyAndRefusesAPassword)
{
    Tprompt quiet;
    EXPECT_TRUE(quiet.CheckPassword("", "Enter the party-play password"));
    EXPECT_FALSE(quiet.CheckPassword("secret", "Enter the party-play password"));
}

}  // namespace
}  // namespace tunecrest
