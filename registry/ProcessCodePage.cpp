#include "registry/ProcessCodePage.h"

#include <algorithm>

namespace Tessaly {

DWORD MaxBytesPerCharacter()
{
    // The code page of a process never changes while it runs.
    static const DWORD maxBytes = [] {
        CPINFO info = {};
        return ::GetCPInfo(CP_ACP, &info) ? info.MaxCharSize : 4u;
    }();
    return maxBytes;
}

bool IsSurelyExact(const char* text, size_t length)
{
    static const bool utf8 = ::GetACP() == CP_UTF8;
    static const char replacement[] = "\xEF\xBF\xBD";
    return utf8 && std::search(text, text + length, replacement, replacement + 3) == text + length;
}

std::string Narrow(const std::wstring& text, UINT codePage)
{
    int length = ::WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    if (length > 0)
        ::WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), &narrow[0],
                              length, nullptr, nullptr);
    return narrow;
}

bool NarrowExactly(const std::wstring& text, std::string& narrow, UINT codePage)
{
    std::string converted = Narrow(text, codePage);
    if (Widen(converted.c_str(), codePage) != text)
        return false;
    narrow = converted;
    return true;
}

std::wstring Widen(const char* text, UINT codePage)
{
    int length = ::MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (length <= 1)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, text, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length) - 1);  // without the terminator
    return wide;
}

} // namespace Tessaly
