#include "registry/RegistryKey.h"

#include "tests/support/ImportTable.h"

#include <gtest/gtest.h>

#include <string>

using Tessaly::CRegistryKey;
using Tessaly::CWin32Exception;

namespace {

// The system's own text for a code, or "" when it has none (then
// `lookupFailure` receives the lookup's own error code).
std::string SystemText(DWORD code, DWORD* lookupFailure = nullptr)
{
    char text[512] = {};
    if (::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0, text, 511, nullptr) != 0)
        return text;
    if (lookupFailure != nullptr)
        *lookupFailure = ::GetLastError();
    return "";
}

const DWORD kCodeWithoutText = 0x2BADF00D;

} // namespace

TEST(RegistryExceptions, ConversionFailuresAreRegistryExceptionsWithFixedLocationAndCode)
{
    CRegistryKey::Value::Exception conversion;
    EXPECT_STREQ(conversion.GetLocation(), "CRegistryKey::Value::Exception");
    EXPECT_EQ(conversion.GetErrorCode(), 87u);

    EXPECT_THROW(throw CRegistryKey::Value::Exception(), CRegistryKey::Exception);
    EXPECT_THROW(throw CRegistryKey::Exception("x", 5), CWin32Exception);
    try {
        try {
            throw CRegistryKey::Exception("CRegistryKey::QueryValue()", 2);
        } catch (const CRegistryKey::Value::Exception&) {
            FAIL() << "a conversion handler caught a plain registry failure";
        }
    } catch (const CRegistryKey::Exception& e) {
        EXPECT_STREQ(e.GetLocation(), "CRegistryKey::QueryValue()");
    }
}

TEST(RegistryExceptions, MessageIsTheSystemsTextForTheCode)
{
    CWin32Exception notFound("here", ERROR_FILE_NOT_FOUND);
    std::string expected = SystemText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(notFound.GetErrorMessage(), expected);
    EXPECT_EQ(CWin32Exception::ErrorText(ERROR_FILE_NOT_FOUND), expected);
}

TEST(RegistryExceptions, ACodeWithoutTextGivesTheTextOfTheLookupsOwnFailure)
{
    // Follows the lookup's failure codes to the first one the system has a
    // text for. (Wine has none for "message not found" and answers that
    // lookup with "invalid parameter".)
    std::string expected;
    DWORD code = kCodeWithoutText;
    for (int lookup = 0; lookup < 3 && expected.empty(); ++lookup)
        expected = SystemText(code, &code);
    ASSERT_FALSE(expected.empty());
    ASSERT_NE(code, kCodeWithoutText);
    EXPECT_EQ(CWin32Exception("here", kCodeWithoutText).GetErrorMessage(), expected);
}

TEST(RegistryExceptions, AllMessagesShareOneBuffer)
{
    CWin32Exception first("here", ERROR_FILE_NOT_FOUND);
    CWin32Exception second("there", ERROR_ACCESS_DENIED);
    const char* firstText = first.GetErrorMessage();
    const char* secondText = second.GetErrorMessage();
    EXPECT_EQ(firstText, secondText);
    EXPECT_EQ(std::string(firstText), SystemText(ERROR_ACCESS_DENIED));
}

namespace {

int s_lookups = 0;

DWORD WINAPI FailingFormatMessageA(DWORD, LPCVOID, DWORD, DWORD, LPSTR, DWORD, va_list*)
{
    ++s_lookups;
    ::SetLastError(ERROR_MR_MID_NOT_FOUND);
    return 0;
}

} // namespace

TEST(RegistryExceptions, ALookupThatKeepsFailingEndsWithATextNamingTheCode)
{
    void* original = PatchImport("kernel32.dll", "FormatMessageA",
                                 reinterpret_cast<void*>(&FailingFormatMessageA));
    ASSERT_NE(original, nullptr);
    std::string text = CWin32Exception("here", 12345).GetErrorMessage();
    PatchImport("kernel32.dll", "FormatMessageA", original);

    EXPECT_GE(s_lookups, 2);  // the fallback was tried
    EXPECT_LE(s_lookups, 4);
    EXPECT_NE(text.find("12345"), std::string::npos) << text;
}
