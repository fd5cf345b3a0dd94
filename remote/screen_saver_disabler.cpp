#include "remote/screen_saver_disabler.h"

#include <gio/gio.h>

#include "core/base/services.h"

#ifdef TUNECREST_HAVE_X11
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>
#endif

namespace tunecrest {

namespace {

constexpr const char* kServiceName = "org.freedesktop.ScreenSaver";
constexpr const char* kServicePath = "/org/freedesktop/ScreenSaver";
constexpr int kBusTimeoutMs = 2000;

#ifdef TUNECREST_HAVE_X11
// X errors (a value the server refuses) are counted instead of ending the program.
int FxErrors = 0;
int CountXError(Display*, XErrorEvent*) {
    ++FxErrors;
    return 0;
}

class Tx11ScreenTimeouts : public TscreenTimeouts {
public:
    explicit Tx11ScreenTimeouts(Display* display) : Fdisplay(display) {
        int eventBase = 0, errorBase = 0;
        Fdpms = DPMSQueryExtension(Fdisplay, &eventBase, &errorBase) && DPMSCapable(Fdisplay);
    }
    ~Tx11ScreenTimeouts() override { XCloseDisplay(Fdisplay); }

    // values: screen-saver time-out, then DPMS standby, suspend and off (when DPMS is there).
    bool Read(std::vector<int>& values) override {
        int timeout = 0, interval = 0, blanking = 0, exposures = 0;
        XGetScreenSaver(Fdisplay, &timeout, &interval, &blanking, &exposures);
        values = {timeout};
        if (Fdpms) {
            CARD16 standby = 0, suspend = 0, off = 0;
            if (DPMSGetTimeouts(Fdisplay, &standby, &suspend, &off))
                values.insert(values.end(), {int(standby), int(suspend), int(off)});
        }
        return true;
    }
    bool Write(const std::vector<int>& values) override {
        if (values.empty()) return false;
        auto* previous = XSetErrorHandler(CountXError);
        FxErrors = 0;
        int timeout = 0, interval = 0, blanking = 0, exposures = 0;
        XGetScreenSaver(Fdisplay, &timeout, &interval, &blanking, &exposures);
        XSetScreenSaver(Fdisplay, values[0], interval, blanking, exposures);
        if (Fdpms && values.size() >= 4)
            DPMSSetTimeouts(Fdisplay, CARD16(values[1]), CARD16(values[2]), CARD16(values[3]));
        XSync(Fdisplay, False);
        XSetErrorHandler(previous);
        return FxErrors == 0;
    }

private:
    Display* Fdisplay;
    bool Fdpms = false;
};
#endif

}  // namespace

std::unique_ptr<TscreenTimeouts> OpenX11ScreenTimeouts(const std::string& displayName) {
#ifdef TUNECREST_HAVE_X11
    Display* display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
    if (display) return std::make_unique<Tx11ScreenTimeouts>(display);
#else
    (void)displayName;
#endif
    return nullptr;
}

TscreenSaverDisabler::TscreenSaverDisabler(std::unique_ptr<TscreenTimeouts> timeouts, std::string busAddress)
    : Ftimeouts(std::move(timeouts)), FbusAddress(std::move(busAddress)) {
    Fworker = std::thread([this] { WorkerLoop(); });
}

TscreenSaverDisabler::~TscreenSaverDisabler() {
    SetActive(false);
    {
        std::lock_guard lock(Fmutex);
        Fstopping = true;
    }
    Fwake.notify_all();
    Fworker.join();
    if (Fbus) g_object_unref(Fbus);
}

void TscreenSaverDisabler::SetActive(bool active) {
    if (active == Factive) return;
    Factive = active;
    if (active) {
        Post([this] { Inhibit(); });
        Fsaved.clear();
        FswitchedOff.clear();
        if (Ftimeouts && Ftimeouts->Read(Fsaved)) {
            std::vector<int> off(Fsaved.size(), 0);
            if (Ftimeouts->Write(off)) {
                for (const int value : Fsaved) FswitchedOff.push_back(value != 0);
            } else {
                LogError("Screen saver: the display refused to switch its time-outs off");
            }
        }
        return;
    }
    Post([this] { UnInhibit(); });
    // Only what it switched off goes back, and only while it is still off: a value the user
    // set meanwhile stays.
    std::vector<int> now;
    if (Ftimeouts && !FswitchedOff.empty() && Ftimeouts->Read(now) && now.size() == Fsaved.size()) {
        bool changed = false;
        for (size_t i = 0; i < now.size(); ++i)
            if (FswitchedOff[i] && now[i] == 0) {
                now[i] = Fsaved[i];
                changed = true;
            }
        if (changed && !Ftimeouts->Write(now)) LogError("Screen saver: the display refused its time-outs back");
    }
    FswitchedOff.clear();
}

void TscreenSaverDisabler::Post(std::function<void()> job) {
    {
        std::lock_guard lock(Fmutex);
        Fjobs.push_back(std::move(job));
    }
    Fwake.notify_all();
}

void TscreenSaverDisabler::WaitForBus() {
    std::unique_lock lock(Fmutex);
    Fidle.wait(lock, [this] { return Fjobs.empty() && !Fbusy; });
}

void TscreenSaverDisabler::WorkerLoop() {
    std::unique_lock lock(Fmutex);
    for (;;) {
        Fwake.wait(lock, [this] { return Fstopping || !Fjobs.empty(); });
        if (Fjobs.empty()) return;  // stopping and nothing left
        auto job = std::move(Fjobs.front());
        Fjobs.pop_front();
        Fbusy = true;
        lock.unlock();
        job();
        lock.lock();
        Fbusy = false;
        if (Fjobs.empty()) Fidle.notify_all();
    }
}

void TscreenSaverDisabler::Inhibit() {
    if (!Fbus && !FbusFailed) {
        GError* error = nullptr;
        if (FbusAddress.empty()) {
            Fbus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
        } else {
            Fbus = g_dbus_connection_new_for_address_sync(
                FbusAddress.c_str(),
                GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                     G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                nullptr, nullptr, &error);
        }
        if (!Fbus) {
            FbusFailed = true;  // logged once; the display time-outs still work
            LogError(std::string("Screen saver: no session bus: ") + (error ? error->message : "unknown error"));
            if (error) g_error_free(error);
            return;
        }
    }
    if (!Fbus || FholdsInhibit) return;
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        Fbus, kServiceName, kServicePath, kServiceName, "Inhibit", g_variant_new("(ss)", "Tunecrest", "Playing music"),
        G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, kBusTimeoutMs, nullptr, &error);
    if (!reply) {
        LogError(std::string("Screen saver: Inhibit failed: ") + (error ? error->message : "unknown error"));
        if (error) g_error_free(error);
        return;
    }
    g_variant_get(reply, "(u)", &FcookieHeld);
    g_variant_unref(reply);
    FholdsInhibit = true;
}

void TscreenSaverDisabler::UnInhibit() {
    if (!Fbus || !FholdsInhibit) return;
    FholdsInhibit = false;
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(Fbus, kServiceName, kServicePath, kServiceName, "UnInhibit",
                                                  g_variant_new("(u)", FcookieHeld), nullptr, G_DBUS_CALL_FLAGS_NONE,
                                                  kBusTimeoutMs, nullptr, &error);
    if (!reply) {
        LogError(std::string("Screen saver: UnInhibit failed: ") + (error ? error->message : "unknown error"));
        if (error) g_error_free(error);
        return;
    }
    g_variant_unref(reply);
}

}  // namespace tunecrest
