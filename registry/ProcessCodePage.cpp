#include "registry/ProcessCodePage.h"

#include <algorithm>
#include <cstring>

namespace Tessaly {

namespace {

// The process's own code page and UTF-8 keep ASCII as it is, so ASCII text,
// most names and URLs, needs no conversion by the system. A NUL within is
// left to the system: a narrow text ends there.
bool KeepsAscii(UINT codePage)
{
    return codePage == CP_ACP || codePage == CP_UTF8;
}

template <typename Char>
bool IsAscii(const Char* text, size_t length)
{
    return std::all_of(text, text + length, [](Char c) { return c > 0 && c < 0x80; });
}

} // namespace

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
    if (KeepsAscii(codePage) && IsAscii(text.c_str(), text.size()))
        return std::string(text.begin(), text.end());
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
    if (KeepsAscii(codePage) && IsAscii(text.c_str(), text.size())) {
        narrow.assign(text.begin(), text.end());
        return true;
    }
    std::string converted = Narrow(text, codePage);
    if (Widen(converted.c_str(), codePage) != text)
        return false;
    narrow = converted;
    return true;
}

std::wstring Widen(const char* text, UINT codePage)
{
    if (text == nullptr)
        return std::wstring();
    size_t bytes = std::strlen(text);
    if (KeepsAscii(codePage) && IsAscii(text, bytes))
        return std::wstring(text, text + bytes);
    int length = ::MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (length <= 1)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, text, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length) - 1);  // without the terminator
    return wide;
}

} // namespace Tessaly
