#include "prefixes/PrefixCase.h"

#include <cstring>

namespace {

void UpperCaseAscii(char* character, int length)
{
    if (length == 1 && *character >= 'a' && *character <= 'z')
        *character = static_cast<char>(*character - 'a' + 'A');
}

// Upper-cases the `length` bytes at `character` (one character) in place,
// when its upper-case form has the same number of bytes. Where the code
// page cannot convert at all, only a to z are mapped.
void UpperCaseCharacter(char* character, int length, UINT codePage)
{
    WCHAR wide[2];
    int wideLength = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, character, length,
                                           wide, 2);
    if (wideLength == 0)
        return UpperCaseAscii(character, length);

    WCHAR upper[2];
    // The invariant locale, so that i becomes I in every user's locale.
    if (::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide, wideLength, upper, 2) != wideLength)
        return UpperCaseAscii(character, length);

    char bytes[4];
    BOOL usedDefault = FALSE;
    int byteCount = ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, upper, wideLength,
                                          bytes, sizeof bytes, nullptr, &usedDefault);
    if (byteCount == 0)  // UTF-8, for one, refuses these arguments
        return UpperCaseAscii(character, length);
    if (byteCount == length && !usedDefault)
        std::memcpy(character, bytes, static_cast<size_t>(length));
}

} // namespace

CString UpperCasePrefix(const char* text, UINT codePage)
{
    CString result(text);
    int length = result.GetLength();
    char* bytes = result.GetBuffer(length);
    for (int i = 0; i < length;) {
        bool pair = ::IsDBCSLeadByteEx(codePage, static_cast<BYTE>(bytes[i])) && i + 1 < length;
        int characterLength = pair ? 2 : 1;
        UpperCaseCharacter(bytes + i, characterLength, codePage);
        i += characterLength;
    }
    result.ReleaseBuffer(length);
    return result;
}
