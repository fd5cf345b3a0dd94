#include "remote/wnd_proc_actions.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "remote_test_support.h"

namespace tunecrest {
namespace {

// An action that counts its runs and keeps the message it saw while running.
struct Tcounted {
    explicit Tcounted(TmyWndProcAction a) : Action(std::move(a)) {
        Action.OnExecute = [this](TmyWndProcAction* sender) {
            ++Runs;
            Seen = sender->Message();
        };
    }
    TmyWndProcAction Action;
    int Runs = 0;
    TMessage Seen;
};

int Offer(Tcounted& c, uint32_t msg, WPARAM w, LPARAM l, bool* handledOut = nullptr) {
    TMessage m{msg, w, l, 0};
    bool handled = false;
    HandleMessage(c.Action, m, handled);
    if (handledOut) *handledOut = handled;
    return c.Runs;
}

TEST(WndProcAction, MatchesIdAndTheAskedParametersAsUnsigned32BitValues) {
    Tcounted unbound(TmyWndProcAction("Unbound", 0, 0, 0));
    EXPECT_EQ(0, Offer(unbound, 0, 0, 0));

    Tcounted any(TmyWndProcAction("Any", WM_USER, 5, 0));
    EXPECT_EQ(1, Offer(any, WM_USER, 99, 7));
    EXPECT_EQ(2, Offer(any, WM_USER, 5, 0));
    EXPECT_EQ(2, Offer(any, WM_USER + 1, 5, 0));
    EXPECT_EQ(5, any.Seen.WParam);  // the copy of the message it ran for...
    EXPECT_EQ(0u, any.Action.Message().Msg);  // ...cleared afterwards

    Tcounted one(TmyWndProcAction("One", WM_USER, 1, wpeWparam));
    Tcounted two(TmyWndProcAction("Two", WM_USER, 2, wpeWparam));
    Offer(one, WM_USER, 2, 0);
    Offer(two, WM_USER, 2, 0);
    EXPECT_EQ(0, one.Runs);
    EXPECT_EQ(1, two.Runs);

    // A field with the top bit set, as a sender with signed numbers gives it, matches.
    TmyWndProcAction high("High", 0xFFFFFFF0u, 0x80000001u, wpeWparam | wpeLparam);
    high.lParam = 0xFFFFFFFFu;
    Tcounted h(high);
    EXPECT_EQ(1, Offer(h, 0xFFFFFFF0u, WPARAM(int32_t(0x80000001u)), LPARAM(-1)));
    EXPECT_EQ(2, Offer(h, 0xFFFFFFF0u, WPARAM(0x80000001u), LPARAM(0xFFFFFFFFu)));
    EXPECT_EQ(2, Offer(h, 0xFFFFFFF0u, WPARAM(0x80000001u), LPARAM(0)));

    // The hook may stop a match and mark the message handled.
    Tcounted vetoed(TmyWndProcAction("Vetoed", WM_USER, 0, 0));
    vetoed.Action.OnWndProc = [](TmyWndProcAction*, TMessage&, bool& execute, bool& handled) {
        execute = false;
        handled = true;
    };
    bool handled = false;
    EXPECT_EQ(0, Offer(vetoed, WM_USER, 0, 0, &handled));
    EXPECT_TRUE(handled);
}

TEST(WndProcAction, DuplicatesAreReportedPerIdAndAskedParameters) {
    TmyWndProcAction a("A", WM_USER, 1, wpeWparam), b("B", WM_USER, 2, wpeWparam), c("C", WM_USER, 1, wpeWparam),
        d("D", 0, 1, wpeWparam), e("E", 0, 1, wpeWparam), f("F", 0x500, 0, 0), g("G", 0x500, 3, 0);
    std::vector<std::string> lines;
    EXPECT_TRUE(FindDuplicateWndProcActions({&a, &b, &c, &d, &e, &f, &g}, lines));
    EXPECT_EQ((std::vector<std::string>{"C, A (1024, W:1)", "G, F (1280)"}), lines);
    lines.clear();
    EXPECT_FALSE(FindDuplicateWndProcActions({&a, &b, &d, &e}, lines));
}

TEST(WndProcComponent, OffersMessagesInRangeAndPassesUnhandledOnes) {
    test::TfakeMainWindow window;
    Tcounted play(TmyWndProcAction("Play", WM_USER, 1, wpeWparam));
    Tcounted claim(TmyWndProcAction("Claim", WM_USER + 5, 0, 0));
    claim.Action.OnWndProc = [](TmyWndProcAction*, TMessage&, bool&, bool& handled) { handled = true; };
    window.Bound = {&play.Action, &claim.Action};
    std::vector<uint32_t> passedOn;
    TmyWndProcComponent component(window, [&](uint32_t msg, WPARAM, LPARAM) {
        passedOn.push_back(msg);
        return LRESULT(9);
    });
    component.MinMessage = WM_USER;
    std::vector<uint32_t> seen;
    component.OnDoWndProc = [&](TMessage& m) { seen.push_back(m.Msg); };

    EXPECT_EQ(9, component.WndProc(WM_USER, 1, 0));  // ran, and still reaches the window's own handling
    EXPECT_EQ(1, play.Runs);
    component.WndProc(0x7FFFFFF0u, 1, 0);  // no upper bound
    component.WndProc(WM_USER - 1, 1, 0);  // below the range: only passed on
    EXPECT_EQ(0, component.WndProc(WM_USER + 5, 0, 0));
    EXPECT_EQ(1, claim.Runs);
    EXPECT_EQ((std::vector<uint32_t>{WM_USER, 0x7FFFFFF0u, WM_USER + 5}), seen);
    EXPECT_EQ((std::vector<uint32_t>{WM_USER, 0x7FFFFFF0u, WM_USER - 1}), passedOn);
    component.MaxMessage = WM_USER + 1;
    component.WndProc(WM_USER + 5, 0, 0);
    EXPECT_EQ(1, claim.Runs);
}

TEST(WndProcComponent, UserMessagesOverTheWindowLayerRunTheMainWindowsActions) {
    test::TremoteEnvironment env;
    SetWindowMessageFolder(env.Dir.File("windows"));
    test::TfakeMainWindow window;
    std::vector<std::pair<std::string, int64_t>> ran;
    auto actions = BuildUserMessageActions([&](const std::string& name, const TMessage& msg) {
        ran.emplace_back(name, msg.LParam);
    });
    for (auto& action : actions) window.Bound.push_back(action.get());
    std::vector<std::string> duplicates;
    EXPECT_FALSE(FindDuplicateWndProcActions(window.Bound, duplicates));
    ASSERT_EQ(29u, actions.size());

    TmessageWindow form("TfrmJukeboxTest", "Jukebox");
    TmyWndProcComponent component(window);
    component.Attach(form);
    const HWND target = FindWindow(std::string("TfrmJukeboxTest"), std::nullopt);
    ASSERT_NE(0, target);
    std::thread sender([&] {
        SendMessage(target, WM_USER, 304, 0);
        SendMessage(target, WM_USER, 500, 3);
        SendMessage(target, WM_USER, 999, 0);
        SendMessage(target, WM_USER + 1, 304, 0);
    });
    for (int i = 0; i < 200 && ran.size() < 2; ++i) env.Queue->WaitAndProcess(20);
    for (int i = 0; i < 10; ++i) env.Queue->WaitAndProcess(20);
    sender.join();
    env.Queue->ProcessPendingCalls();
    SetWindowMessageFolder("");
    EXPECT_EQ((std::vector<std::pair<std::string, int64_t>>{{"actnQueueClearNoConfirm", 0}, {"actnActivateSlot", 3}}),
              ran);
}

TEST(MultimediaKeys, AppCommandsRunThePlayerActions) {
    EXPECT_EQ(14u, GET_APPCOMMAND_LPARAM(LPARAM(0xF00E0000u)));
    EXPECT_EQ(9u, GET_APPCOMMAND_LPARAM(LPARAM(int32_t(0x80090000u))));
    test::TfakeMainWindow window;
    window.Stopped = false;
    for (uint32_t command : {9u, 10u, 11u, 12u, 13u, 14u, 15u})
        HandleAppCommand(window, LPARAM(command << 16));
    window.Stopped = true;
    HandleAppCommand(window, LPARAM(14u << 16));
    EXPECT_EQ((std::vector<std::string>{"actnControlLowerVolume", "actnControlRaiseVolume", "actnControlNext",
                                        "actnControlStop", "actnControlPause", "actnControlPlay"}),
              window.Ran);
}

}  // namespace
}  // namespace tunecrest
