#include "remote/controller_commands.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/base/ini_file.h"
#include "core/base/safe_file.h"
#include "core/base/string_lists.h"
#include "core/base/text_utils.h"
#include "remote/controller_hub.h"
#include "remote_test_support.h"

namespace tunecrest {
namespace {

std::unique_ptr<TcustomControllerCommand> Parse(const std::string& kind, const std::string& params) {
    auto command = CreateCommandOfKind(kind);
    EXPECT_TRUE(command) << kind;
    if (command) command->SetParamText(params);
    return command;
}

// Each kind: a stored value, the description it gives and the value it writes back.
TEST(ControllerCommandText, EveryKindRoundTripsItsParameterText) {
    struct Row {
        std::string kind;
        std::string params;
        std::string description;
    };
    const Row rows[] = {
        {"Mouse", "\"Player\":\"mpv\":\"5\":\"-10\":\"20\"", "Mouse Click (Player:mpv:<Left, Right>(-10,20))"},
        {"Mouse", "\"\":\"\":\"7\":\"0\":\"0\"", "Mouse Click (::<Left, Middle, Right>(0,0))"},
        {"Message", "\"Jukebox\":\"TfrmJukebox\":\"1024\":\"304\":\"-1\"", "Send Message (Jukebox:TfrmJukebox:1024:304:-1)"},
        {"Message", "\"\":\"C\":\"4294967295\":\"0\":\"0\"", "Send Message (:C:4294967295:0:0)"},
        {"Key", "\"Editor\":\"\":\"65\"", "Send Key(Editor::A)"},
        {"Key", "\"\":\"\":\"" + std::to_string(0x80000 | 0x10000 | 0x40000 | 0x70) + "\"",
         "Send Key(::[Shift][Alt]F1)"},
        {"Key", "\"\":\"\":\"" + std::to_string(0x80000 | 0x20000 | 0x99) + "\"", "Send Key(::[Ctrl][Undefined])"},
        {"Key", "\"\":\"\":\"0\"", "Send Key(::)"},
        {"Exec", "\"/usr/bin/prog\":\"-a b\":\"3\"", "Exec (/usr/bin/prog:-a b:Show Maximized)"},
        {"Exec", "\"x\":\"\":\"9\"", "Exec (x::)"},
        {"Wait", "\"5\"", "Wait (5)"},
        {"Wait", "\"-2\"", "Wait (-2)"},
        {"Action", "\"Lights Off\"", "Action (Lights Off)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.kind + " " + row.params);
        auto command = Parse(row.kind, row.params);
        EXPECT_EQ(row.description, command->GetDescription());
        EXPECT_EQ(row.params, command->GetParamText());
        EXPECT_TRUE(SameText(row.kind, command->KindWord()));
        auto copy = command->Clone();
        EXPECT_EQ(row.params, copy->GetParamText());
    }
}

TEST(ControllerCommandText, SplittingHasNoEscapesAndResetsOnAWrongFieldCount) {
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), SplitParamText("\"a\":\"b\":\"c\""));
    EXPECT_EQ((std::vector<std::string>{""}), SplitParamText(""));
    EXPECT_EQ((std::vector<std::string>{"x"}), SplitParamText("x"));

    // Four fields for a mouse command leave everything reset.
    auto mouse = Parse("Mouse", "\"t\":\"c\":\"1\":\"5\"");
    auto* m = static_cast<TmouseCommand*>(mouse.get());
    EXPECT_EQ(0, m->Buttons());
    EXPECT_EQ(0, m->X);
    EXPECT_EQ("", m->WindowTitle);
    EXPECT_FALSE(m->SetParamText("\"t\":\"c\":\"1\":\"5\""));

    // A title holding ":" splits into one field too many.
    auto key = Parse("Key", "\"a\":\"b\":\"c\":\"65\"");
    EXPECT_EQ(0, static_cast<TsendKeyCommand*>(key.get())->KeyCode);
    EXPECT_EQ("", static_cast<TsendKeyCommand*>(key.get())->WindowTitle);

    // Wait and Exec keep their own defaults.
    EXPECT_EQ(1, static_cast<TwaitCommand*>(Parse("Wait", "").get())->Seconds);
    EXPECT_EQ(1, static_cast<TwaitCommand*>(Parse("Wait", "\"soon\"").get())->Seconds);
    auto exec = Parse("Exec", "\"a\":\"b\"");
    EXPECT_EQ(1, static_cast<TappExecCommand*>(exec.get())->ShowCommand);
    EXPECT_EQ("", static_cast<TappExecCommand*>(exec.get())->FileName);
}

TEST(ControllerCommandText, PackedKeyAndMouseValues) {
    TsendKeyCommand key;
    key.SetKeyValue(0x7FFF0041);
    EXPECT_EQ(0x41, key.KeyCode);
    EXPECT_TRUE(key.Shift && key.Ctrl && key.Alt && key.VirtualKey);
    EXPECT_EQ(0xF0041, key.KeyValue());
    // Unpacking never clears a flag.
    key.SetKeyValue(0x42);
    EXPECT_TRUE(key.Shift && key.Ctrl && key.Alt && key.VirtualKey);
    EXPECT_EQ(0x42, key.KeyCode);
    key.KeyCode = 0x12345;  // only the low 16 bits count
    EXPECT_EQ(0xF2345, key.KeyValue());

    TmouseCommand mouse;
    mouse.SetButtons(kMouseMiddle | kMouseRight);
    EXPECT_FALSE(mouse.LeftButton);
    EXPECT_TRUE(mouse.MiddleButton && mouse.RightButton);
    EXPECT_EQ(6, mouse.Buttons());

    TsendKeyCommand character;
    character.KeyCode = 0xE9;  // é
    EXPECT_EQ("\xC3\xA9", character.KeyText());
}

TEST(ControllerCommandText, ShowCommandTableAndNamedKeys) {
    ASSERT_EQ(4u, ShowCommands().size());
    EXPECT_STREQ("Show Normal", ShowCommands()[0].Name);
    EXPECT_STREQ("Show Minimized and Not Active", ShowCommands()[3].Name);
    EXPECT_EQ("Show Minimized", ShowCommandName(2));
    EXPECT_EQ("", ShowCommandName(0));

    const TkeyboardKeys& keys = KeyboardKeys();
    ASSERT_EQ(31, keys.Count());
    EXPECT_EQ("Shift", keys.Items(0)->Name);
    EXPECT_EQ("Backspace", keys.Items(3)->Name);
    EXPECT_EQ("F12", keys.Items(30)->Name);
    EXPECT_EQ(0x7B, keys.Items(30)->Code);
    EXPECT_EQ(nullptr, keys.Items(31));
    EXPECT_EQ(0x22, keys.FindByName("page down")->Code);
    EXPECT_EQ(nullptr, keys.FindByName("PageDown"));
    EXPECT_EQ("Up Arrow", keys.FindByCode(0x26)->Name);
    EXPECT_EQ(-1, keys.IndexOfCode(0x41));
    TmyStringList list;
    list.Add("stale");
    keys.FillList(list);
    ASSERT_EQ(28, list.Count());
    EXPECT_EQ("Backspace", list.Strings(0));
}

TEST(ControllerCommandList, BoundsAndNotifications) {
    TcontrollerCommandList list;
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    for (int i = 0; i < 3; ++i) list.AddNew<TwaitCommand>()->Seconds = i;
    EXPECT_EQ(3, changes);
    list.MoveUp(0);           // nothing above the first
    list.MoveDown(2);         // nothing below the last
    list.Move(0, 3);          // out of range
    EXPECT_EQ(3, changes);
    list.MoveDown(0);
    EXPECT_EQ(1, static_cast<TwaitCommand*>(list.Items(0))->Seconds);
    list.Delete(7);
    list.Delete(0);  // no notification
    EXPECT_EQ(4, changes);
    EXPECT_EQ(2, list.Count());
    EXPECT_EQ(nullptr, list.Items(2));
    list.BeginUpdate();
    list.Clear();
    list.AddNew<TwaitCommand>();
    EXPECT_EQ(4, changes);
    list.EndUpdate();
    EXPECT_EQ(5, changes);
    list.EndUpdate();  // never below 0
    std::vector<std::string> lines{"old"};
    list.FillList(lines);
    EXPECT_EQ((std::vector<std::string>{"Wait (1)"}), lines);
}

class ActionFileTest : public ::testing::Test {
protected:
    test::TremoteEnvironment Env;
    std::vector<std::string> Problems;
    TloadProblem Collect() {
        return [this](const std::string& p) { Problems.push_back(p); };
    }
};

TEST_F(ActionFileTest, ReadsEveryComKeyInFileOrderAndReportsWhatItSkips) {
    TiniFile ini;
    ini.SetText(
        "[Lights]\nDescription=Dim\nGroup=Room\ncom0={Wait}\nCOM1={wait}\"5\"\ncomX={Action}\"Other\"\n"
        "command={Exec}\"a\":\"b\":\"2\"\nxcom={Wait}\"9\"\ncom5=Wait\"3\"\ncom6=x{Wait}\ncom7={Wait\n"
        "com8={Jump}\"1\"\ncom9={Mouse}\"t\":\"c\":\"1\":\"5\"\n"
        "[Other]\ncom0={Key}\"\":\"\":\"65\"\n"
        "[lights]\ncom0={Wait}\"7\"\n");
    TcontrollerActionList list;
    list.LoadFromIni(ini, Collect());
    ASSERT_EQ(2, list.Count());
    TcontrollerAction* lights = list.FindByName("LIGHTS");
    ASSERT_TRUE(lights);
    EXPECT_EQ("Dim", lights->Description());
    EXPECT_EQ("Room", lights->Group());
    std::vector<std::string> lines;
    lights->Commands().FillList(lines);
    EXPECT_EQ((std::vector<std::string>{"Wait (1)", "Wait (5)", "Action (Other)", "Exec (a:b:Show Minimized)",
                                        "Mouse Click (::<>(0,0))"}),
              lines);
    // Not starting with "{", no "}", unknown kind, wrong count, duplicate section.
    ASSERT_EQ(6u, Problems.size());
    EXPECT_NE(std::string::npos, Problems[0].find("com5"));
    EXPECT_NE(std::string::npos, Problems[1].find("com6"));
    EXPECT_NE(std::string::npos, Problems[2].find("com7"));
    EXPECT_NE(std::string::npos, Problems[3].find("unknown command kind \"Jump\""));
    EXPECT_NE(std::string::npos, Problems[4].find("com9"));
    EXPECT_NE(std::string::npos, Problems[5].find("\"lights\" appears twice"));
}

TEST_F(ActionFileTest, WritingAndReadingBackKeepsCommandsAndSkipsGeneratedOnes) {
    TcontrollerActionList list;
    TcontrollerAction* a = list.AddNew();
    a->SetName("Party");
    a->SetDescription("Start the party");
    a->Commands().AddNew<TsendKeyCommand>()->SetParamText("\"Win\":\"Cls\":\"" + std::to_string(0x80000 | 0x0D) + "\"");
    a->Commands().AddNew<TgroupActivateCommand>()->GroupName = "Bar";
    a->Commands().AddNew<TappExecCommand>()->SetParamText("\"/bin/true\":\"-a 'b c'\":\"1\"");
    a->Commands().AddNew<TwaitCommand>()->Seconds = 0;
    TcontrollerAction* generated = list.AddNew();
    generated->SetName("Activate Group 'Bar'");
    generated->ReadOnly = true;

    TiniFile ini;
    list.SaveToIni(ini);
    EXPECT_EQ("[Party]\r\nDescription=Start the party\r\nGroup=\r\ncom0={Key}\"Win\":\"Cls\":\"524301\"\r\n"
              "com2={Exec}\"/bin/true\":\"-a 'b c'\":\"1\"\r\ncom3={Wait}\"0\"\r\n",
              ini.GetText());

    TcontrollerActionList back;
    back.LoadFromIni(ini, Collect());
    EXPECT_TRUE(Problems.empty());
    ASSERT_EQ(1, back.Count());
    std::vector<std::string> before, after;
    a->Commands().FillList(before);
    before.erase(before.begin() + 1);  // the group switch is never stored
    back.Items(0)->Commands().FillList(after);
    EXPECT_EQ(before, after);
}

TEST_F(ActionFileTest, ListIsSortedReadOnlyFirstAndFindsNewNames) {
    TcontrollerActionList list;
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    for (const char* name : {"Other", "action002", "Action000"}) list.AddNew()->SetName(name);
    EXPECT_EQ("Action001", list.GetNewActionName());
    list.AddNew()->SetName("Action001");
    EXPECT_EQ("Action003", list.GetNewActionName());
    auto system = std::make_shared<TcontrollerAction>();
    system->ReadOnly = true;
    system->SetName("Z System");
    system->SetGroup("System");
    list.Add(system);
    std::vector<std::string> names;
    list.FillList(names, true);
    EXPECT_EQ((std::vector<std::string>{"Z System", "Action000", "Action001", "action002", "Other"}), names);
    list.Items(4)->SetDescription("last");
    list.FillList(names, false);
    EXPECT_EQ((std::vector<std::string>{"Action000", "Action001", "action002", "Other [last]"}), names);
    list.Items(1)->SetGroup("Room");
    const auto tree = list.FillTreeView(true);
    ASSERT_EQ(3u, tree.size());
    EXPECT_EQ("[Group Not Assigned]", tree[0].Label);
    EXPECT_EQ(3u, tree[0].Actions.size());
    EXPECT_EQ("System", tree[1].Label);
    EXPECT_EQ("Room", tree[2].Label);
    EXPECT_GT(changes, 0);

    // A read-only action refuses to be edited with a message.
    EXPECT_FALSE(list.Items(0)->Edit());
    EXPECT_NE(std::string::npos, Env.Log().find("This action is Read-Only and cannot be edited."));
}

}  // namespace
}  // namespace tunecrest
