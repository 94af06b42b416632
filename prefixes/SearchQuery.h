#pragma once

#include "framework/String.h"

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

    // The template with every %s replaced by the query, the replacements
    // applied to it; a template without %s stands as it is.
    static CString Expand(const char* urlTemplate, const char* query);
    // Whether the template has a place for the query, a %s.
    static bool HasQueryPlace(const std::wstring& urlTemplate);
    // A template the table holds and the browser can use: any that is not
    // empty.
    static bool IsUsableTemplate(const char* urlTemplate);
    // Only these may be handed to the shell: anything else could start a
    // program or open a file. http:// or https://, in any case.
    static bool IsWebAddress(const char* url);
    static bool IsWebAddress(const std::wstring& url);
};
