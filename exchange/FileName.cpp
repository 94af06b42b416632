#include "exchange/FileName.h"

#include "registry/IgnoringCase.h"

std::string CFileName::Extension(const std::string& path)
{
    size_t dot = path.find_last_of(".\\/");
    return dot == std::string::npos || path[dot] != '.' ? std::string() : path.substr(dot);
}

bool CFileName::HasExtension(const std::string& path, const char* extension)
{
    return Tessaly::EqualIgnoringCase(Extension(path).c_str(), extension);
}

bool CFileName::IsHtml(const std::string& path)
{
    return HasExtension(path, ".html") || HasExtension(path, ".htm");
}

CFileName::Format CFileName::FormatOf(const std::string& path)
{
    if (HasExtension(path, ".reg"))
        return kReg;
    if (IsHtml(path))
        return kHtml;
    return HasExtension(path, ".json") ? kJson : kUnknown;
}
