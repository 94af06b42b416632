#include "app/PrefixEdit.h"

#include "app/PrefixListCtrl.h"

void CPrefixEdit::ExplainRefusal(const CPrefixListCtrl& table, const char* url)
{
    // An empty field or an empty URL needs no word; a name the rules refuse does.
    const CString prefix = GetWindowText();
    const std::string why = prefix.IsEmpty() ? std::string() : CPrefixRules::Reason(table.Judge(prefix, url));
    if (why.empty())
        m_refusal.Hide();
    else
        m_refusal.Show(*this, why.c_str());
}
