#pragma once

#include "text/String.h"

// One search shortcut as a file or a browser holds it: the word typed before
// a query, as its source spells it; the URL template, %s marking the query;
// and where it came from, for a person to read ("Google Chrome: Person 1").
// Texts in the process code page.
struct CShortcut {
    CString prefix;
    CString url;
    CString source;
};
