#include "text/String.h"

#include "registry/ProcessCodePage.h"
#include "registry/Win32Exception.h"

#include <cstring>

CString::CString(const char* text)
{
    if (text != nullptr && *text != '\0')
        m_data = std::make_shared<std::string>(text);
}

CString::CString(const char* text, int length)
{
    if (text != nullptr && length > 0)
        m_data = std::make_shared<std::string>(text, static_cast<size_t>(length));
}

bool CString::LoadString(UINT id)
{
    *this = CString();
    const wchar_t* resource = nullptr;
    // With no buffer, the length of the resource and a pointer into it.
    int length = ::LoadStringW(::GetModuleHandleW(nullptr), id,
                               reinterpret_cast<wchar_t*>(&resource), 0);
    if (length <= 0 || resource == nullptr)
        return false;
    const std::string text = Tessaly::Narrow(std::wstring(resource, static_cast<size_t>(length)));
    if (text.empty())
        return false;
    *this = CString(text.c_str(), static_cast<int>(text.size()));
    return true;
}

CString LoadText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

namespace {

void FormatStrings(CString& text, UINT id, const char* const* inserts, int count)
{
    CString format = LoadText(id);
    std::string result;
    for (const char* c = format; *c != '\0'; ++c) {
        int index = c[0] == '%' ? c[1] - '1' : -1;
        if (index >= 0 && index < count) {
            result += inserts[index];
            ++c;
        } else {
            result += *c;
        }
    }
    text = result.c_str();
}

} // namespace

void AfxFormatString1(CString& text, UINT id, const char* insert1)
{
    FormatStrings(text, id, &insert1, 1);
}

void AfxFormatString2(CString& text, UINT id, const char* insert1, const char* insert2)
{
    const char* inserts[] = {insert1, insert2};
    FormatStrings(text, id, inserts, 2);
}

std::string FormattedText(UINT id, const char* insert1, const char* insert2)
{
    CString text;
    if (insert2 != nullptr)
        AfxFormatString2(text, id, insert1, insert2);
    else
        AfxFormatString1(text, id, insert1);
    return static_cast<const char*>(text);
}

std::string Counted(int count, UINT one, UINT many)
{
    return FormattedText(count == 1 ? one : many, std::to_string(count).c_str());
}

std::string OneLine(const std::string& text)
{
    std::string line;
    for (char c : text) {
        if (c != '\r' && c != '\n')
            line += c;
        else if (!line.empty() && line.back() != ' ')
            line += ' ';
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

std::wstring ControlsEscaped(const std::wstring& text)
{
    static const wchar_t kShort[] = L"btnvfr";  // 8 to 13, as JSON has them (no \v)
    std::wstring escaped;
    escaped.reserve(text.size());
    for (wchar_t c : text) {
        if (c >= 0x20 && c != 0x7F && !(c >= 0x80 && c <= 0x9F) && c != 0x2028 && c != 0x2029) {
            escaped += c;
        } else if (c >= 8 && c <= 13 && c != 11) {
            escaped += L'\\';
            escaped += kShort[c - 8];
        } else {
            wchar_t code[8];
            ::wsprintfW(code, L"\\u%04x", static_cast<unsigned>(c));
            escaped += code;
        }
    }
    return escaped;
}

std::string ControlsEscaped(const char* text)
{
    return Tessaly::Narrow(ControlsEscaped(Tessaly::Widen(text)));
}

std::string SystemErrorText(DWORD error)
{
    std::string text = OneLine(Tessaly::CWin32Exception::ErrorText(error));
    while (!text.empty() && (text.back() == '.' || text.back() == ' '))
        text.pop_back();
    return text;
}

int CompareInListOrder(const std::wstring& left, const std::wstring& right)
{
    return ::lstrcmpW(left.c_str(), right.c_str());
}

void CString::MakeUnique()
{
    if (!m_data)
        m_data = std::make_shared<std::string>();
    else if (m_data.use_count() > 1)
        m_data = std::make_shared<std::string>(*m_data);
}

char* CString::GetBuffer(int minLength)
{
    MakeUnique();
    if (m_data->size() < static_cast<size_t>(minLength))
        m_data->resize(static_cast<size_t>(minLength));
    return &(*m_data)[0];
}

void CString::ReleaseBuffer(int newLength)
{
    if (!m_data)
        return;
    size_t length = newLength < 0 ? std::strlen(m_data->c_str()) : static_cast<size_t>(newLength);
    m_data->resize(length);
}

bool operator==(const CString& left, const CString& right)
{
    return std::strcmp(left, right) == 0;
}

bool operator==(const CString& left, const char* right)
{
    return std::strcmp(left, right != nullptr ? right : "") == 0;
}

bool operator==(const char* left, const CString& right)
{
    return right == left;
}
