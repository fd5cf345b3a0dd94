#pragma once
// Pitch and tempo shifters: each drives a sound processor and keeps the values it last
// set. Tpacemaker talks by window messages to an outside program whose window title
// begins with "Pacemaker"; Tchronotron talks to an automation server, which on Linux is
// the in-process engine's pitch-and-tempo stage (TdshowPlayer::PitchTempoConnector).
#include <cstdint>
#include <functional>
#include <memory>

#include "core/base/event_lists.h"
#include "platform/window_messages.h"

namespace tunecrest {

class Tshifter : public TObject {
public:
    // Pitch in semitones, tempo as the shifter's program counts it (see each shifter).
    double Pitch() const { return Fpitch; }
    double Tempo() const { return Ftempo; }

    virtual void SetPitch(double value) = 0;
    virtual void SetTempo(double value) = 0;
    virtual bool Connected() = 0;
    virtual void Reset() = 0;
    virtual void PitchUp() { SetPitch(Fpitch + 1); }
    virtual void PitchDown() { SetPitch(Fpitch - 1); }
    virtual void TempoUp() = 0;
    virtual void TempoDown() = 0;
    virtual void ResetTempo() { SetTempo(0); }

    TNotifyEvent OnChange;

protected:
    void DoChange() {
        if (OnChange) OnChange(this);
    }
    double Ftempo = 0;
    double Fpitch = 0;
};

constexpr uint32_t WM_APP = 0x8000;

// The window-message shifter. Tempo is a change in percent (-50 .. 100), pitch -12 .. 12.
class Tpacemaker : public Tshifter {
public:
    static constexpr LRESULT kHandshake = 6000;  // the partner's answer to WM_APP
    static constexpr int kHandshakeTimeoutMs = 1000;

    // Looks for the partner window and, when found, sends it the integer setting.
    Tpacemaker();

    void SetPitch(double value) override;
    void SetTempo(double value) override;
    // Resends every setting to a known partner; true while it exists, else looks again.
    bool Connected() override;
    void Reset() override;
    void TempoUp() override { SetTempo(Ftempo + 1); }
    void TempoDown() override { SetTempo(Ftempo - 1); }

    HWND Partner() const { return Fpartner; }

private:
    bool FindPartner();
    void SetValue(double& field, double value, double low, double high, uint32_t message);
    void Send(uint32_t message, WPARAM wParam, LPARAM lParam);
    void SendIntSetting();

    uint8_t FbyteSetting1 = 1;  // sent with WM_APP + 3
    uint8_t FbyteSetting2 = 0;  // sent with WM_APP + 2
    double FdoubleSetting = 0;  // sent x 1000 with WM_APP + 8
    int FintSetting = 3;        // sent with WM_APP + 9, for wParam 0, 1 and 2
    HWND Fpartner = 0;
};

// The "API" object of the automation server the automation shifter talks to.
class TchronoApi {
public:
    virtual ~TchronoApi() = default;
    virtual double CentsToRate(double cents) = 0;
    virtual void SetPitch(double rate) = 0;
    virtual void SetTempo(double ratio) = 0;
};

// Creates the automation object and reads its "API"; nullptr when the server is not there.
using TchronoConnector = std::function<std::unique_ptr<TchronoApi>()>;

// The automation shifter. Tempo is percent of normal speed (50 .. 200), pitch -6 .. 6.
// Without a connector (no in-process engine to drive) the shifter stays disconnected.
class Tchronotron : public Tshifter {
public:
    // Starts at normal speed (100 %), so the first TempoUp gives 101 and not the floor.
    explicit Tchronotron(TchronoConnector connector = {});

    void SetPitch(double value) override;
    void SetTempo(double value) override;
    bool Connected() override;
    void Reset() override;
    void TempoUp() override { SetTempo(Ftempo + 1); }
    void TempoDown() override { SetTempo(Ftempo - 1); }
    void ResetTempo() override { SetTempo(100); }

private:
    // Connects afresh (without a server the values return to tempo 100, pitch 0), runs
    // `work` on the API when there is one and releases it again. False when not connected
    // or when the server failed.
    bool WithApi(const std::function<void(TchronoApi&)>& work);

    TchronoConnector Fconnector;
};

}  // namespace tunecrest
