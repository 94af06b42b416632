#pragma once

#include "text/String.h"

#include <string>

// What the browser does with the words typed after a prefix: the characters
// it replaces in them, and the address it opens.
class CSearchQuery {
public:
    struct Replacement {
        const char* character;
        const char* text;
    };
    // Stored beside every URL template, where the browser reads them.
    static const Replacement kReplacements[4];

    // Where a template takes the query: %s, narrow or wide.
    template <class Text>
    static Text QueryPlace() { return Text{'%', 's'}; }
    // The template with every query place replaced by `text`.
    template <class Text>
    static Text WithQuery(Text url, const Text& text)
    {
        const Text place = QueryPlace<Text>();
        for (size_t at = url.find(place); at != Text::npos; at = url.find(place, at + text.size()))
            url.replace(at, place.size(), text);
        return url;
    }
    // The template with the query in its places, the replacements applied
    // to it, as the browser opens it; a template without %s stands as it is.
    static CString Expand(const char* urlTemplate, const char* query);
    static bool HasQueryPlace(const std::wstring& urlTemplate);
    // Only these may be handed to the shell: anything else could start a
    // program or open a file. http:// or https://, in any case.
    static bool IsWebAddress(const char* url);
    static bool IsWebAddress(const std::wstring& url);
};
