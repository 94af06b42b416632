#include "cli/ConsoleStream.h"

#include "registry/ProcessCodePage.h"

#include <algorithm>

CConsoleStream::CConsoleStream(DWORD stdHandle) : m_handle(::GetStdHandle(stdHandle))
{
    DWORD mode = 0;
    m_console = m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(m_handle, &mode);
}

void CConsoleStream::Write(const std::wstring& text) const
{
    if (m_handle == nullptr || m_handle == INVALID_HANDLE_VALUE)
        return;
    if (m_console) {
        // In pieces: older consoles refuse one large write.
        const size_t kPiece = 8192;
        for (size_t at = 0; at < text.size(); at += kPiece) {
            DWORD written = 0;
            DWORD length = static_cast<DWORD>(std::min(kPiece, text.size() - at));
            if (!::WriteConsoleW(m_handle, text.data() + at, length, &written, nullptr))
                return;
        }
        return;
    }
    const std::string bytes = Tessaly::Narrow(text, CP_UTF8);
    for (size_t at = 0; at < bytes.size();) {
        DWORD written = 0;
        DWORD length = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, 1u << 20));
        if (!::WriteFile(m_handle, bytes.data() + at, length, &written, nullptr) || written == 0)
            return;  // a closed pipe: nobody reads the rest
        at += written;
    }
}

void CConsoleStream::WriteLine(const std::string& text) const
{
    std::wstring line;
    for (wchar_t c : Tessaly::Widen(text.c_str()) + L"\n") {
        if (c == L'\n' && (line.empty() || line.back() != L'\r'))
            line += L'\r';
        line += c;
    }
    Write(line);
}
