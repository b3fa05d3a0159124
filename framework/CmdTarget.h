#pragma once

#include "AfxTypes.h"
#include "CRect.h"

class CCmdUI;
struct CREATESTRUCT;

// What a message-map entry's handler looks like.
enum class AfxSig {
    End,
    Command,       // void ()
    UpdateUI,      // void (CCmdUI*)
    Create,        // int (CREATESTRUCT&)
    Void,          // void ()  window message without arguments
    Mouse,         // void (UINT flags, CPoint)
    Key,           // void (UINT nChar, UINT nRepCnt, UINT nFlags)
    Wheel,         // BOOL (UINT flags, short delta, CPoint)
};

class CCmdTarget;

union AfxHandler {
    void (CCmdTarget::*command)();
    void (CCmdTarget::*updateUI)(CCmdUI*);
    int (CCmdTarget::*create)(CREATESTRUCT&);
    void (CCmdTarget::*mouse)(UINT, CPoint);
    void (CCmdTarget::*key)(UINT, UINT, UINT);
    BOOL (CCmdTarget::*wheel)(UINT, short, CPoint);
};

// One row of a class's message map: a window message, or a command id with its
// command or update handler.
struct AFX_MSGMAP_ENTRY {
    UINT message = 0;   // window message, or 0 for command rows
    UINT id = 0;        // command id for command rows
    AfxSig sig = AfxSig::End;
    AfxHandler handler{};
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*baseMap)();
    const AFX_MSGMAP_ENTRY* entries;
};

namespace afx {
constexpr UINT CommandMessage = 0;
constexpr UINT UpdateMessage = 1;

template <class T>
AFX_MSGMAP_ENTRY CommandEntry(UINT id, void (T::*fn)())
{
    AFX_MSGMAP_ENTRY e{CommandMessage, id, AfxSig::Command, {}};
    e.handler.command = static_cast<void (CCmdTarget::*)()>(fn);
    return e;
}
template <class T>
AFX_MSGMAP_ENTRY UpdateEntry(UINT id, void (T::*fn)(CCmdUI*))
{
    AFX_MSGMAP_ENTRY e{UpdateMessage, id, AfxSig::UpdateUI, {}};
    e.handler.updateUI = static_cast<void (CCmdTarget::*)(CCmdUI*)>(fn);
    return e;
}
template <class T>
AFX_MSGMAP_ENTRY CreateEntry(int (T::*fn)(CREATESTRUCT&))
{
    AFX_MSGMAP_ENTRY e{WM_CREATE, 0, AfxSig::Create, {}};
    e.handler.create = static_cast<int (CCmdTarget::*)(CREATESTRUCT&)>(fn);
    return e;
}
template <class T>
AFX_MSGMAP_ENTRY VoidEntry(UINT message, void (T::*fn)())
{
    AFX_MSGMAP_ENTRY e{message, 0, AfxSig::Void, {}};
    e.handler.command = static_cast<void (CCmdTarget::*)()>(fn);
    return e;
}
template <class T>
AFX_MSGMAP_ENTRY MouseEntry(UINT message, void (T::*fn)(UINT, CPoint))
{
    AFX_MSGMAP_ENTRY e{message, 0, AfxSig::Mouse, {}};
    e.handler.mouse = static_cast<void (CCmdTarget::*)(UINT, CPoint)>(fn);
    return e;
}
template <class T>
AFX_MSGMAP_ENTRY KeyEntry(UINT message, void (T::*fn)(UINT, UINT, UINT))
{
    AFX_MSGMAP_ENTRY e{message, 0, AfxSig::Key, {}};
    e.handler.key = static_cast<void (CCmdTarget::*)(UINT, UINT, UINT)>(fn);
    return e;
}
template <class T>
AFX_MSGMAP_ENTRY WheelEntry(UINT message, BOOL (T::*fn)(UINT, short, CPoint))
{
    AFX_MSGMAP_ENTRY e{message, 0, AfxSig::Wheel, {}};
    e.handler.wheel = static_cast<BOOL (CCmdTarget::*)(UINT, short, CPoint)>(fn);
    return e;
}
} // namespace afx

#define DECLARE_MESSAGE_MAP()                               \
protected:                                                  \
    static const AFX_MSGMAP* GetThisMessageMap();           \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                              \
    const AFX_MSGMAP* theClass::GetMessageMap() const                       \
    {                                                                       \
        return GetThisMessageMap();                                         \
    }                                                                       \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                         \
    {                                                                       \
        using ThisClass [[maybe_unused]] = theClass;                        \
        using TheBaseClass = baseClass;                                     \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                   \
            AFX_MSGMAP_ENTRY{}                                              \
        };                                                                  \
        static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, &entries[0]}; \
        return &map;                                                        \
    }

#define ON_COMMAND(id, memberFxn) afx::CommandEntry<ThisClass>(id, memberFxn),
#define ON_UPDATE_COMMAND_UI(id, memberFxn) afx::UpdateEntry<ThisClass>(id, memberFxn),
#define ON_WM_CREATE() afx::CreateEntry<ThisClass>(&ThisClass::OnCreate),
#define ON_WM_CLOSE() afx::VoidEntry<ThisClass>(WM_CLOSE, &ThisClass::OnClose),
#define ON_WM_LBUTTONDOWN() afx::MouseEntry<ThisClass>(WM_LBUTTONDOWN, &ThisClass::OnLButtonDown),
#define ON_WM_LBUTTONUP() afx::MouseEntry<ThisClass>(WM_LBUTTONUP, &ThisClass::OnLButtonUp),
#define ON_WM_MOUSEMOVE() afx::MouseEntry<ThisClass>(WM_MOUSEMOVE, &ThisClass::OnMouseMove),
#define ON_WM_RBUTTONDOWN() afx::MouseEntry<ThisClass>(WM_RBUTTONDOWN, &ThisClass::OnRButtonDown),
#define ON_WM_KEYDOWN() afx::KeyEntry<ThisClass>(WM_KEYDOWN, &ThisClass::OnKeyDown),
#define ON_WM_MOUSEWHEEL() afx::WheelEntry<ThisClass>(WM_MOUSEWHEEL, &ThisClass::OnMouseWheel),

// Base of everything that takes part in command routing. Each class declares a
// static table; lookups walk from the object's own table to its bases' tables.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // Runs the command (pUI null) or its update handler (pUI set) if this
    // target or, for routing classes, the next target in the chain handles it.
    virtual BOOL OnCmdMsg(UINT id, CCmdUI* pUI);

    // The first row for the window message in this object's tables, or null.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message) const;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // Looks only in this object's own tables.
    BOOL DispatchCmdMsg(UINT id, CCmdUI* pUI);

private:
    const AFX_MSGMAP_ENTRY* FindCommandEntry(UINT id, UINT kind) const;
};
