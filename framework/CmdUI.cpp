#include "framework/CmdUI.h"

#include "framework/CmdTarget.h"

void CCmdUI::Enable(BOOL bOn)
{
    m_bEnabled = bOn ? TRUE : FALSE;
    m_bEnableChanged = TRUE;
}

void CCmdUI::DoUpdate(CCmdTarget* target)
{
    m_bEnableChanged = FALSE;
    const bool handled = target && target->OnCmdMsg(m_nID, this);
    if (!handled)
        m_bEnabled = FALSE;
    else if (!m_bEnableChanged)
        m_bEnabled = TRUE;
}
