#pragma once

#include "tests/support/ImportTable.h"

#include <string>
#include <vector>

#include <windows.h>

// Takes every message box this executable shows while it lives, recording
// it instead of showing a modal box. Record stands in for MessageBoxA.
class MessageRecorder {
public:
    struct Message {
        HWND owner;
        std::string text;
        std::string caption;
        UINT style;
    };

    MessageRecorder() { Messages().clear(); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    static std::vector<Message>& Messages()
    {
        static std::vector<Message> messages;
        return messages;
    }
    static std::vector<std::string> Texts()
    {
        std::vector<std::string> texts;
        for (const Message& message : Messages())
            texts.push_back(message.text);
        return texts;
    }

    static int WINAPI Record(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
    {
        Messages().push_back({owner, text, caption, style});
        return IDOK;
    }

private:
    ImportSwap m_swap{"user32.dll", "MessageBoxA", reinterpret_cast<void*>(&Record)};
};
