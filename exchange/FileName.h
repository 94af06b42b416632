#pragma once

#include <string>

// What a file's name says of what it holds.
class CFileName {
public:
    enum Format { kUnknown, kReg, kHtml, kJson };

    // The extension with its dot; empty when the name has none.
    static std::string Extension(const std::string& path);
    // Compared as Windows compares names, without regard to case.
    static bool HasExtension(const std::string& path, const char* extension);
    // .html or .htm: a bookmarks file.
    static bool IsHtml(const std::string& path);
    // The format the name tells by its extension.
    static Format FormatOf(const std::string& path);
};
