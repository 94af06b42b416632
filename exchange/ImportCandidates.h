#pragma once

#include "exchange/FoundShortcuts.h"

#include <functional>
#include <string>
#include <vector>

// The search shortcuts found in browser profiles as the rows an import
// offers: each keyword made a prefix as the table makes it, those the table
// refuses left out and counted. Checked at first, for each prefix, its first
// row in the order the profiles were found, when it adds the prefix or
// changes its URL; any other row for the same prefix is not, so that no two
// checked rows fight over one prefix.
class CImportCandidates {
public:
    struct Row {
        CString prefix;
        CString url;
        CString source;
        bool checked;
    };

    // Whether a row would add its prefix or change the prefix's URL.
    using Changes = std::function<bool(const CString& prefix, const CString& url)>;

    CImportCandidates(CFoundShortcuts found, const Changes& changes);

    // By prefix, and for one prefix in the order found.
    const std::vector<Row>& Rows() const { return m_rows; }
    // What was left out and, unless told not to, which profiles could not
    // be read; or that nothing was found, and where it was looked for.
    std::string Summary(bool withUnread = true) const;
    const std::vector<CFoundShortcuts::Unread>& UnreadProfiles() const { return m_found.UnreadProfiles(); }
    // What the import tells once the table has taken the rows chosen.
    static std::string ImportedText(int imported);

private:
    std::vector<Row> m_rows;
    CFoundShortcuts m_found;  // with the refused keywords counted too
};
