#include "PasswordRules.h"

#include <gtest/gtest.h>

namespace {

using PasswordRules::Fault;

TEST(PasswdRules, EnteredPasswordMustBeTypedAndFreeOfBlanks)
{
    EXPECT_EQ(PasswordRules::checkEntry(QString()), PasswordRules::Empty);
    EXPECT_EQ(PasswordRules::checkEntry(QStringLiteral("secret")), PasswordRules::Ok);
    for (const char* bad : {"secret ", " secret", "sec ret", "secret\t", "\n"})
        EXPECT_EQ(PasswordRules::checkEntry(QString::fromLatin1(bad)), PasswordRules::Blank) << bad;
    // An ideographic space is a blank too.
    EXPECT_EQ(PasswordRules::checkEntry(QStringLiteral("密码\u3000")), PasswordRules::Blank);
    // A lone blank is a blank, not an empty password.
    EXPECT_EQ(PasswordRules::checkEntry(QStringLiteral(" ")), PasswordRules::Blank);
}

TEST(PasswdRules, NewPasswordChecksRunInOrderEmptyMismatchBlank)
{
    EXPECT_EQ(PasswordRules::checkNew(QString(), QStringLiteral("x")), PasswordRules::Empty);
    EXPECT_EQ(PasswordRules::checkNew(QStringLiteral("a b"), QStringLiteral("ab")), PasswordRules::Mismatch);
    EXPECT_EQ(PasswordRules::checkNew(QStringLiteral("a b"), QStringLiteral("a b")), PasswordRules::Blank);
    EXPECT_EQ(PasswordRules::checkNew(QStringLiteral("abc"), QStringLiteral("abc")), PasswordRules::Ok);
    // Letter case counts.
    EXPECT_EQ(PasswordRules::checkNew(QStringLiteral("abc"), QStringLiteral("ABC")), PasswordRules::Mismatch);
}

TEST(PasswdRules, ChangeNeedsTheOldPasswordButDoesNotJudgeIt)
{
    EXPECT_EQ(PasswordRules::checkChange(QString(), QStringLiteral("n"), QStringLiteral("n")), PasswordRules::Empty);
    EXPECT_EQ(PasswordRules::checkChange(QStringLiteral("o"), QStringLiteral("n"), QStringLiteral("m")),
              PasswordRules::Mismatch);
    EXPECT_EQ(PasswordRules::checkChange(QStringLiteral("old one"), QStringLiteral("n"), QStringLiteral("n")),
              PasswordRules::Ok);
}

} // namespace
