#include "PasswordRules.h"

#include <gtest/gtest.h>

namespace {

using PasswordRules::Fault;

TEST(PasswdRules, EnteredPasswordMustBeTypedAndFreeOfBlanks)
{
    EXPECT_EQ(PasswordRules::checkEntry(QString()), PasswordRules::Empty);
    EXPECT_EQ(PasswordRules::checkEntry("secret"), PasswordRules::Ok);
    for (const char* bad : {"secret ", " secret", "sec ret", "secret\t", "\n"})
        EXPECT_EQ(PasswordRules::checkEntry(QString::fromLatin1(bad)), PasswordRules::Blank) << bad;
    // An ideographic space is a blank too.
    EXPECT_EQ(PasswordRules::checkEntry("密码\u3000"), PasswordRules::Blank);
    // A lone blank is a blank, not an empty password.
    EXPECT_EQ(PasswordRules::checkEntry(" "), PasswordRules::Blank);
}

TEST(PasswdRules, NewPasswordChecksRunInOrderEmptyMismatchBlank)
{
    EXPECT_EQ(PasswordRules::checkNew(QString(), "x"), PasswordRules::Empty);
    EXPECT_EQ(PasswordRules::checkNew("a b", "ab"), PasswordRules::Mismatch);
    EXPECT_EQ(PasswordRules::checkNew("a b", "a b"), PasswordRules::Blank);
    EXPECT_EQ(PasswordRules::checkNew("abc", "abc"), PasswordRules::Ok);
    // Letter case counts.
    EXPECT_EQ(PasswordRules::checkNew("abc", "ABC"), PasswordRules::Mismatch);
}

TEST(PasswdRules, ChangeNeedsTheOldPasswordButDoesNotJudgeIt)
{
    EXPECT_EQ(PasswordRules::checkChange(QString(), "n", "n"), PasswordRules::Empty);
    EXPECT_EQ(PasswordRules::checkChange("o", "n", "m"), PasswordRules::Mismatch);
    EXPECT_EQ(PasswordRules::checkChange("old one", "n", "n"), PasswordRules::Ok);
}

} // namespace
