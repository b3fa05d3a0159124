#pragma once

#include "framework/CmdTarget.h"

#include <functional>

class QWidget;

constexpr long WS_VISIBLE = 0x10000000L;
constexpr int SW_SHOWMAXIMIZED = 3;

// Window behaviour shared by the frame and the view: invalidation, client
// geometry, capture, and handing a window message to its message-map handler
// with the platform's default processing available through Default().
class CWnd : public CCmdTarget {
public:
    virtual QWidget* GetWidget() = 0;
    const QWidget* GetWidget() const { return const_cast<CWnd*>(this)->GetWidget(); }

    void Invalidate(BOOL bErase = TRUE);
    virtual void InvalidateRect(const CRect* rect, BOOL bErase = TRUE);
    void UpdateWindow();
    BOOL ShowWindow(int nCmdShow);
    void GetClientRect(CRect* rect) const;
    void ClientToScreen(CPoint* point) const;
    void ClientToScreen(CRect* rect) const;
    void SetCapture();

protected:
    // The platform's own handling of the message now being dispatched, and its result.
    LRESULT Default();

    // Calls the handler bound to `message`, or the default when none is.
    // Returns whether a handler ran.
    bool DispatchMouse(UINT message, UINT flags, CPoint point, const std::function<void()>& base);
    bool DispatchKey(UINT message, UINT nChar, UINT repeat, UINT flags, const std::function<void()>& base);
    bool DispatchVoid(UINT message, const std::function<void()>& base);
    // Whether the wheel was used: the handler's answer, or the default's when
    // no handler is bound.
    BOOL DispatchWheel(UINT flags, short delta, CPoint point, const std::function<LRESULT()>& base);

private:
    // The row binding `message` to a handler of kind `sig`, or null.
    const AFX_MSGMAP_ENTRY* FindHandler(UINT message, AfxSig sig) const;
    bool Dispatch(UINT message, AfxSig sig, const std::function<void()>& base,
                  const std::function<void(const AfxHandler&)>& call);
    // Runs `call` on the row's handler with `base` as what Default() does
    // meanwhile, or `base` alone without a row; the result of whichever ran.
    LRESULT CallHandler(const AFX_MSGMAP_ENTRY* row, const std::function<LRESULT()>& base,
                        const std::function<LRESULT(const AfxHandler&)>& call);

    std::function<LRESULT()> m_default;
};

void ReleaseCapture();
