#pragma once

#include "framework/AfxTypes.h"

class CCmdTarget;

// The enable state of one menu item, button or key while its update handler
// runs. A command that nobody handles counts as disabled.
class CCmdUI {
public:
    explicit CCmdUI(UINT id) : m_nID(id) {}
    virtual ~CCmdUI() = default;

    virtual void Enable(BOOL bOn = TRUE);

    // Asks the routing chain starting at `target` and settles the state.
    void DoUpdate(CCmdTarget* target);

    UINT m_nID;
    BOOL m_bEnabled = FALSE;
    BOOL m_bEnableChanged = FALSE;
};
