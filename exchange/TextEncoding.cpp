#include "exchange/TextEncoding.h"

#include "registry/ProcessCodePage.h"

#include <cstring>

UINT SystemAnsiCodePage()
{
    UINT codePage = 0;
    int got = ::GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT,
                               LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                               reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(WCHAR));
    return got != 0 && codePage != 0 ? codePage : 1252;
}

bool ToWide(const char* bytes, size_t size, UINT codePage, DWORD flags, std::wstring& text)
{
    text.clear();
    if (size == 0)
        return true;
    int length = ::MultiByteToWideChar(codePage, flags, bytes, static_cast<int>(size), nullptr, 0);
    if (length == 0)
        return false;
    text.resize(static_cast<size_t>(length));
    ::MultiByteToWideChar(codePage, flags, bytes, static_cast<int>(size), &text[0], length);
    return true;
}

bool FromUtf16(const char* bytes, size_t size, std::wstring& text)
{
    if (size % sizeof(wchar_t) != 0)
        return false;
    text.resize(size / sizeof(wchar_t));
    if (size != 0)
        std::memcpy(&text[0], bytes, size);
    return true;
}

std::wstring WideFromUtf8(const std::string& utf8)
{
    std::wstring wide;
    ToWide(utf8.data(), utf8.size(), CP_UTF8, 0, wide);
    return wide;
}

bool FromUtf8(const std::string& utf8, std::wstring& text)
{
    return ToWide(utf8.data(), utf8.size(), CP_UTF8, MB_ERR_INVALID_CHARS, text);
}

std::string Utf8FromWide(const std::wstring& wide)
{
    if (wide.empty())
        return std::string();
    int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], length,
                          nullptr, nullptr);
    return utf8;
}

bool DecodeText(const std::string& bytes, std::wstring& text)
{
    if (bytes.compare(0, 2, "\xFF\xFE") == 0)
        return FromUtf16(bytes.data() + 2, bytes.size() - 2, text);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return ToWide(bytes.data() + 3, bytes.size() - 3, CP_UTF8, MB_ERR_INVALID_CHARS, text);
    return ToWide(bytes.data(), bytes.size(), CP_UTF8, MB_ERR_INVALID_CHARS, text) ||
           ToWide(bytes.data(), bytes.size(), SystemAnsiCodePage(), 0, text);
}

bool NarrowText(const std::wstring& wide, CString& text)
{
    std::string narrow;
    if (!Tessaly::NarrowExactly(wide, narrow))
        return false;
    text = narrow.c_str();
    return true;
}

std::wstring TrimLeft(const std::wstring& text)
{
    size_t start = text.find_first_not_of(L" \t");
    return start == std::wstring::npos ? std::wstring() : text.substr(start);
}

std::wstring TrimRight(const std::wstring& text)
{
    size_t end = text.find_last_not_of(L" \t");
    return end == std::wstring::npos ? std::wstring() : text.substr(0, end + 1);
}

std::wstring Trimmed(const std::wstring& text)
{
    return TrimLeft(TrimRight(text));
}

std::wstring LowerCase(const std::wstring& text)
{
    std::wstring lower = text;
    if (!lower.empty())
        ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE | LCMAP_LINGUISTIC_CASING, text.c_str(),
                        static_cast<int>(text.size()), &lower[0], static_cast<int>(lower.size()), nullptr,
                        nullptr, 0);
    return lower;
}
