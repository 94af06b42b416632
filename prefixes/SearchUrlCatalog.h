#pragma once

#include "text/StringArray.h"

// The built-in list of known search services: labels for the URL box's
// drop-down list, each with the URL template of that service's search page.
class CSearchUrlCatalog {
public:
    CSearchUrlCatalog();

    // Appends a row, unless the label or URL is empty or the label is present.
    void Add(const char* label, const char* url);
    // The URL of the first row with exactly this label, or "".
    CString Lookup(const char* label) const;

    void Reset() { m_cursor = 0; }
    bool HasNext() const { return m_cursor < m_labels.GetSize(); }
    // The label at the cursor, advancing it; "" once past the end.
    CString Next();

private:
    CStringArray m_labels;
    CStringArray m_urls;
    int m_cursor = 0;
};
