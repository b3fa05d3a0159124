#pragma once

#include "framework/AfxTypes.h"
#include "framework/CRect.h"

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

// A row's handler is a plain function made for that row: it turns the target
// back into the class that declared the row and calls the member function.
union AfxHandler {
    void (*command)(CCmdTarget*);
    void (*updateUI)(CCmdTarget*, CCmdUI*);
    int (*create)(CCmdTarget*, CREATESTRUCT&);
    void (*mouse)(CCmdTarget*, UINT, CPoint);
    void (*key)(CCmdTarget*, UINT, UINT, UINT);
    BOOL (*wheel)(CCmdTarget*, UINT, short, CPoint);
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

template <class MemberFn>
struct Thunk;

// Calling the member through a pointer to its own class (T or a base of T)
// keeps the call well-formed whatever T's other bases are.
template <class Declarer, class R, class... Args>
struct Thunk<R (Declarer::*)(Args...)> {
    template <class T, auto Fn>
    static R Call(CCmdTarget* target, Args... args)
    {
        return (static_cast<T*>(target)->*Fn)(args...);
    }
};

// The handler of a row of T's map; a member of the wrong signature for the
// row does not convert to the row's function pointer type.
template <class T, auto Fn>
constexpr auto ThunkOf = &Thunk<decltype(Fn)>::template Call<T, Fn>;

template <class T, auto Fn>
AFX_MSGMAP_ENTRY CommandEntry(UINT id)
{
    AFX_MSGMAP_ENTRY e{CommandMessage, id, AfxSig::Command, {}};
    e.handler.command = ThunkOf<T, Fn>;
    return e;
}
template <class T, auto Fn>
AFX_MSGMAP_ENTRY UpdateEntry(UINT id)
{
    AFX_MSGMAP_ENTRY e{UpdateMessage, id, AfxSig::UpdateUI, {}};
    e.handler.updateUI = ThunkOf<T, Fn>;
    return e;
}
template <class T, auto Fn>
AFX_MSGMAP_ENTRY CreateEntry()
{
    AFX_MSGMAP_ENTRY e{WM_CREATE, 0, AfxSig::Create, {}};
    e.handler.create = ThunkOf<T, Fn>;
    return e;
}
template <class T, auto Fn>
AFX_MSGMAP_ENTRY VoidEntry(UINT message)
{
    AFX_MSGMAP_ENTRY e{message, 0, AfxSig::Void, {}};
    e.handler.command = ThunkOf<T, Fn>;
    return e;
}
template <class T, auto Fn>
AFX_MSGMAP_ENTRY MouseEntry(UINT message)
{
    AFX_MSGMAP_ENTRY e{message, 0, AfxSig::Mouse, {}};
    e.handler.mouse = ThunkOf<T, Fn>;
    return e;
}
template <class T, auto Fn>
AFX_MSGMAP_ENTRY KeyEntry(UINT message)
{
    AFX_MSGMAP_ENTRY e{message, 0, AfxSig::Key, {}};
    e.handler.key = ThunkOf<T, Fn>;
    return e;
}
template <class T, auto Fn>
AFX_MSGMAP_ENTRY WheelEntry()
{
    AFX_MSGMAP_ENTRY e{WM_MOUSEWHEEL, 0, AfxSig::Wheel, {}};
    e.handler.wheel = ThunkOf<T, Fn>;
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

#define ON_COMMAND(id, memberFxn) afx::CommandEntry<ThisClass, memberFxn>(id),
#define ON_UPDATE_COMMAND_UI(id, memberFxn) afx::UpdateEntry<ThisClass, memberFxn>(id),
#define ON_WM_CREATE() afx::CreateEntry<ThisClass, &ThisClass::OnCreate>(),
#define ON_WM_CLOSE() afx::VoidEntry<ThisClass, &ThisClass::OnClose>(WM_CLOSE),
#define ON_WM_LBUTTONDOWN() afx::MouseEntry<ThisClass, &ThisClass::OnLButtonDown>(WM_LBUTTONDOWN),
#define ON_WM_LBUTTONUP() afx::MouseEntry<ThisClass, &ThisClass::OnLButtonUp>(WM_LBUTTONUP),
#define ON_WM_MOUSEMOVE() afx::MouseEntry<ThisClass, &ThisClass::OnMouseMove>(WM_MOUSEMOVE),
#define ON_WM_RBUTTONDOWN() afx::MouseEntry<ThisClass, &ThisClass::OnRButtonDown>(WM_RBUTTONDOWN),
#define ON_WM_MBUTTONDOWN() afx::MouseEntry<ThisClass, &ThisClass::OnMButtonDown>(WM_MBUTTONDOWN),
#define ON_WM_MBUTTONUP() afx::MouseEntry<ThisClass, &ThisClass::OnMButtonUp>(WM_MBUTTONUP),
#define ON_WM_KEYDOWN() afx::KeyEntry<ThisClass, &ThisClass::OnKeyDown>(WM_KEYDOWN),
#define ON_WM_MOUSEWHEEL() afx::WheelEntry<ThisClass, &ThisClass::OnMouseWheel>(),

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
