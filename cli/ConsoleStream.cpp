#include "cli/ConsoleStream.h"

#include "exchange/TextEncoding.h"
#include "registry/ProcessCodePage.h"

#include <algorithm>

CConsoleStream::CConsoleStream(DWORD stdHandle) : m_handle(::GetStdHandle(stdHandle))
{
    DWORD mode = 0;
    m_console = m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(m_handle, &mode);
}

DWORD CConsoleStream::Write(const std::wstring& text) const
{
    if (m_handle == nullptr || m_handle == INVALID_HANDLE_VALUE)
        return ERROR_INVALID_HANDLE;
    if (m_console) {
        // In pieces: older consoles refuse one large write.
        const size_t kPiece = 8192;
        for (size_t at = 0; at < text.size(); at += kPiece) {
            DWORD written = 0;
            DWORD length = static_cast<DWORD>(std::min(kPiece, text.size() - at));
            if (!::WriteConsoleW(m_handle, text.data() + at, length, &written, nullptr))
                return ::GetLastError();
        }
        return 0;
    }
    return WriteBytes(Tessaly::Narrow(text, CP_UTF8));
}

DWORD CConsoleStream::WriteBytes(const std::string& bytes) const
{
    std::wstring text;
    if (m_console && DecodeText(bytes, text))
        return Write(text);
    for (size_t at = 0; at < bytes.size();) {
        DWORD written = 0;
        DWORD length = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, 1u << 20));
        if (!::WriteFile(m_handle, bytes.data() + at, length, &written, nullptr))
            return ::GetLastError();  // a full disk, or a closed pipe: nobody reads the rest
        if (written == 0)
            return ERROR_WRITE_FAULT;
        at += written;
    }
    return 0;
}

void CConsoleStream::WriteLine(const std::string& text) const
{
    Write(WithWindowsLineEnds(Tessaly::Widen(text.c_str()) + L"\n"));
}

std::wstring CConsoleStream::WithWindowsLineEnds(const std::wstring& text)
{
    std::wstring lines;
    for (wchar_t c : text) {
        if (c == L'\n' && (lines.empty() || lines.back() != L'\r'))
            lines += L'\r';
        lines += c;
    }
    return lines;
}
