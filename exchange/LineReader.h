#pragma once

#include <string>

// The lines of a text, ended by CR LF, LF or CR alone, as files written on
// any system have them.
class CLineReader {
public:
    explicit CLineReader(const std::wstring& text) : m_text(text) {}

    bool Next(std::wstring& line)
    {
        if (m_position >= m_text.size())
            return false;
        size_t end = m_text.find_first_of(L"\r\n", m_position);
        if (end == std::wstring::npos)
            end = m_text.size();
        line.assign(m_text, m_position, end - m_position);
        m_position = end + 1;
        if (end < m_text.size() && m_text[end] == L'\r' && m_position < m_text.size() &&
            m_text[m_position] == L'\n')
            ++m_position;
        return true;
    }
    size_t Position() const { return m_position; }
    void Rewind(size_t position) { m_position = position; }

private:
    const std::wstring& m_text;
    size_t m_position = 0;
};
