#include "playback/shifters.h"

#include <gtest/gtest.h>

#include <mutex>
#include <tuple>
#include <vector>

#include "core/base/services.h"
#include "support/temp_dir.h"

namespace tunecrest {
namespace {

using Tmessage = std::tuple<uint32_t, WPARAM, LPARAM>;

// Stands in for the outside program: a window that records what it is sent and answers
// the handshake with `answer`.
class TpacemakerPeer {
public:
    explicit TpacemakerPeer(const std::string& title, LRESULT answer = Tpacemaker::kHandshake)
        : Fwindow("PeerClass", title, false) {
        Fwindow.SetMessageHandler([this, answer](uint32_t msg, WPARAM w, LPARAM l) -> LRESULT {
            std::lock_guard lock(Fmutex);
            Fmessages.emplace_back(msg, w, l);
            return msg == WM_APP ? answer : 0;
        });
    }
    std::vector<Tmessage> Take() {
        std::lock_guard lock(Fmutex);
        return std::exchange(Fmessages, {});
    }
    HWND Handle() const { return Fwindow.Handle(); }

private:
    TmessageWindow Fwindow;
    std::mutex Fmutex;
    std::vector<Tmessage> Fmessages;
};

class ShifterTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetWindowMessageFolder(Ftemp.File("windows"));
        Fdispatcher = std::make_shared<TqueueDispatcher>();
        Fprevious = SetDispatcher(Fdispatcher);
    }
    void TearDown() override {
        SetDispatcher(Fprevious);
        SetWindowMessageFolder("");
    }
    test::TempDir Ftemp;
    std::shared_ptr<TqueueDispatcher> Fdispatcher;
    std::shared_ptr<TmainThreadDispatcher> Fprevious;
};

TEST_F(ShifterTest, PacemakerFindsItsPartnerAndClamps) {
    TpacemakerPeer decoy("Pacemaker (busy)", 0);  // does not answer the handshake right
    TpacemakerPeer shortTitle("Pacemake", Tpacemaker::kHandshake);
    auto peer = std::make_unique<TpacemakerPeer>("  pacemaker 2.1  ");
    Tpacemaker shifter;
    ASSERT_EQ(shifter.Partner(), peer->Handle());
    EXPECT_TRUE(shortTitle.Take().empty());
    // Handshake, then the integer setting three times.
    EXPECT_EQ(peer->Take(), (std::vector<Tmessage>{{WM_APP, 0, 0},
                                                   {WM_APP + 9, 0, 3},
                                                   {WM_APP + 9, 1, 3},
                                                   {WM_APP + 9, 2, 3}}));
    int changes = 0;
    shifter.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &shifter);
        ++changes;
    };

    shifter.SetPitch(13);
    EXPECT_EQ(shifter.Pitch(), 12);
    EXPECT_EQ(changes, 1);
    // Every setting is resent before the new pitch.
    EXPECT_EQ(peer->Take(), (std::vector<Tmessage>{{WM_APP + 3, 0, 1},
                                                   {WM_APP + 2, 0, 0},
                                                   {WM_APP + 6, 0, 0},
                                                   {WM_APP + 8, 0, 0},
                                                   {WM_APP + 7, 0, 0},
                                                   {WM_APP + 9, 0, 3},
                                                   {WM_APP + 9, 1, 3},
                                                   {WM_APP + 9, 2, 3},
                                                   {WM_APP + 7, 0, 12000}}));
    shifter.SetPitch(-12.5);
    EXPECT_EQ(shifter.Pitch(), -12);
    shifter.PitchUp();
    EXPECT_EQ(shifter.Pitch(), -11);
    shifter.SetTempo(150);
    EXPECT_EQ(shifter.Tempo(), 100);
    shifter.SetTempo(-70);
    EXPECT_EQ(shifter.Tempo(), -50);
    shifter.TempoUp();
    EXPECT_EQ(shifter.Tempo(), -49);
    shifter.SetTempo(2.5);
    auto sent = peer->Take();
    EXPECT_EQ(sent.back(), (Tmessage{WM_APP + 6, 0, 2500}));
    EXPECT_EQ(changes, 7);

    shifter.Reset();
    EXPECT_EQ(shifter.Pitch(), 0);
    EXPECT_EQ(shifter.Tempo(), 0);
    EXPECT_EQ(peer->Take().back(), (Tmessage{WM_APP + 5, 0, 0}));
    EXPECT_EQ(changes, 8);

    // The partner goes away: values fall back to 0 and nothing is announced.
    peer.reset();
    shifter.SetPitch(5);
    EXPECT_EQ(shifter.Pitch(), 0);
    EXPECT_EQ(changes, 8);
    EXPECT_FALSE(shifter.Connected());
    EXPECT_EQ(shifter.Partner(), 0);
}

TEST_F(ShifterTest, PacemakerWithoutPartnerSendsNothing) {
    TpacemakerPeer other("Another program");
    Tpacemaker shifter;
    EXPECT_EQ(shifter.Partner(), 0);
    shifter.SetTempo(30);
    shifter.SetPitch(3);
    shifter.Reset();
    EXPECT_EQ(shifter.Tempo(), 0);
    EXPECT_EQ(shifter.Pitch(), 0);
    EXPECT_TRUE(other.Take().empty());

    // A partner that starts later is found by the next call.
    TpacemakerPeer late("Pacemaker");
    shifter.SetPitch(3);
    EXPECT_EQ(shifter.Pitch(), 3);
    EXPECT_EQ(late.Take().back(), (Tmessage{WM_APP + 7, 0, 3000}));
}

class TfakeChronoApi : public TchronoApi {
public:
    double CentsToRate(double cents) override {
        if (Fail) throw std::runtime_error("server error");
        Cents.push_back(cents);
        return cents / 1000;
    }
    void SetPitch(double rate) override { Rates.push_back(rate); }
    void SetTempo(double ratio) override { Ratios.push_back(ratio); }
    std::vector<double> Cents, Rates, Ratios;
    bool Fail = false;
};

// The fake outlives every connection; each connection hands out a proxy to it.
class TchronoProxy : public TchronoApi {
public:
    explicit TchronoProxy(TfakeChronoApi& api) : Fapi(api) {}
    double CentsToRate(double cents) override { return Fapi.CentsToRate(cents); }
    void SetPitch(double rate) override { Fapi.SetPitch(rate); }
    void SetTempo(double ratio) override { Fapi.SetTempo(ratio); }

private:
    TfakeChronoApi& Fapi;
};

TEST_F(ShifterTest, ChronotronClampsAndPassesValues) {
    TfakeChronoApi api;
    int connections = 0;
    Tchronotron shifter([&]() -> std::unique_ptr<TchronoApi> {
        ++connections;
        return std::make_unique<TchronoProxy>(api);
    });
    int changes = 0;
    shifter.OnChange = [&](TObject*) { ++changes; };
    EXPECT_TRUE(shifter.Connected());

    shifter.SetTempo(20);
    EXPECT_EQ(shifter.Tempo(), 50);
    EXPECT_EQ(api.Ratios.back(), 0.5);
    shifter.SetTempo(250);
    EXPECT_EQ(shifter.Tempo(), 200);
    EXPECT_EQ(api.Ratios.back(), 2.0);

    shifter.SetPitch(4);
    for (int i = 0; i < 5; ++i) shifter.PitchUp();
    EXPECT_EQ(shifter.Pitch(), 6);
    EXPECT_EQ(api.Cents, (std::vector<double>{400, 500, 600, 600, 600, 600}));
    EXPECT_EQ(api.Rates.back(), 0.6);
    shifter.SetPitch(-9);
    EXPECT_EQ(shifter.Pitch(), -6);

    shifter.Reset();
    EXPECT_EQ(shifter.Tempo(), 100);
    EXPECT_EQ(shifter.Pitch(), 0);
    EXPECT_EQ(api.Ratios.back(), 1.0);
    EXPECT_EQ(changes, 11);

    // A failing server call changes nothing and announces nothing.
    api.Fail = true;
    shifter.SetPitch(2);
    EXPECT_EQ(shifter.Pitch(), 0);
    EXPECT_EQ(changes, 11);
    EXPECT_EQ(connections, 13);  // one connection per operation
}

TEST_F(ShifterTest, ChronotronStartsAtNormalSpeed) {
    TfakeChronoApi api;
    Tchronotron shifter([&]() -> std::unique_ptr<TchronoApi> { return std::make_unique<TchronoProxy>(api); });
    EXPECT_EQ(shifter.Tempo(), 100);
    // One step up from normal speed, not a jump to the floor of 50 %.
    shifter.TempoUp();
    EXPECT_EQ(shifter.Tempo(), 101);
    EXPECT_EQ(api.Ratios, std::vector<double>{1.01});
    shifter.TempoDown();
    shifter.TempoDown();
    EXPECT_EQ(api.Ratios.back(), 0.99);
}

TEST_F(ShifterTest, ChronotronWithoutServerStaysDisconnected) {
    Tchronotron shifter;
    int changes = 0;
    shifter.OnChange = [&](TObject*) { ++changes; };
    EXPECT_FALSE(shifter.Connected());
    shifter.SetTempo(150);
    shifter.SetPitch(3);
    shifter.PitchUp();
    EXPECT_EQ(shifter.Tempo(), 100);
    EXPECT_EQ(shifter.Pitch(), 0);
    EXPECT_EQ(changes, 0);

    Tchronotron throwing([]() -> std::unique_ptr<TchronoApi> { throw std::runtime_error("no server"); });
    throwing.SetTempo(80);
    EXPECT_FALSE(throwing.Connected());
    EXPECT_EQ(throwing.Tempo(), 100);
}

}  // namespace
}  // namespace tunecrest
