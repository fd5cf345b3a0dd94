#include "remote/program_launcher.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "core/base/document_opener.h"
#include "core/base/ini_file.h"
#include "core/base/services.h"
#include "support/temp_dir.h"

namespace tunecrest {
namespace {

std::string ReadAll(const std::string& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(AppLauncherText, BuildsAndParsesTheOneLineForm) {
    TappLauncher launcher;
    launcher.SetText("/usr/bin/app||/srv/work|3|0");
    EXPECT_EQ(launcher.FileName, "/usr/bin/app");
    EXPECT_EQ(launcher.Parameters, "");
    EXPECT_EQ(launcher.WorkingFolder, "/srv/work");
    EXPECT_EQ(launcher.ShowCommand, 3);
    EXPECT_FALSE(launcher.Wait);
    EXPECT_EQ(launcher.Text(), "/usr/bin/app||/srv/work|3|0");

    launcher.SetText("just-a-file");
    EXPECT_EQ(launcher.FileName, "just-a-file");
    EXPECT_EQ(launcher.WorkingFolder, "");
    EXPECT_EQ(launcher.ShowCommand, 1);
    EXPECT_FALSE(launcher.Wait);
    EXPECT_EQ(launcher.Text(), "just-a-file|||1|0");

    // Bad numbers fall back to the defaults; any non-zero wait waits.
    launcher.SetText("a|b|c|x|7");
    EXPECT_EQ(launcher.ShowCommand, 1);
    EXPECT_TRUE(launcher.Wait);
    // No quoting: a "|" splits wherever it stands.
    launcher.SetText("a|-x|y|f|2|1");
    EXPECT_EQ(launcher.Parameters, "-x");
    EXPECT_EQ(launcher.WorkingFolder, "y");
    EXPECT_EQ(launcher.ShowCommand, 1);
    EXPECT_TRUE(launcher.Wait);  // read from the "2" that the extra "|" moved there
}

TEST(AppLauncherText, ParametersSplitAtBlanksAndKeepQuotedGroups) {
    EXPECT_EQ(SplitLaunchParameters(""), std::vector<std::string>{});
    EXPECT_EQ(SplitLaunchParameters("  -a   b "), (std::vector<std::string>{"-a", "b"}));
    EXPECT_EQ(SplitLaunchParameters("--file \"My Music/a b.m3u\" x"),
              (std::vector<std::string>{"--file", "My Music/a b.m3u", "x"}));
    EXPECT_EQ(SplitLaunchParameters("\"\" end"), (std::vector<std::string>{"", "end"}));
}

TEST(AppLauncherList, SavesElevenKeysInUpperCaseHexAndDropsOldKeys) {
    TiniFile ini;
    ini.SetText("[LaunchStartup]\nLauncher0000=old\nLauncher0011=stale\nOther=x\n[Keep]\nA=1\n");
    TappLauncherList list;
    for (int i = 0; i < 11; ++i) list.Add()->FileName = "p" + std::to_string(i);
    list.SaveToIni(ini, "LaunchStartup");
    const auto keys = ini.ReadSection("LaunchStartup");
    ASSERT_EQ(keys.size(), 11u);
    EXPECT_EQ(keys.front(), "Launcher0000");
    EXPECT_EQ(keys[9], "Launcher0009");
    EXPECT_EQ(keys.back(), "Launcher000A");
    EXPECT_EQ(ini.ReadString("LaunchStartup", "Launcher000A", ""), "p10|||1|0");
    EXPECT_FALSE(ini.ValueExists("LaunchStartup", "Launcher0011"));
    EXPECT_EQ(ini.ReadString("Keep", "A", ""), "1");

    // Loading appends in file order, whatever the key names are, and notifies once.
    TiniFile other;
    other.SetText("[LaunchClose]\nZ=/bin/z|-q||1|1\nA=/bin/a\n");
    TappLauncherList loaded;
    loaded.Add()->FileName = "first";
    int changes = 0;
    loaded.OnChange = [&](TObject*) { ++changes; };
    loaded.LoadFromIni(other, "LaunchClose");
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(loaded.Count(), 3);
    EXPECT_EQ(loaded.Items(0)->FileName, "first");
    EXPECT_EQ(loaded.Items(1)->FileName, "/bin/z");
    EXPECT_TRUE(loaded.Items(1)->Wait);
    EXPECT_EQ(loaded.Items(2)->FileName, "/bin/a");
    EXPECT_EQ(loaded.Items(3), nullptr);
    EXPECT_EQ(loaded.Items(-1), nullptr);
}

TEST(AppLauncherList, MovesStayInsideTheListAndEveryChangeNotifies) {
    TappLauncherList list;
    for (const char* name : {"a", "b", "c"}) list.Add()->FileName = name;
    int changes = 0;
    list.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &list);
        ++changes;
    };
    auto names = [&] {
        std::string s;
        for (int i = 0; i < list.Count(); ++i) s += list.Items(i)->FileName;
        return s;
    };
    list.MoveUp(0);
    list.MoveDown(2);
    list.MoveUp(3);
    EXPECT_EQ(names(), "abc");
    EXPECT_EQ(changes, 0);
    list.MoveUp(2);
    EXPECT_EQ(names(), "acb");
    list.MoveDown(0);
    EXPECT_EQ(names(), "cab");
    list.Move(0, 2);
    EXPECT_EQ(names(), "abc");
    EXPECT_EQ(changes, 3);

    list.BeginUpdate();
    list.Remove(1);
    list.Remove(7);
    list.Add()->FileName = "d";
    EXPECT_EQ(changes, 3);
    list.EndUpdate();
    list.EndUpdate();  // an extra EndUpdate neither notifies nor underflows
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(names(), "acd");
    list.Clear();
    EXPECT_EQ(changes, 5);
    EXPECT_EQ(list.Count(), 0);
}

// Runs small shell programs that write to a journal in the test's folder.
class ProgramLauncherRun : public ::testing::Test {
protected:
    void SetUp() override {
        FoldDispatcher = SetDispatcher(Fdispatcher);
        SetErrorLogFile(Dir.File("log.log"));
    }
    void TearDown() override {
        SetErrorLogFile("");
        SetDispatcher(FoldDispatcher);
    }

    // A script that writes "<name>" when it starts, sleeps, then writes "<name>-end".
    std::string Script(const std::string& name, const std::string& sleep = "0") {
        const std::string file = Dir.File(name + ".sh");
        // A program still running when the test ends finds the folder gone: it stays quiet.
        std::ofstream(file) << "#!/bin/sh\n{ echo " << name << " >> \"" << Journal() << "\"; } 2>/dev/null\nsleep "
                            << sleep << "\n{ echo " << name << "-end >> \"" << Journal() << "\"; } 2>/dev/null\n";
        ::chmod(file.c_str(), 0755);
        return file;
    }
    TappLauncher* Add(TappLauncherList& list, const std::string& file, bool wait) {
        auto* launcher = list.Add();
        launcher->FileName = file;
        launcher->Wait = wait;
        return launcher;
    }
    std::string Journal() const { return Dir.File("journal.txt"); }
    // Drains the main-thread queue until `done` or a generous safety limit.
    void RunUntil(const bool& done) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done && std::chrono::steady_clock::now() < limit) Fdispatcher->WaitAndProcess(50);
    }
    // Waits (without the dispatcher) until the journal holds `text`.
    bool JournalReaches(const std::string& text) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (ReadAll(Journal()) != text && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return ReadAll(Journal()) == text;
    }

    test::TempDir Dir;
    std::shared_ptr<TqueueDispatcher> Fdispatcher = std::make_shared<TqueueDispatcher>();
    std::shared_ptr<TmainThreadDispatcher> FoldDispatcher;
};

TEST_F(ProgramLauncherRun, WaitingLaunchersStartTheNextOnlyAfterTheirProgramEnded) {
    TappLauncherList list;
    Add(list, Script("a", "0.2"), true);
    Add(list, Script("b", "0.1"), true);
    Add(list, Script("c"), false);
    bool finished = false;
    list.ExecuteAll([&] { finished = true; });
    // ExecuteAll returned while "a" runs: nothing after it has been started yet.
    EXPECT_FALSE(finished);
    ASSERT_TRUE(JournalReaches("a\na-end\n"));
    RunUntil(finished);
    EXPECT_TRUE(finished);
    EXPECT_TRUE(JournalReaches("a\na-end\nb\nb-end\nc\nc-end\n"));
    EXPECT_EQ(ReadAll(Dir.File("log.log")), "");
}

TEST_F(ProgramLauncherRun, AWaitThatPassesTheTimeLimitGoesOnAndIsLogged) {
    TappLauncherList list;
    list.SetWaitLimitMs(100);
    Add(list, Script("slow", "2"), true);
    Add(list, Script("next"), false);
    bool finished = false;
    list.ExecuteAll([&] { finished = true; });
    RunUntil(finished);
    ASSERT_TRUE(finished);
    // "next" was started and ran to its end while "slow" still ran.
    EXPECT_TRUE(JournalReaches("slow\nnext\nnext-end\n")) << ReadAll(Journal());
    EXPECT_NE(ReadAll(Dir.File("log.log")).find("\"" + Dir.File("slow.sh") + "\" still runs"), std::string::npos);
}

TEST_F(ProgramLauncherRun, AMissingProgramIsLoggedAndTheRestStillRun) {
    TappLauncher missing;
    missing.FileName = Dir.File("no-such-program");
    missing.Wait = true;
    bool called = false;
    EXPECT_FALSE(missing.Execute([&](TlaunchOutcome) { called = true; }));
    EXPECT_EQ(Fdispatcher->ProcessPendingCalls(), 0);
    EXPECT_FALSE(called);
    EXPECT_NE(ReadAll(Dir.File("log.log")).find("\"" + Dir.File("no-such-program") + "\" was not found"),
              std::string::npos);

    TappLauncherList list;
    Add(list, Dir.File("gone"), true);
    Add(list, "", false);
    Add(list, Script("after"), true);
    bool finished = false;
    list.ExecuteAll([&] { finished = true; });
    RunUntil(finished);
    EXPECT_TRUE(finished);
    EXPECT_EQ(ReadAll(Journal()), "after\nafter-end\n");
    const std::string log = ReadAll(Dir.File("log.log"));
    EXPECT_NE(log.find("\"" + Dir.File("gone") + "\" was not found"), std::string::npos);
    EXPECT_NE(log.find("no program given"), std::string::npos);
}

TEST_F(ProgramLauncherRun, ParametersReachTheProgramAndABareNameIsFoundOnPath) {
    const std::string out = Dir.File("args.txt");
    TappLauncher launcher;
    launcher.FileName = "sh";
    launcher.Parameters = "-c \"echo $0:$1 > " + out + "\" \"one two\" three";
    launcher.Wait = true;
    bool ended = false;
    ASSERT_TRUE(launcher.Execute([&](TlaunchOutcome outcome) { ended = outcome == loEnded; }));
    RunUntil(ended);
    EXPECT_TRUE(ended);
    EXPECT_EQ(ReadAll(out), "one two:three\n");
}

// Records the documents it is asked to open.
class TrecordingOpener : public TdocumentOpener {
public:
    bool OpenDocument(const std::string& fileName, std::string&) override {
        Opened.push_back(fileName);
        return true;
    }
    std::vector<std::string> Opened;
};

TEST_F(ProgramLauncherRun, ADocumentIsOpenedByItsApplicationAndNeverWaitedFor) {
    const std::string document = Dir.File("playlist.m3u");
    std::ofstream(document) << "#EXTM3U\n";
    auto opener = std::make_shared<TrecordingOpener>();
    auto previous = SetDocumentOpener(opener);
    TappLauncherList list;
    Add(list, document, true);
    Add(list, Script("then"), false);
    bool finished = false;
    list.ExecuteAll([&] { finished = true; });
    RunUntil(finished);
    SetDocumentOpener(previous);
    EXPECT_TRUE(finished);
    EXPECT_EQ(opener->Opened, std::vector<std::string>{document});
    EXPECT_TRUE(JournalReaches("then\nthen-end\n"));
}

TEST_F(ProgramLauncherRun, DestroyingTheListStopsARunThatIsStillWaiting) {
    bool finished = false;
    {
        TappLauncherList list;
        Add(list, Script("first", "0.1"), true);
        Add(list, Script("second"), false);
        list.ExecuteAll([&] { finished = true; });
    }
    ASSERT_TRUE(JournalReaches("first\nfirst-end\n"));
    const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < limit) Fdispatcher->WaitAndProcess(20);
    EXPECT_FALSE(finished);
    EXPECT_EQ(ReadAll(Journal()), "first\nfirst-end\n");
}

}  // namespace
}  // namespace tunecrest
