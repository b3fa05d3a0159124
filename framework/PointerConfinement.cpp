#include "framework/PointerConfinement.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cmath>
#include <memory>

namespace {
xcb_connection_t* X11Connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t RootOf(xcb_connection_t* connection, xcb_window_t window)
{
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&free)> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr), &free);
    return geometry ? geometry->root : XCB_NONE;
}
} // namespace

bool CPointerConfinement::Confine(QWidget* window, const CRect& screenRect)
{
    Release();
    return ConfineOnX11(window, screenRect) || m_wayland.Confine(window, screenRect);
}

bool CPointerConfinement::ConfineOnX11(QWidget* window, const CRect& screenRect)
{
    xcb_connection_t* connection = X11Connection();
    QWidget* top = window ? window->window() : nullptr;
    if (!connection || !top || !top->windowHandle() || screenRect.IsRectEmpty())
        return false;
    const xcb_window_t grabWindow = xcb_window_t(top->winId());
    const xcb_window_t root = RootOf(connection, grabWindow);
    if (root == XCB_NONE)
        return false;

    // The server counts physical pixels.
    const double ratio = top->devicePixelRatioF();
    const int x = int(std::lround(screenRect.left * ratio));
    const int y = int(std::lround(screenRect.top * ratio));
    const int w = std::max(1, int(std::lround(screenRect.Width() * ratio)));
    const int h = std::max(1, int(std::lround(screenRect.Height() * ratio)));
    const xcb_window_t helper = xcb_generate_id(connection);
    const uint32_t overrideRedirect = 1;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, helper, root, int16_t(x), int16_t(y), uint16_t(w),
                      uint16_t(h), 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                      XCB_CW_OVERRIDE_REDIRECT, &overrideRedirect);
    xcb_map_window(connection, helper);

    // The press already holds Qt's own grab, which would make ours fail;
    // Qt still sends the events to the grabbing widget without it.
    top->windowHandle()->setMouseGrabEnabled(false);
    const uint16_t events = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                            XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_BUTTON_MOTION |
                            XCB_EVENT_MASK_ENTER_WINDOW | XCB_EVENT_MASK_LEAVE_WINDOW;
    std::unique_ptr<xcb_grab_pointer_reply_t, decltype(&free)> reply(
        xcb_grab_pointer_reply(connection,
                               xcb_grab_pointer(connection, 1, grabWindow, events, XCB_GRAB_MODE_ASYNC,
                                                XCB_GRAB_MODE_ASYNC, helper, XCB_NONE, XCB_CURRENT_TIME),
                               nullptr),
        &free);
    m_helper = helper;
    if (!reply || reply->status != XCB_GRAB_STATUS_SUCCESS) {
        Release();
        top->windowHandle()->setMouseGrabEnabled(true);
        return false;
    }
    return true;
}

void CPointerConfinement::Release()
{
    m_wayland.Release();
    if (!m_helper)
        return;
    if (xcb_connection_t* connection = X11Connection()) {
        xcb_ungrab_pointer(connection, XCB_CURRENT_TIME);
        xcb_destroy_window(connection, m_helper);
        xcb_flush(connection);
    }
    m_helper = 0;
}
