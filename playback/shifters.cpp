#include "playback/shifters.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "core/base/services.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace {

LPARAM Thousandths(double value) { return LPARAM(std::nearbyint(value * 1000)); }

}  // namespace

// ---- Tpacemaker ----

Tpacemaker::Tpacemaker() {
    if (FindPartner()) SendIntSetting();
}

bool Tpacemaker::FindPartner() {
    Fpartner = 0;
    for (HWND window : EnumWindows()) {
        const std::string title = Trim(GetWindowText(window));
        if (title.size() < 9 || !SameText(title.substr(0, 9), "Pacemaker")) continue;
        LRESULT answer = 0;
        // A hung window is given up after the time-out instead of freezing the jukebox.
        if (SendMessageTimeout(window, WM_APP, 0, 0, kHandshakeTimeoutMs, answer) && answer == kHandshake) {
            Fpartner = window;
            return true;
        }
    }
    return false;
}

void Tpacemaker::Send(uint32_t message, WPARAM wParam, LPARAM lParam) {
    SendMessage(Fpartner, message, wParam, lParam);
}

void Tpacemaker::SendIntSetting() {
    for (WPARAM which = 0; which <= 2; ++which) Send(WM_APP + 9, which, FintSetting);
}

bool Tpacemaker::Connected() {
    if (Fpartner) {
        Send(WM_APP + 3, 0, FbyteSetting1);
        Send(WM_APP + 2, 0, FbyteSetting2);
        Send(WM_APP + 6, 0, Thousandths(Ftempo));
        Send(WM_APP + 8, 0, Thousandths(FdoubleSetting));
        Send(WM_APP + 7, 0, Thousandths(Fpitch));
        SendIntSetting();
        if (IsWindow(Fpartner)) return true;
    }
    return FindPartner();
}

// Without a partner the value falls back to 0; with one it is clamped, sent and announced.
void Tpacemaker::SetValue(double& field, double value, double low, double high, uint32_t message) {
    const bool connected = Connected();
    field = std::clamp(connected ? value : 0.0, low, high);
    if (!connected) return;
    Send(message, 0, Thousandths(field));
    DoChange();
}

void Tpacemaker::SetPitch(double value) { SetValue(Fpitch, value, -12, 12, WM_APP + 7); }

void Tpacemaker::SetTempo(double value) { SetValue(Ftempo, value, -50, 100, WM_APP + 6); }

void Tpacemaker::Reset() {
    if (!Connected()) return;
    Fpitch = Ftempo = FdoubleSetting = 0;
    Send(WM_APP + 5, 0, 0);
    DoChange();  // the displays of pitch and tempo follow the reset
}

// ---- Tchronotron ----

Tchronotron::Tchronotron(TchronoConnector connector) : Fconnector(std::move(connector)) { Ftempo = 100; }

bool Tchronotron::WithApi(const std::function<void(TchronoApi&)>& work) {
    std::unique_ptr<TchronoApi> api;
    try {
        if (Fconnector) api = Fconnector();
    } catch (const std::exception& e) {
        LogError(std::string("Pitch and tempo server: ") + e.what());
    }
    if (!api) {
        Ftempo = 100;
        Fpitch = 0;
        return false;
    }
    try {
        if (work) work(*api);
        return true;
    } catch (const std::exception& e) {
        LogError(std::string("Pitch and tempo server: ") + e.what());
        return false;
    }
}

bool Tchronotron::Connected() { return WithApi({}); }

void Tchronotron::SetPitch(double value) {
    const double pitch = std::clamp(value, -6.0, 6.0);
    if (WithApi([&](TchronoApi& api) { api.SetPitch(api.CentsToRate(pitch * 100)); })) {
        Fpitch = pitch;
        DoChange();
    }
}

void Tchronotron::SetTempo(double value) {
    const double tempo = std::clamp(value, 50.0, 200.0);
    if (WithApi([&](TchronoApi& api) { api.SetTempo(tempo / 100); })) {
        Ftempo = tempo;
        DoChange();
    }
}

void Tchronotron::Reset() {
    ResetTempo();
    SetPitch(0);
}

}  // namespace tunecrest
