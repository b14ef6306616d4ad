// Marking boxes as dialogs through GTK's shell protocol, spoken over Qt's own
// Wayland connection.
#include "window/platform/wayland_dialog.h"

#ifdef VELLOGRAPH_HAVE_WAYLAND
#include <QEvent>
#include <QGuiApplication>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

#include <cstdint>
#include <cstring>
#endif

namespace vellograph {

#ifdef VELLOGRAPH_HAVE_WAYLAND

namespace {

// The protocol's interfaces as libwayland reads them: every request and
// event up to the version bound, with its argument signature (a leading
// digit is the version that brought it). No listeners are set: libwayland
// drops the events of an object without one.
const wl_interface* NoTypes[6] = {};

const wl_message SurfaceRequests[] = {
    {"set_dbus_properties", "?s?s?s?s?s?s", NoTypes},
    {"set_modal", "2", NoTypes},
    {"unset_modal", "2", NoTypes},
    {"present", "3u", NoTypes},
    {"request_focus", "3?s", NoTypes},
    {"release", "4", NoTypes},
};
const wl_message SurfaceEvents[] = {
    {"configure", "a", NoTypes},
    {"configure_edges", "2a", NoTypes},
};
const wl_interface GtkSurface = {"gtk_surface1", 4, 6, SurfaceRequests, 2, SurfaceEvents};

const wl_interface* GetSurfaceTypes[] = {&GtkSurface, &wl_surface_interface};
const wl_interface* BellTypes[] = {&GtkSurface};
const wl_message ShellRequests[] = {
    {"get_gtk_surface", "no", GetSurfaceTypes},
    {"set_startup_id", "?s", NoTypes},
    {"system_bell", "?o", BellTypes},
    {"notify_launch", "3s", NoTypes},
};
const wl_message ShellEvents[] = {
    {"capabilities", "u", NoTypes},
};
const wl_interface GtkShell = {"gtk_shell1", 4, 4, ShellRequests, 1, ShellEvents};

constexpr std::uint32_t GetGtkSurface = 0; // gtk_shell1
constexpr std::uint32_t SetModal = 1;      // gtk_surface1
constexpr std::uint32_t Release = 5;       // gtk_surface1
// The version that can also release a mark, so that each showing of a
// window has its own: a second one for the same wl_surface is an error.
constexpr std::uint32_t Version = 4;

struct Global {
    std::uint32_t name = 0;
    std::uint32_t version = 0;
};

void OnGlobal(void* data, wl_registry*, std::uint32_t name, const char* interface,
              std::uint32_t version) {
    if (std::strcmp(interface, GtkShell.name) == 0) {
        *static_cast<Global*>(data) = {name, version};
    }
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener RegistryListener = {OnGlobal, OnGlobalRemove};

wl_display* QtDisplay() {
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    return native ? static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"))
                  : nullptr;
}

// GTK's shell, bound once on a queue of our own so that the look-up neither
// waits on nor dispatches Qt's events; no proxy where the compositor has none.
struct Shell {
    wl_event_queue* queue = nullptr;
    wl_proxy* proxy = nullptr;
};

Shell TheShell(wl_display* display) {
    static const Shell shell = [display]() -> Shell {
        wl_event_queue* queue = wl_display_create_queue(display);
        auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
        wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue);
        wl_registry* registry = wl_display_get_registry(wrapper);
        wl_proxy_wrapper_destroy(wrapper);
        Global found;
        wl_registry_add_listener(registry, &RegistryListener, &found);
        wl_proxy* bound = nullptr;
        if (wl_display_roundtrip_queue(display, queue) >= 0 && found.version >= Version) {
            bound =
                static_cast<wl_proxy*>(wl_registry_bind(registry, found.name, &GtkShell, Version));
        }
        wl_registry_destroy(registry);
        if (!bound) {
            wl_event_queue_destroy(queue);
            return {};
        }
        return {queue, bound}; // for as long as the process runs
    }();
    return shell;
}

// A window's mark for one showing: its gtk_surface1, made at the first
// exposure (the compositor's answer to the window's first, empty commit, on
// which Qt paints and commits the first frame, where Mutter places the
// window) and released when the window is hidden or destroyed.
class Marker : public QObject {
public:
    explicit Marker(QWindow* window) : QObject(window), window_(window) {
        window->installEventFilter(this);
        connect(window, &QWindow::visibleChanged, this, [this](bool visible) {
            if (!visible) {
                Clear();
            }
        });
    }
    ~Marker() override { Clear(); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Expose && !surface_) {
            Mark();
        }
        return false;
    }

private:
    void Mark() {
        wl_display* display = QtDisplay();
        const Shell shell = display ? TheShell(display) : Shell{};
        auto* surface = static_cast<wl_proxy*>(
            QGuiApplication::platformNativeInterface()->nativeResourceForWindow("surface",
                                                                                window_));
        if (!shell.proxy || !surface) {
            return;
        }
        // The events of the earlier marks, read in by Qt, are dropped.
        wl_display_dispatch_queue_pending(display, shell.queue);
        surface_ = wl_proxy_marshal_flags(shell.proxy, GetGtkSurface, &GtkSurface, Version, 0,
                                          nullptr, surface);
        if (surface_) {
            wl_proxy_marshal_flags(surface_, SetModal, nullptr, Version, 0);
            wl_display_flush(display);
        }
    }

    void Clear() {
        if (surface_) {
            wl_proxy_marshal_flags(surface_, Release, nullptr, Version, WL_MARSHAL_FLAG_DESTROY);
            surface_ = nullptr;
        }
    }

    QWindow* window_;
    wl_proxy* surface_ = nullptr;
};

} // namespace

void ShowAsDialogOfParent(QWidget& window) {
    if (QGuiApplication::platformName() != QLatin1String("wayland")) {
        return;
    }
    window.winId(); // its QWindow, not yet shown
    if (QWindow* handle = window.windowHandle()) {
        new Marker(handle); // owned by the window
    }
}

#else

void ShowAsDialogOfParent(QWidget&) {}

#endif

} // namespace vellograph
