#pragma once

#include "prefixes/PrefixListCtrl.h"

#include <string>
#include <vector>

// Takes the store's message boxes while it lives, recording them instead of
// showing a modal box. Record also stands in for MessageBoxA itself.
class MessageRecorder {
public:
    struct Message {
        HWND owner;
        std::string text;
        std::string caption;
        UINT style;
    };

    MessageRecorder()
    {
        Messages().clear();
        CPrefixListCtrl::s_messageBox = &Record;
    }
    ~MessageRecorder() { CPrefixListCtrl::s_messageBox = &::MessageBoxA; }
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
};
