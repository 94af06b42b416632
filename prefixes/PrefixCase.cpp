#include "prefixes/PrefixCase.h"

#include "registry/ProcessCodePage.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

void UpperCaseAscii(char* character, int length)
{
    if (length == 1 && *character >= 'a' && *character <= 'z')
        *character = static_cast<char>(*character - 'a' + 'A');
}

// How many bytes the character at `bytes` takes, at most `remaining`: a
// lead byte and its trail byte in a double-byte code page, a whole sequence
// in UTF-8.
int CharacterLength(const char* bytes, int remaining, UINT codePage)
{
    BYTE lead = static_cast<BYTE>(*bytes);
    int length = 1;
    if (codePage == CP_UTF8)
        length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    else if (::IsDBCSLeadByteEx(codePage, lead))
        length = 2;
    return std::min(length, remaining);
}

// Upper-cases the `length` bytes at `character` (one character) in place,
// when its upper-case form has the same number of bytes. False when the
// bytes are no character of the code page.
bool UpperCaseCharacter(char* character, int length, UINT codePage)
{
    WCHAR wide[2];
    int wideLength = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, character, length,
                                           wide, 2);
    if (wideLength == 0)
        return false;

    WCHAR upper[2];
    // The invariant locale, so that i becomes I in every user's locale.
    if (::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide, wideLength, upper, 2) != wideLength)
        return false;

    std::string bytes;
    if (Tessaly::NarrowExactly(std::wstring(upper, static_cast<size_t>(wideLength)), bytes, codePage) &&
        bytes.size() == static_cast<size_t>(length))
        std::memcpy(character, bytes.data(), bytes.size());
    return true;
}

} // namespace

CString UpperCasePrefix(const char* text, UINT codePage)
{
    if (codePage == CP_ACP)
        codePage = ::GetACP();  // to tell UTF-8 apart
    CString result(text);
    int length = result.GetLength();
    char* bytes = result.GetBuffer(length);
    for (int i = 0; i < length;) {
        // ASCII is ASCII in every code page, and a to z its only letters: no
        // call to the system for the names most prefixes have.
        if (static_cast<BYTE>(bytes[i]) < 0x80) {
            UpperCaseAscii(bytes + i++, 1);
            continue;
        }
        int characterLength = CharacterLength(bytes + i, length - i, codePage);
        if (!UpperCaseCharacter(bytes + i, characterLength, codePage)) {
            // Not a character of the code page, or no tables for it: only a
            // to z are mapped. A broken UTF-8 sequence goes byte by byte, as
            // letters may follow its lead byte; a double-byte pair stays one,
            // as its trail byte is no letter even where it looks like one.
            if (codePage == CP_UTF8)
                characterLength = 1;
            UpperCaseAscii(bytes + i, characterLength);
        }
        i += characterLength;
    }
    result.ReleaseBuffer(length);
    return result;
}
