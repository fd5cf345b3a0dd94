// The touch file and folder chooser: the callers' two filter forms, masks without regard
// to case, the folder listing, the start folder and the saved name; then the dialog as
// the skinned prompt runs it: open, save with a name typed on the on-screen keyboard,
// replacing a file only when confirmed, a folder, cancel and switching masks; names that
// are not UTF-8, a folder that cannot be read and a folder of many thousand entries.
#include "windows/dialogs/file_chooser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "core/jukebox/global_prefs.h"
#include "support/keyboard_typing.h"
#include "support/permission_checks.h"
#include "support/pump_events.h"
#include "support/scripted_modal_runner.h"
#include "support/temp_dir.h"
#include "support/test_application.h"
#include "windows/password_entry.h"
#include "windows/skinned_prompt.h"

namespace tunecrest {
namespace {

namespace fs = std::filesystem;
using test::Press;
using test::TscriptedModalRunner;
using test::TypeOnKeyboard;

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

std::vector<std::string> Names(const std::vector<TchooserEntry>& entries) {
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back((e.Folder ? "[" : "") + e.Name + (e.Folder ? "]" : ""));
    return names;
}

TEST(FileChoice, BothFilterFormsAndMasksWithoutRegardToCase) {
    const auto pipes = ParseFileFilter("All Supported Files|*.mp3;*.ogg|MPEG Audio (*.mp3)|*.mp3|Broken|");
    ASSERT_EQ(pipes.size(), 2u);  // a description without masks is dropped
    EXPECT_EQ(pipes[0].Description, "All Supported Files");
    EXPECT_EQ(pipes[0].Masks, (std::vector<std::string>{"*.mp3", "*.ogg"}));
    EXPECT_EQ(pipes[1].Description, "MPEG Audio (*.mp3)");
    const auto qt = ParseFileFilter("M3U Playlist (*.m3u);;Text (*.txt *.text)");
    ASSERT_EQ(qt.size(), 2u);
    EXPECT_EQ(qt[0].Masks, (std::vector<std::string>{"*.m3u"}));
    EXPECT_EQ(qt[1].Masks, (std::vector<std::string>{"*.txt", "*.text"}));
    for (const char* none : {"", "Just words", "|"}) {
        const auto all = ParseFileFilter(none);
        ASSERT_EQ(all.size(), 1u) << none;
        EXPECT_EQ(all[0].Masks, (std::vector<std::string>{"*"})) << none;
    }

    EXPECT_TRUE(MatchesMask("Track.MP3", "*.mp3"));
    EXPECT_TRUE(MatchesMask("a.b.mp3", "*.mp3"));
    EXPECT_FALSE(MatchesMask("list.m3u8", "*.m3u"));
    EXPECT_FALSE(MatchesMask("mp3", "*.mp3"));
    EXPECT_TRUE(MatchesMask("track1.ogg", "track?.ogg"));
    EXPECT_FALSE(MatchesMask("track12.ogg", "track?.ogg"));
    EXPECT_TRUE(MatchesMask("README", "*.*"));  // every name, also without an extension
    EXPECT_TRUE(MatchesMask("x", "*"));
    EXPECT_TRUE(MatchesMask("aXbXc", "a*b*c"));
    EXPECT_FALSE(MatchesMask("aXbXd", "a*b*c"));
    EXPECT_TRUE(MatchesAnyMask("v.MP4", {"*.avi", "*.mp4"}));
    EXPECT_FALSE(MatchesAnyMask("v.mkv", {}));
}

TEST(FileChoice, FoldersFirstSortedHiddenLeftOutAndTheStartAndSavedNames) {
    test::TempDir dir;
    const std::string root = dir.File("music");
    for (const char* sub : {"b-side", "Albums", ".cache", "zeta"}) fs::create_directories(root + "/" + sub);
    for (const char* file : {"b.mp3", "A.MP3", ".hidden.mp3", "cover.jpg", "list.m3u"}) Touch(root + "/" + file);
    EXPECT_EQ(Names(ListFolderEntries(root, {"*.mp3", "*.m3u"}, false)),
              (std::vector<std::string>{"[Albums]", "[b-side]", "[zeta]", "A.MP3", "b.mp3", "list.m3u"}));
    EXPECT_EQ(Names(ListFolderEntries(root, {"*"}, true)),
              (std::vector<std::string>{"[Albums]", "[b-side]", "[zeta]"}));
    EXPECT_TRUE(ListFolderEntries(root + "/missing", {"*"}, false).empty());

    const std::string home = dir.File("home");
    fs::create_directories(home);
    EXPECT_EQ(ChooserStartFolder(root + "/Albums/", root, home), root + "/Albums");
    EXPECT_EQ(ChooserStartFolder(root + "/list.m3u", "", home), root);  // a file: its folder
    EXPECT_EQ(ChooserStartFolder(root + "/gone/x.m3u", root, home), root);  // else music
    EXPECT_EQ(ChooserStartFolder("", dir.File("no-music"), home), home);  // else home
    EXPECT_EQ(ChooserStartFolder("relative/path", "", ""), "/");
    EXPECT_EQ(ChooserParentFolder(root + "/Albums"), root);
    EXPECT_EQ(ChooserParentFolder("/"), "/");
    EXPECT_EQ(ChooserParentFolder("/top"), "/");

    EXPECT_EQ(SaveChoiceFile(root, "Party", {"*.m3u"}), root + "/Party.m3u");
    EXPECT_EQ(SaveChoiceFile(root + "/", " Party.txt ", {"*.m3u"}), root + "/Party.txt");
    EXPECT_EQ(SaveChoiceFile(root, "Party", {"*"}), root + "/Party");
    EXPECT_EQ(SaveChoiceFile(root, "Party", {"track*.m3u"}), root + "/Party");
    for (const char* bad : {"", "  ", ".", "..", "../escape.m3u", "sub/name.m3u"})
        EXPECT_EQ(SaveChoiceFile(root, bad, {"*.m3u"}), "") << bad;
    // A mask's "extension" that holds a "/" is not added: the answer stays in the folder.
    EXPECT_EQ(SaveChoiceFile(root, "Party", {"*./../../escape"}), root + "/Party");
}

TfrmFileChooser& Chooser(QDialog& d) { return dynamic_cast<TfrmFileChooser&>(d); }

// The folder shown, once it is listed whole.
bool Listed(TfrmFileChooser& w) {
    return test::Pump([&] { return !w.Listing(); }, 30000);
}

std::vector<std::string> Rows(TfrmFileChooser& w) {
    EXPECT_TRUE(Listed(w));
    std::vector<std::string> rows;
    for (int i = 0; i < w.lbEntries->count(); ++i) rows.push_back(w.lbEntries->item(i)->text().toStdString());
    return rows;
}

void TouchRow(TfrmFileChooser& w, const std::string& text) {
    ASSERT_TRUE(Listed(w));
    const auto found = w.lbEntries->findItems(QString::fromStdString(text), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text;
    w.lbEntries->scrollToItem(found[0]);
    QTest::mouseClick(w.lbEntries->viewport(), Qt::LeftButton, {}, w.lbEntries->visualItemRect(found[0]).center());
}

// The skinned prompt with its questions answered and recorded, so a test sees the
// replace question without a second dialog.
class TchooserPrompt : public TskinnedPrompt {
public:
    bool AskYesNo(const std::string& text, const std::string&, bool) override {
        Questions.push_back(text);
        return Answer;
    }
    std::vector<std::string> Questions;
    bool Answer = false;
};

struct FileChooserDialog : ::testing::Test {
    void SetUp() override {
        test::App();
        previous = SetPrompt(prompt);
        GlobalPrefs().SetOnScreenKeyboardsEnabled(true);
        root = dir.File("lists");
        fs::create_directories(root + "/Older");
        Touch(root + "/Friday.m3u");
        Touch(root + "/notes.txt");
        Touch(root + "/Older/Summer.M3U");
    }
    void TearDown() override { SetPrompt(previous); }
    test::TempDir dir;
    std::string root;
    std::shared_ptr<TchooserPrompt> prompt = std::make_shared<TchooserPrompt>();
    std::shared_ptr<Tprompt> previous;
    std::shared_ptr<TscriptedModalRunner> runner = std::make_shared<TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
};

TEST_F(FileChooserDialog, OpenWalksFoldersByTouchAndAnswersTheTouchedFile) {
    runner->Push([this](QDialog& d) {
        auto& w = Chooser(d);
        EXPECT_EQ(w.windowTitle(), "Load from M3U File");
        EXPECT_EQ(w.lblFolder->text().toStdString(), root);
        EXPECT_EQ(Rows(w), (std::vector<std::string>{"Older", "Friday.m3u"}));  // notes.txt is masked out
        EXPECT_TRUE(w.edFileName->isHidden());
        EXPECT_TRUE(w.cboFilter->isHidden());  // one mask set: nothing to choose
        EXPECT_FALSE(w.btnOK->isEnabled());  // no file touched yet
        for (int i = 0; i < w.lbEntries->count(); ++i)
            EXPECT_GE(w.lbEntries->visualItemRect(w.lbEntries->item(i)).height(), 48);
        EXPECT_GE(w.btnUp->height(), 48);
        TouchRow(w, "Older");  // one touch opens a folder
        EXPECT_EQ(w.Folder(), root + "/Older");
        EXPECT_EQ(Rows(w), (std::vector<std::string>{"Summer.M3U"}));
        Press(w.btnUp);
        EXPECT_EQ(w.Folder(), root);
        TouchRow(w, "Older");
        TouchRow(w, "Summer.M3U");
        EXPECT_TRUE(w.btnOK->isEnabled());
        Press(w.btnOK);
    });
    EXPECT_EQ(Prompt().ChooseOpenFile("Load from M3U File", "M3U Playlist (*.m3u)", root),
              std::optional<std::string>(root + "/Older/Summer.M3U"));

    runner->Push([](QDialog& d) {
        auto& w = Chooser(d);
        TouchRow(w, "Friday.m3u");
        Press(w.btnCancel);
    });
    EXPECT_EQ(Prompt().ChooseOpenFile("Load from M3U File", "M3U Playlist (*.m3u)", root), std::nullopt);
    EXPECT_EQ(runner->Pending(), 0);
}

TEST_F(FileChooserDialog, SaveTakesANameTypedOnTheKeyboardAndAsksBeforeReplacing) {
    runner->Push([this](QDialog& d) {
        auto& w = Chooser(d);
        EXPECT_EQ(w.btnOK->Caption(), "Save");
        EXPECT_FALSE(w.edFileName->isHidden());
        EXPECT_FALSE(w.btnOK->isEnabled());  // no name yet
        // A touch on the name opens the text entry with the on-screen keyboard.
        runner->Push([](QDialog& entry) {
            ASSERT_NE(dynamic_cast<TfrmPassword2*>(&entry), nullptr);
            TypeOnKeyboard("SATURDAY");
            Press(dynamic_cast<TfrmPassword2&>(entry).btnOK);
        });
        QTest::mouseClick(w.edFileName, Qt::LeftButton, {}, w.edFileName->rect().center());
        EXPECT_EQ(w.edFileName->text(), "SATURDAY");
        EXPECT_TRUE(w.btnOK->isEnabled());
        Press(w.btnOK);
    });
    EXPECT_EQ(Prompt().ChooseSaveFile("Save to M3U File", "M3U Playlist (*.m3u)", root),
              std::optional<std::string>(root + "/SATURDAY.m3u"));
    EXPECT_TRUE(prompt->Questions.empty());  // a new file needs no question

    // Touching an existing file takes its name; replacing it is asked, and No keeps the
    // dialog open for another name.
    runner->Push([this](QDialog& d) {
        auto& w = Chooser(d);
        TouchRow(w, "Friday.m3u");
        EXPECT_EQ(w.edFileName->text(), "Friday.m3u");
        Press(w.btnOK);
        EXPECT_TRUE(w.isVisible());
        ASSERT_EQ(prompt->Questions.size(), 1u);
        EXPECT_EQ(prompt->Questions[0], "Friday.m3u already exists.  Do you want to replace it?");
        prompt->Answer = true;
        Press(w.btnOK);
    });
    EXPECT_EQ(Prompt().ChooseSaveFile("Save to M3U File", "M3U Playlist (*.m3u)", root),
              std::optional<std::string>(root + "/Friday.m3u"));

    // A previous choice offered as the start fills the name; a typed folder name opens it.
    runner->Push([this](QDialog& d) {
        auto& w = Chooser(d);
        EXPECT_EQ(w.Folder(), root);
        EXPECT_EQ(w.edFileName->text(), "Old.csv");
        w.edFileName->setText("Older");
        Press(w.btnOK);
        EXPECT_EQ(w.Folder(), root + "/Older");
        EXPECT_TRUE(w.isVisible());
        Press(w.btnCancel);
    });
    EXPECT_EQ(Prompt().ChooseSaveFile("Report Output File", "CSV Files (*.csv)|*.csv", root + "/Old.csv"),
              std::nullopt);
}

TEST_F(FileChooserDialog, FolderChoiceListsOnlyFoldersAndMaskChoiceFilters) {
    runner->Push([this](QDialog& d) {
        auto& w = Chooser(d);
        EXPECT_EQ(Rows(w), (std::vector<std::string>{"Older"}));
        EXPECT_TRUE(w.cboFilter->isHidden());
        EXPECT_EQ(w.btnOK->Caption(), "Choose");
        EXPECT_TRUE(w.btnOK->isEnabled());  // the folder shown is a choice already
        TouchRow(w, "Older");
        Press(w.btnOK);
    });
    EXPECT_EQ(Prompt().ChooseFolder("Choose an Audio Folder", root),
              std::optional<std::string>(root + "/Older"));

    runner->Push([](QDialog& d) {
        auto& w = Chooser(d);
        EXPECT_FALSE(w.cboFilter->isHidden());
        EXPECT_EQ(Rows(w), (std::vector<std::string>{"Older", "Friday.m3u", "notes.txt"}));
        w.cboFilter->setCurrentIndex(1);
        EXPECT_EQ(Rows(w), (std::vector<std::string>{"Older", "notes.txt"}));
        TouchRow(w, "notes.txt");
        Press(w.btnOK);
    });
    EXPECT_EQ(Prompt().ChooseOpenFile("Files to Import", "Lists|*.m3u;*.txt|Text Files|*.txt", root),
              std::optional<std::string>(root + "/notes.txt"));

    // Escape cancels a folder choice too.
    runner->Push([](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    EXPECT_EQ(Prompt().ChooseFolder("Choose Folder", root), std::nullopt);
}

TEST(FileChoice, NamesThatAreNotUtf8ShowWithAStandInAndKeepTheirBytes) {
    EXPECT_EQ(ShownName("Caf\xc3\xa9.mp3"), "Caf\xc3\xa9.mp3");
    EXPECT_EQ(ShownName("Caf\xe9.mp3"), "Caf\xef\xbf\xbd.mp3");                // Latin-1 é
    EXPECT_EQ(ShownName("\xc3"), "\xef\xbf\xbd");                              // cut short
    EXPECT_EQ(ShownName("\xc0\xaf"), "\xef\xbf\xbd\xef\xbf\xbd");              // overlong "/"
    EXPECT_EQ(ShownName("\xed\xa0\x80"), "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd");  // a surrogate
    EXPECT_EQ(ShownName("\xf0\x9f\x8e\xb5 \xf4\x90\x80\x80"), "\xf0\x9f\x8e\xb5 \xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd");
    test::TempDir dir;
    const std::string folder = dir.File("latin");
    fs::create_directories(folder + "/Caf\xe9");
    Touch(folder + "/Ol\xe9.mp3");
    const auto entries = ListFolderEntries(folder, {"*.mp3"}, false);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].Name, "Caf\xe9");
    EXPECT_EQ(entries[1].Name, "Ol\xe9.mp3");
}

TEST(FileChoice, AnUnreadableFolderSaysWhy) {
    test::TempDir dir;
    const std::string locked = dir.File("locked");
    fs::create_directories(locked + "/inside");
    fs::permissions(locked, fs::perms::none);
    const test::TpermissionChecksOn checks;
    const TfolderListing listing = ReadFolderEntries(locked, {"*"}, false);
    fs::permissions(locked, fs::perms::owner_all);
    EXPECT_FALSE(listing.Readable);
    EXPECT_TRUE(listing.Entries.empty());
    EXPECT_NE(listing.Error.find("ermission"), std::string::npos) << listing.Error;
    EXPECT_TRUE(ReadFolderEntries(locked, {"*"}, false).Readable);
}

// A row whose name is not UTF-8 opens, is chosen and is saved over with the bytes of
// the name on disk, not with the text the row shows.
TEST_F(FileChooserDialog, NamesThatAreNotUtf8AreAnsweredAsTheyAreOnDisk) {
    const std::string latin = root + "/Caf\xe9";
    fs::create_directories(latin);
    Touch(latin + "/Ol\xe9.m3u");
    const std::string shownFolder = "Caf\xef\xbf\xbd", shownFile = "Ol\xef\xbf\xbd.m3u";
    runner->Push([&](QDialog& d) {
        auto& w = Chooser(d);
        TouchRow(w, shownFolder);
        EXPECT_EQ(w.Folder(), latin);
        EXPECT_EQ(Rows(w), (std::vector<std::string>{shownFile}));
        TouchRow(w, shownFile);
        Press(w.btnOK);
    });
    EXPECT_EQ(Prompt().ChooseOpenFile("Load from M3U File", "M3U Playlist (*.m3u)", root),
              std::optional<std::string>(latin + "/Ol\xe9.m3u"));

    runner->Push([&](QDialog& d) {
        auto& w = Chooser(d);
        TouchRow(w, shownFile);
        EXPECT_EQ(w.edFileName->text().toStdString(), shownFile);
        prompt->Answer = true;
        Press(w.btnOK);
    });
    EXPECT_EQ(Prompt().ChooseSaveFile("Save to M3U File", "M3U Playlist (*.m3u)", latin),
              std::optional<std::string>(latin + "/Ol\xe9.m3u"));
    ASSERT_EQ(prompt->Questions.size(), 1u) << "replacing the file on disk is asked";
    // A name typed anew is the typed one, even after a row was touched.
    runner->Push([&](QDialog& d) {
        auto& w = Chooser(d);
        TouchRow(w, shownFile);
        w.edFileName->setText("Ole.m3u");
        Press(w.btnOK);
    });
    EXPECT_EQ(Prompt().ChooseSaveFile("Save to M3U File", "M3U Playlist (*.m3u)", latin),
              std::optional<std::string>(latin + "/Ole.m3u"));
}

// A folder that cannot be read says so instead of looking empty.
TEST_F(FileChooserDialog, AnUnreadableFolderSaysSoInsteadOfLookingEmpty) {
    const std::string locked = root + "/Locked";
    fs::create_directories(locked + "/inside");
    Touch(locked + "/a.m3u");
    fs::permissions(locked, fs::perms::none);
    {
        const test::TpermissionChecksOn checks;
        TfrmFileChooser w(TchooserKind::ckOpenFile, "Load from M3U File", "M3U Playlist (*.m3u)", root);
        w.show();
        TouchRow(w, "Locked");
        EXPECT_EQ(w.Folder(), locked);
        EXPECT_EQ(Rows(w), std::vector<std::string>{});
        bool said = false;
        for (const QLabel* label : w.findChildren<QLabel*>())
            if (label->isVisible() && label->text().contains("cannot be read")) said = true;
        EXPECT_TRUE(said) << "the window says the folder cannot be read";
        // A readable folder after it shows no such line.
        Press(w.btnUp);
        EXPECT_EQ(Rows(w), (std::vector<std::string>{"Locked", "Older", "Friday.m3u"}));
        for (const QLabel* label : w.findChildren<QLabel*>())
            EXPECT_FALSE(label->isVisible() && label->text().contains("cannot be read"));
    }
    fs::permissions(locked, fs::perms::owner_all);
}

// A folder of many thousand entries is read off the screen's thread and its rows come in
// pieces, each turn of the event loop adding some, with the count shown meanwhile.
TEST_F(FileChooserDialog, AFolderOfManyThousandEntriesFillsInPieces) {
    const std::string big = dir.File("big");
    fs::create_directories(big);
    constexpr int kFiles = 20000;
    for (int i = 0; i < kFiles; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/track%05d.mp3", i);
        Touch(big + name);
    }
    TfrmFileChooser w(TchooserKind::ckOpenFile, "Queue File", "Music (*.mp3)", root);
    w.show();
    w.OpenFolder(big);
    EXPECT_LT(w.lbEntries->count(), kFiles) << "the rows were not all added at once";
    // The event loop turns while rows come: the count rises in steps, and the window says
    // how far it has got.
    std::vector<int> seen;
    bool progressShown = false;
    ASSERT_TRUE(test::Pump(
        [&] {
            if (seen.empty() || seen.back() != w.lbEntries->count()) seen.push_back(w.lbEntries->count());
            for (const QLabel* label : w.findChildren<QLabel*>())
                if (label->isVisible() && label->text().contains("entries")) progressShown = true;
            return w.lbEntries->count() == kFiles;
        },
        60000));
    EXPECT_GT(seen.size(), 3u);
    EXPECT_TRUE(progressShown);
    EXPECT_EQ(w.lbEntries->item(0)->text(), "track00000.mp3");
    EXPECT_EQ(w.lbEntries->item(kFiles - 1)->text(), "track19999.mp3");
    // Opening another folder meanwhile stops the first; going away mid-way is safe too.
    w.OpenFolder(big);
    w.OpenFolder(root);
    EXPECT_EQ(Rows(w), (std::vector<std::string>{"Older"}));  // Friday.m3u is no MP3
    auto gone = std::make_unique<TfrmFileChooser>(TchooserKind::ckOpenFile, "Queue File", "Music (*.mp3)", big);
    gone.reset();
}

}  // namespace
}  // namespace tunecrest
