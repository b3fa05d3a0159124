#pragma once

#include "CmdTarget.h"

#include <functional>

class QWidget;

constexpr long WS_VISIBLE = 0x10000000L;
constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;
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
    long GetStyle() const;
    void SetCapture();

protected:
    // The platform's own handling of the message now being dispatched.
    void Default();

    // Calls the handler bound to `message`, or the default when none is.
    // Returns whether a handler ran.
    bool DispatchMouse(UINT message, UINT flags, CPoint point, const std::function<void()>& base);
    bool DispatchKey(UINT message, UINT nChar, UINT repeat, UINT flags, const std::function<void()>& base);
    bool DispatchWheel(UINT flags, short delta, CPoint point, const std::function<void()>& base);
    bool DispatchVoid(UINT message, const std::function<void()>& base);

private:
    bool Dispatch(UINT message, AfxSig sig, const std::function<void()>& base,
                  const std::function<void(const AfxHandler&)>& call);
    // Runs `call` with `base` as what Default() does meanwhile.
    void WithDefault(const std::function<void()>& base, const std::function<void()>& call);

    std::function<void()> m_default;
};

void ReleaseCapture();
