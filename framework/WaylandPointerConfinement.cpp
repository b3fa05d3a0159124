#include "framework/WaylandPointerConfinement.h"

#include "pointer-constraints-unstable-v1-client-protocol.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

#include <cstring>

namespace {
// The two globals Qt does not bind for us; null where the compositor lacks them.
struct WaylandGlobals {
    wl_compositor* compositor = nullptr;
    zwp_pointer_constraints_v1* constraints = nullptr;
};

void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t /*version*/)
{
    auto* globals = static_cast<WaylandGlobals*>(data);
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && !globals->compositor)
        globals->compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 1));
    else if (std::strcmp(interface, zwp_pointer_constraints_v1_interface.name) == 0 && !globals->constraints)
        globals->constraints = static_cast<zwp_pointer_constraints_v1*>(
            wl_registry_bind(registry, name, &zwp_pointer_constraints_v1_interface, 1));
}

void OnGlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

// Binds on a queue of our own so that Qt's dispatching never sees our
// registry, then hands the bound objects to the default queue Qt dispatches.
WaylandGlobals BindGlobals(wl_display* display)
{
    WaylandGlobals globals;
    wl_event_queue* queue = wl_display_create_queue(display);
    auto* wrapped = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), queue);
    wl_registry* registry = wl_display_get_registry(wrapped);
    wl_registry_add_listener(registry, &kRegistryListener, &globals);
    wl_display_roundtrip_queue(display, queue);
    wl_registry_destroy(registry);
    wl_proxy_wrapper_destroy(wrapped);
    for (wl_proxy* proxy : {reinterpret_cast<wl_proxy*>(globals.compositor),
                            reinterpret_cast<wl_proxy*>(globals.constraints)}) {
        if (proxy)
            wl_proxy_set_queue(proxy, nullptr);
    }
    wl_event_queue_destroy(queue);
    return globals;
}

QPlatformNativeInterface* WaylandNative()
{
    return AfxIsWaylandClient() ? QGuiApplication::platformNativeInterface() : nullptr;
}

const WaylandGlobals& Globals(QPlatformNativeInterface* native)
{
    static const WaylandGlobals globals =
        BindGlobals(static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display")));
    return globals;
}

void OnConfined(void*, zwp_confined_pointer_v1*) {}

// A one-shot confinement the compositor ended (the window lost the pointer's
// focus, say) is dead; the program's own clamp holds the rest of the drag.
void OnUnconfined(void* data, zwp_confined_pointer_v1*)
{
    static_cast<CWaylandPointerConfinement*>(data)->Release();
}

const zwp_confined_pointer_v1_listener kConfinedListener = {OnConfined, OnUnconfined};
} // namespace

bool AfxIsWaylandClient()
{
    return qGuiApp && QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool CWaylandPointerConfinement::Confine(QWidget* window, const CRect& screenRect)
{
    Release();
    QPlatformNativeInterface* native = WaylandNative();
    QWidget* top = window ? window->window() : nullptr;
    QWindow* handle = top ? top->windowHandle() : nullptr;
    if (!native || !handle || screenRect.IsRectEmpty())
        return false;
    auto* display = static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
    auto* pointer = static_cast<wl_pointer*>(native->nativeResourceForIntegration("wl_pointer"));
    auto* surface = static_cast<wl_surface*>(native->nativeResourceForWindow("surface", handle));
    if (!display || !pointer || !surface)
        return false;
    const WaylandGlobals& globals = Globals(native);
    if (!globals.compositor || !globals.constraints)
        return false;

    // The surface includes the window's own decorations; the compositor
    // scales surface coordinates itself.
    const QPoint origin = top->mapFromGlobal(screenRect.TopLeft().ToQPoint()) +
                          QPoint(handle->frameMargins().left(), handle->frameMargins().top());
    wl_region* region = wl_compositor_create_region(globals.compositor);
    wl_region_add(region, origin.x(), origin.y(), screenRect.Width(), screenRect.Height());
    m_confined = zwp_pointer_constraints_v1_confine_pointer(globals.constraints, surface, pointer, region,
                                                            ZWP_POINTER_CONSTRAINTS_V1_LIFETIME_ONESHOT);
    wl_region_destroy(region);
    zwp_confined_pointer_v1_add_listener(m_confined, &kConfinedListener, this);
    wl_display_flush(display);
    return true;
}

void CWaylandPointerConfinement::Release()
{
    if (!m_confined)
        return;
    // Once the application is gone, so is the connection the object lived on.
    if (QPlatformNativeInterface* native = WaylandNative()) {
        zwp_confined_pointer_v1_destroy(m_confined);
        wl_display_flush(static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display")));
    }
    m_confined = nullptr;
}
