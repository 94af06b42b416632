#pragma once

#include "framework/MessageMap.h"
#include "framework/Object.h"

// The root of the classes with an event table.
class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)

public:
    // The first row, searching this class's table and then its bases',
    // for the event; null when none matches.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT code, UINT id) const;

    // Runs the handler for a command (code BN_CLICKED and the like) or a
    // command-update request (CN_UPDATE_COMMAND_UI, `extra` the CCmdUI);
    // false when the table has none.
    bool OnCmdMsg(UINT id, UINT code, void* extra);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};
