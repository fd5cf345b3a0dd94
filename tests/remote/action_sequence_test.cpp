#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "core/base/exceptions.h"
#include "core/base/safe_file.h"
#include "platform/window_messages.h"
#include "remote/command_runner.h"
#include "remote/controller_commands.h"
#include "remote/wnd_proc_actions.h"
#include "remote_test_support.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;

class ActionSequenceTest : public ::testing::Test {
protected:
    TcontrollerAction* Make(const std::string& name) {
        TcontrollerAction* action = List.AddNew();
        action->SetName(name);
        return action;
    }
    static TsendKeyCommand* Key(TcontrollerAction* action, char c) {
        auto* key = action->Commands().AddNew<TsendKeyCommand>();
        key->KeyCode = c;
        return key;
    }
    static void Wait(TcontrollerAction* action, int seconds) {
        action->Commands().AddNew<TwaitCommand>()->Seconds = seconds;
    }
    static void Call(TcontrollerAction* action, const std::string& name) {
        action->Commands().AddNew<TactionCommand>()->ActionName = name;
    }
    std::string Pressed() const {
        std::string keys;
        for (const TkeyPress& key : Env.Sender->Keys) keys.push_back(char(key.Code));
        return keys;
    }

    test::TremoteEnvironment Env;
    TcontrollerActionList List;
};

TEST_F(ActionSequenceTest, WaitsContinueOnTheTimerInCommandOrderAcrossNestedActions) {
    TcontrollerAction* a = Make("A");
    Key(a, '1');
    Wait(a, 2);
    Key(a, '2');
    Call(a, "b");  // found without regard to case
    Key(a, '4');
    TcontrollerAction* b = Make("B");
    Wait(b, 1);
    Key(b, '3');

    a->Execute();
    EXPECT_EQ("1", Pressed());  // returned at the wait: the caller is never held
    EXPECT_EQ((std::vector<int>{2000}), Env.Timer->Requests);
    Env.Timer->Advance(1999);
    EXPECT_EQ("1", Pressed());
    Env.Timer->Advance(1);
    EXPECT_EQ("12", Pressed());
    EXPECT_TRUE(b->Running());
    Env.Timer->Advance(1000);
    EXPECT_EQ("1234", Pressed());
    EXPECT_FALSE(a->Running());
    EXPECT_FALSE(b->Running());
    EXPECT_EQ(0, Env.Timer->Pending());
}

TEST_F(ActionSequenceTest, ASecondRequestWhileRunningIsQueuedAndRunsAfterwards) {
    TcontrollerAction* a = Make("A");
    Key(a, 'x');
    Wait(a, 1);
    Key(a, 'y');
    TcontrollerAction* other = Make("Other");
    Key(other, 'o');

    a->Execute();
    a->Execute();
    a->Execute();
    other->Execute();  // another action is not held up
    EXPECT_EQ("xo", Pressed());
    EXPECT_EQ(2, a->QueuedRequests());
    Env.Timer->Advance(1000);  // first run ends, the next starts at once and waits
    EXPECT_EQ("xoyx", Pressed());
    Env.Timer->Advance(1000);
    Env.Timer->Advance(1000);
    EXPECT_EQ("xoyxyxy", Pressed());
    EXPECT_EQ(0, a->QueuedRequests());
    EXPECT_FALSE(a->Running());

    // A wait of 0 or less does not wait.
    TcontrollerAction* quick = Make("Quick");
    Key(quick, 'q');
    Wait(quick, 0);
    Wait(quick, -3);
    Key(quick, 'r');
    quick->Execute();
    EXPECT_EQ("xoyxyxyqr", Pressed());
}

// Another action that names a running action asks for it once more: it runs again,
// exactly once, after its present run, and the caller goes on meanwhile.
TEST_F(ActionSequenceTest, AnActionCalledWhileItRunsRunsOnceMoreAfterIt) {
    TcontrollerAction* a = Make("A");
    Key(a, 'a');
    Wait(a, 1);
    Key(a, 'b');
    TcontrollerAction* caller = Make("Caller");
    Key(caller, 'c');
    Call(caller, "A");
    Key(caller, 'd');

    a->Execute();
    caller->Execute();
    EXPECT_EQ("acd", Pressed());
    EXPECT_EQ(1, a->QueuedRequests());
    EXPECT_FALSE(caller->Running());
    Env.Timer->Advance(1000);  // the first run ends; the second starts on the next free turn
    Env.Timer->Advance(0);
    EXPECT_EQ("acdba", Pressed());
    EXPECT_EQ(0, a->QueuedRequests());
    Env.Timer->Advance(1000);
    EXPECT_EQ("acdbab", Pressed());
    EXPECT_FALSE(a->Running());
    Env.Timer->Advance(5000);
    EXPECT_EQ("acdbab", Pressed()) << "once more, not again and again";
    EXPECT_EQ(0, Env.Timer->Pending());
}

TEST_F(ActionSequenceTest, ActionsNamingThemselvesAreRefusedWithALogLine) {
    TcontrollerAction* self = Make("Self");
    Key(self, 's');
    Call(self, "SELF");
    Key(self, 't');
    self->Execute();
    EXPECT_EQ("st", Pressed());
    EXPECT_NE(std::string::npos, Env.Log().find("\"Self\" runs \"Self\", which is already running"));

    // Through another action, also across a wait.
    TcontrollerAction* ping = Make("Ping");
    TcontrollerAction* pong = Make("Pong");
    Key(ping, 'p');
    Call(ping, "Pong");
    Wait(pong, 1);
    Key(pong, 'q');
    Call(pong, "Ping");
    Key(pong, 'r');
    ping->Execute();
    Env.Timer->Advance(1000);
    EXPECT_EQ("stpqr", Pressed());
    EXPECT_NE(std::string::npos, Env.Log().find("\"Pong\" runs \"Ping\""));
    EXPECT_EQ(0, Env.Timer->Pending());

    // A long chain stops at the depth limit.
    for (int i = 0; i < kMaxActionDepth + 4; ++i) {
        TcontrollerAction* link = Make("Link" + std::to_string(i));
        Key(link, 'L');
        Call(link, "Link" + std::to_string(i + 1));
    }
    Env.Sender->Keys.clear();
    List.FindByName("Link0")->Execute();
    EXPECT_EQ(std::string(kMaxActionDepth, 'L'), Pressed());
    EXPECT_NE(std::string::npos, Env.Log().find("nested deeper than"));
}

TEST_F(ActionSequenceTest, AFailureStopsItsActionButNotTheCallerOfANestedOne) {
    TcontrollerAction* outer = Make("Outer");
    TcontrollerAction* inner = Make("Inner");
    Key(outer, 'a');
    Call(outer, "Inner");
    Key(outer, 'd');
    Key(inner, 'b');
    Key(inner, 'c')->OnExecute = [](TObject*) { throw Exception("device gone"); };
    Key(inner, 'x');
    outer->Execute();
    EXPECT_EQ("abd", Pressed());
    EXPECT_NE(std::string::npos, Env.Log().find("Action \"Inner\" stopped: device gone"));

    Env.Sender->Keys.clear();
    inner->Execute();  // on its own the failure ends the run
    EXPECT_EQ("b", Pressed());
    EXPECT_FALSE(inner->Running());
}

TEST_F(ActionSequenceTest, DroppedSequencesLeaveNothingBehind) {
    {
        TcontrollerActionList list;
        TcontrollerAction* a = list.AddNew();
        a->SetName("A");
        Wait(a, 5);
        Key(a, 'z');
        a->Execute();
        a->Execute();
    }
    Env.Timer->Advance(10000);  // the list is gone: the wait comes due and does nothing
    EXPECT_EQ("", Pressed());

    TcontrollerAction* b = Make("B");
    Wait(b, 1);
    Key(b, 'b');
    b->Execute();
    List.StopAll();
    Env.Timer->Advance(1000);
    EXPECT_EQ("", Pressed());
    EXPECT_FALSE(b->Running());
}

TEST_F(ActionSequenceTest, ExecStartsDetachedInTheFilesFolderGivenAsItIs) {
    const fs::path folder = Env.Dir.Path() / "my \"tools\" folder";
    fs::create_directories(folder);
    const fs::path script = folder / "note.sh";
    const fs::path out = Env.Dir.Path() / "out.txt";
    ASSERT_TRUE(SafeWriteFile(script.string(), "#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; } > \"" +
                                                   out.string() + ".tmp\"\nmv \"" + out.string() + ".tmp\" \"" +
                                                   out.string() + "\"\n"));
    ::chmod(script.c_str(), 0755);

    TcontrollerAction* a = Make("Run");
    auto* exec = a->Commands().AddNew<TappExecCommand>();
    exec->FileName = script.string();
    exec->Parameters = "one \"two words\"";
    exec->ShowCommand = 7;
    a->Execute();
    for (int i = 0; i < 500 && !fs::exists(out); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::string text;
    ASSERT_TRUE(ReadFileBytes(out.string(), text));
    EXPECT_EQ(folder.string() + "\n[one]\n[two words]\n", text);
    // Its show value goes with the started process to be applied to its window.
    ASSERT_EQ(Env.Sender->Shown.size(), 1u);
    EXPECT_GT(Env.Sender->Shown[0].first, 0);
    EXPECT_EQ(Env.Sender->Shown[0].second, 7);

    // A file that cannot be started is logged, and the action goes on.
    TcontrollerAction* bad = Make("Bad");
    bad->Commands().AddNew<TappExecCommand>()->FileName = (Env.Dir.Path() / "missing" / "prog").string();
    Key(bad, 'k');
    bad->Execute();
    EXPECT_EQ("k", Pressed());
}

TEST_F(ActionSequenceTest, MessageCommandsReachAWindowOfTheMessageLayer) {
    SetWindowMessageFolder(Env.Dir.File("windows"));
    TmessageWindow window("TfrmTestJukebox", "Test Jukebox");
    ASSERT_TRUE(window.IsOpen());
    std::vector<TMessage> got;
    window.SetMessageHandler([&](uint32_t msg, WPARAM w, LPARAM l) {
        got.push_back({msg, w, l, 0});
        return LRESULT(1);
    });

    TcontrollerAction* a = Make("Send");
    auto* byClass = a->Commands().AddNew<TsendMessageCommand>();
    byClass->SetParamText("\"\":\"TfrmTestJukebox\":\"1024\":\"304\":\"-1\"");
    auto* byTitle = a->Commands().AddNew<TsendMessageCommand>();
    byTitle->SetParamText("\"Test Jukebox\":\"\":\"4294967295\":\"-2\":\"7\"");
    auto* nowhere = a->Commands().AddNew<TsendMessageCommand>();
    nowhere->SetParamText("\"No Such Window\":\"\":\"1024\":\"1\":\"1\"");
    a->Execute();
    for (int i = 0; i < 100 && got.size() < 2; ++i) Env.Queue->WaitAndProcess(50);
    SetWindowMessageFolder("");
    ASSERT_EQ(2u, got.size());
    EXPECT_EQ(1024u, got[0].Msg);
    EXPECT_EQ(304u, uint32_t(got[0].WParam));
    EXPECT_EQ(0xFFFFFFFFu, uint32_t(got[0].LParam));
    EXPECT_EQ(0xFFFFFFFFu, got[1].Msg);
    EXPECT_EQ(0xFFFFFFFEu, uint32_t(got[1].WParam));
}

}  // namespace
}  // namespace tunecrest
