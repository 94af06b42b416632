#include "app/Description.h"

#include "res/resource.h"

const int CDescription::kOnlineButton = IDC_ONLINE;

namespace {

const char kGeneralText[] =
    "Use this tool to customize prefixes for the address bar of Internet Explorer. For "
    "example, if you have a search prefix for Google called \"google\", then you can type "
    "\"google moon\" to search for \"moon\" at Google.";
const char kPrefixText[] = "Enter the prefix that you want to use.";
const char kUrlText[] =
    "Enter the search URL that you want to assign to the prefix. In the URL, %s will be "
    "replaced by the search string.";
const char kOnlineText[] =
    "At the Quillory web site you can get help and more search URLs. You can also make a "
    "donation to support further development.";

} // namespace

const char* CDescription::For(HWND focus, HWND prefixEdit, HWND urlCombo, int code)
{
    if (code == kOnlineButton)
        return kOnlineText;
    if (focus != nullptr && focus == prefixEdit)
        return kPrefixText;
    // The focus is in the combo box's own edit box.
    if (focus != nullptr && ::GetParent(focus) == urlCombo)
        return kUrlText;
    return kGeneralText;
}
