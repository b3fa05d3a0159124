#include "framework/CmdTarget.h"

#include "framework/CmdUI.h"

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {AFX_MSGMAP_ENTRY{}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindCommandEntry(UINT id, UINT kind) const
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->baseMap ? map->baseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->entries; e->sig != AfxSig::End; ++e) {
            const bool isCommandRow = e->sig == AfxSig::Command || e->sig == AfxSig::UpdateUI;
            if (isCommandRow && e->message == kind && e->id == id)
                return e;
        }
    }
    return nullptr;
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message) const
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->baseMap ? map->baseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->entries; e->sig != AfxSig::End; ++e) {
            const bool isCommandRow = e->sig == AfxSig::Command || e->sig == AfxSig::UpdateUI;
            if (!isCommandRow && e->message == message)
                return e;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::DispatchCmdMsg(UINT id, CCmdUI* pUI)
{
    if (!pUI) {
        const AFX_MSGMAP_ENTRY* e = FindCommandEntry(id, afx::CommandMessage);
        if (!e)
            return FALSE;
        e->handler.command(this);
        return TRUE;
    }
    if (const AFX_MSGMAP_ENTRY* e = FindCommandEntry(id, afx::UpdateMessage)) {
        e->handler.updateUI(this, pUI);
        return TRUE;
    }
    // A command handler without an update handler leaves the command enabled.
    if (FindCommandEntry(id, afx::CommandMessage)) {
        pUI->Enable(TRUE);
        return TRUE;
    }
    return FALSE;
}

BOOL CCmdTarget::OnCmdMsg(UINT id, CCmdUI* pUI)
{
    return DispatchCmdMsg(id, pUI);
}
