#include "text/SystemText.h"

#include "registry/Win32Exception.h"

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

std::string SystemErrorText(DWORD error)
{
    std::string text = OneLine(Tessaly::CWin32Exception::ErrorText(error));
    while (!text.empty() && (text.back() == '.' || text.back() == ' '))
        text.pop_back();
    return text;
}
