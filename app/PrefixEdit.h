#pragma once

#include "framework/BalloonTip.h"
#include "framework/Edit.h"

class CPrefixListCtrl;

// The prefix field, which says in a balloon why the rules refuse the name
// typed, as Windows says it of a file name, until the name can be taken.
class CPrefixEdit : public CEdit {
public:
    // After the text changed; the URL typed decides only whether there is one.
    void ExplainRefusal(const CPrefixListCtrl& table, const char* url);
    void HideRefusal() { m_refusal.Hide(); }

private:
    CBalloonTip m_refusal;
};
