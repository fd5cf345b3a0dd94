#include "windows/editors/rule_editor.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QLineEdit>
#include <QTest>
#include <deque>

#include "core/base/ini_file.h"
#include "core/library/jukebox_list.h"
#include "core/database/query_rules.h"
#include "core/tags/tag_list_rules.h"
#include "support/browse_library.h"
#include "support/recording_prompt.h"
#include "support/scripted_modal_runner.h"
#include "support/keyboard_typing.h"
#include "support/test_application.h"
#include "windows/password_entry.h"
#include "windows/skinned_prompt.h"

namespace tunecrest {
namespace {

using test::TscriptedModalRunner;

void Click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
TfrmTagListRules& Form(QDialog& d) { return dynamic_cast<TfrmTagListRules&>(d); }
void Choose(QComboBox* box, int index)
{
    box->setCurrentIndex(index);
    box->activated(index);
}

// Answers text questions from a queue and records messages and questions.
class TscriptPrompt : public test::TrecordingPrompt {
public:
    std::optional<std::string> AskText(const std::string& title, const std::string& caption,
                                       const std::string& initial) override
    {
        Asked.push_back(title + "|" + caption + "|" + initial);
        if (Texts.empty()) return std::nullopt;
        std::string text = Texts.front();
        Texts.pop_front();
        return text;
    }
    std::deque<std::string> Texts;
    std::vector<std::string> Asked;
};

std::string Saved(const TtagListRules& rules)
{
    TiniFile ini;
    rules.SaveToIni(ini, "Filter");
    return ini.GetText();
}

std::string Saved(const TtagListRulesCollection& sets, const TdbRulesList& queries)
{
    TiniFile ini;
    for (int i = 0; i < sets.Count(); ++i) sets.GetRules(i)->SaveToIni(ini, "Set" + std::to_string(i));
    for (int i = 0; i < queries.Count(); ++i) queries.Rule(i)->SaveToIni(ini);
    return ini.GetText();
}

TEST(RuleEditorLogic, YearRangeAndNewRuleNames)
{
    int from = -1, to = -1;
    ReadYearRange("2005", "1990", from, to);
    EXPECT_EQ(from, 1990);
    EXPECT_EQ(to, 2005);
    ReadYearRange("1980", "", from, to);
    EXPECT_EQ(to, 9999);
    ReadYearRange("x", "12a", from, to);
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, 9999);
    TtagListRulesCollection sets;
    EXPECT_EQ(NextNewRuleName(sets), "New Rule 1");
    for (const char* name : {"New Rule 1", "new rule 2", "New Rule 4"}) {
        auto r = std::make_unique<TtagListRules>();
        r->Name = name;
        sets.Add(std::move(r));
    }
    EXPECT_EQ(NextNewRuleName(sets), "New Rule 3");
}

struct RuleEditor : ::testing::Test {
    void SetUp() override
    {
        test::App();
        previousPrompt = SetPrompt(prompt);
        previousPicker = SetRuleEditorPicker([this](const std::string& caption, const std::string& text,
                                                    const std::vector<std::string>& items,
                                                    std::vector<std::string>& chosen) {
            Picked.push_back(caption + "|" + text);
            Offered = items;
            chosen.clear();
            for (const std::string& item : items)
                if (item == "Rock" || item == "Abba" || item == "Pop") chosen.push_back(item);
            return !chosen.empty();
        });
        auto set = std::make_unique<TtagListRules>();
        set->Name = "Rock Set";
        set->UseGenres = true;
        set->Genres.Add("Rock");
        lib().RuleSets().Add(std::move(set));
        lib().DBRules().Add("Abba only")->SetText("Artist = 'Abba'");
        filter.UseYear = true;
        filter.FromYear = 1980;
        filter.ToYear = 1989;
        filter.Name = "Mine";
    }
    void TearDown() override
    {
        SetPrompt(previousPrompt);
        SetRuleEditorPicker(previousPicker);
    }
    TlocalJukeboxList& lib() { return *library.lib; }
    test::BrowseLibrary library;
    TtagListRules filter;
    std::shared_ptr<TscriptPrompt> prompt = std::make_shared<TscriptPrompt>();
    std::shared_ptr<Tprompt> previousPrompt;
    TselectItemsFunction previousPicker;
    std::vector<std::string> Picked, Offered;
    std::shared_ptr<TscriptedModalRunner> runner = std::make_shared<TscriptedModalRunner>();
    TmodalRunnerScope scope{runner};
};

// Choosing a set, adding and updating sets, choosing and editing query rules: none of it
// reaches the caller's filter, sets or rules when the dialog is cancelled.
TEST_F(RuleEditor, CancelChangesNothingAfterEveryKindOfEdit)
{
    const std::string filterBefore = Saved(filter);
    const std::string listsBefore = Saved(lib().RuleSets(), lib().DBRules());
    prompt->Texts = {"Late Eighties", "Second query"};
    runner->Push([&](QDialog& d) {
        auto& f = Form(d);
        Choose(f.cboRulesCollection, 0);
        EXPECT_TRUE(f.Genres.Use->isChecked());
        EXPECT_EQ(Saved(filter), filterBefore) << "choosing a set changed the caller's filter";
        Click(f.btnAddSet);
        Click(f.btnUpdateSet);
        Click(f.btnDeleteSet);
        Choose(f.cboActiveQuery, 1);
        EXPECT_EQ(Saved(filter), filterBefore) << "choosing a query rule changed the caller's filter";
        f.mmoQueries->setPlainText("Title = 'x'");
        Click(f.btnAddQuery);
        Click(f.btnUpdateQuery);
        Click(f.btnCancel);
    });
    std::string active = "Abba only";
    EXPECT_FALSE(EditTagListRules(filter, &lib(), 1, active, &lib().DBRules()));
    EXPECT_EQ(Saved(filter), filterBefore);
    EXPECT_EQ(Saved(lib().RuleSets(), lib().DBRules()), listsBefore);
    EXPECT_EQ(active, "Abba only");
}

TEST_F(RuleEditor, ShowsAndReadsTheFilterOnOk)
{
    filter.UseArtists = true;
    filter.NotArtist = true;
    filter.Artists.Add("Beatles");
    runner->Push([&](QDialog& d) {
        auto& f = Form(d);
        EXPECT_EQ(f.windowTitle(), "Random Play Filters");
        EXPECT_TRUE(f.Paths.Group->isHidden()) << "the filter's paths flag hides the paths";
        EXPECT_TRUE(f.pcPages->isTabVisible(0));
        EXPECT_FALSE(f.pcPages->isTabVisible(1)) << "no database, no queries";
        EXPECT_EQ(f.cboRulesCollection->currentIndex(), -1);
        EXPECT_EQ(f.cboRulesCollection->placeholderText(), "Choose a rule to load...");
        EXPECT_TRUE(f.Artists.Use->isChecked());
        EXPECT_TRUE(f.Artists.Not->isChecked());
        EXPECT_EQ(f.Artists.List->count(), 1);
        EXPECT_EQ(f.edFromYear->text(), "1980");
        EXPECT_FALSE(f.Genres.List->isEnabled());
        // Add genres: the library's genres without "[Undefined]".
        f.Genres.Use->setChecked(true);
        Click(f.Genres.Add);
        EXPECT_EQ(std::count(Offered.begin(), Offered.end(), "[Undefined]"), 0);
        Click(f.Artists.Add);
        EXPECT_EQ(f.Artists.List->count(), 2);
        // Reversed years are stored in order; an empty To box means 9999.
        f.edFromYear->setText("2005");
        f.edToYear->setText("1990");
        Click(f.btnOK);
    });
    std::string active = "Abba only";
    EXPECT_TRUE(EditTagListRules(filter, &lib(), 2, active, &lib().DBRules()));
    EXPECT_EQ(Picked, (std::vector<std::string>{"Select Genres|Select the Genres you require",
                                                "Select Artists|Select the Artists you require"}));
    EXPECT_TRUE(filter.UseGenres);
    EXPECT_EQ(filter.Genres.Items(), (std::vector<std::string>{"Pop", "Rock"}));
    EXPECT_EQ(filter.Artists.Items(), (std::vector<std::string>{"Abba", "Beatles"}));
    EXPECT_TRUE(filter.NotArtist);
    EXPECT_EQ(filter.FromYear, 1990);
    EXPECT_EQ(filter.ToYear, 2005);
    EXPECT_EQ(active, "") << "a filter with rules switches the query rule off";
}

TEST_F(RuleEditor, FilterWithoutRulesKeepsTheQueryRule)
{
    filter.UseYear = false;
    std::string active = "abba ONLY";
    runner->Push([](QDialog& d) {
        auto& f = Form(d);
        EXPECT_EQ(f.cboActiveQuery->currentText(), "Abba only");
        EXPECT_EQ(f.mmoQueries->toPlainText(), "Artist = 'Abba'\n");
        Click(f.btnOK);
    });
    EXPECT_TRUE(EditTagListRules(filter, &lib(), 0, active, &lib().DBRules()));
    EXPECT_EQ(active, "Abba only");
}

// On the touch screen the name is asked in the text entry, which starts with the offered
// "New Rule n": OK at once takes it.
TEST_F(RuleEditor, TheOfferedRuleNameShowsInTheTextEntry)
{
    SetPrompt(std::make_shared<TskinnedPrompt>());
    runner->Push([&](QDialog& d) {
        auto& f = Form(d);
        runner->Push([](QDialog& entry) {
            auto& w = dynamic_cast<TfrmPassword2&>(entry);
            EXPECT_EQ(w.edPassword->text(), "New Rule 1");
            test::Press(w.btnOK);
        });
        Click(f.btnAddSet);
        EXPECT_EQ(f.cboRulesCollection->currentText(), "New Rule 1");
        Click(f.btnCancel);
    });
    std::string active;
    EditTagListRules(filter, &lib(), 1, active, &lib().DBRules());
}

TEST_F(RuleEditor, SetsAndQueryRulesCommittedOnOk)
{
    prompt->Texts = {"", "New Rule 1", "Rock Set", "Late"};
    prompt->Answer = true;
    runner->Push([&](QDialog& d) {
        auto& f = Form(d);
        Click(f.btnAddSet);  // an empty name does nothing
        EXPECT_EQ(f.Collection().Count(), 1);
        Click(f.btnAddSet);  // a new set from the controls, selected
        EXPECT_EQ(f.Collection().Count(), 2);
        EXPECT_EQ(f.cboRulesCollection->currentText(), "New Rule 1");
        // An existing name asks, then updates that set.
        f.edToYear->setText("1985");
        Click(f.btnAddSet);
        EXPECT_EQ(f.Collection().Count(), 2);
        EXPECT_EQ(f.Collection().FindByName("Rock Set")->ToYear, 1985);
        // Choosing a query rule clears the filter.
        Choose(f.cboActiveQuery, 1);
        EXPECT_FALSE(f.cbYear->isChecked());
        EXPECT_EQ(f.Genres.List->count(), 0);
        f.mmoQueries->setPlainText("Artist = 'Yello'\n\nTitle = 'Zero'");
        Click(f.btnAddQuery);
        EXPECT_EQ(f.cboActiveQuery->currentText(), "Late");
        Click(f.btnOK);
    });
    std::string active;
    EXPECT_TRUE(EditTagListRules(filter, &lib(), 1, active, &lib().DBRules()));
    EXPECT_EQ(prompt->Asked[1], "New Rule|Enter the rule name|New Rule 1");
    ASSERT_EQ(prompt->Questions.size(), 1u);
    EXPECT_EQ(prompt->Questions[0], "A rule with that name already exists.  Would you like to update it?");
    EXPECT_EQ(lib().RuleSets().Count(), 2);
    EXPECT_EQ(lib().RuleSets().FindByName("Rock Set")->ToYear, 1985);
    ASSERT_TRUE(lib().DBRules().Exists("Late"));
    EXPECT_EQ(lib().DBRules().RuleByName("Late")->ToVector(),
              (std::vector<std::string>{"Artist = 'Yello'", "Title = 'Zero'"}));
    EXPECT_EQ(active, "Late");
    EXPECT_FALSE(filter.HasRules());
    // Both files were written and read back the same.
    TdbRulesList reread;
    reread.LoadFromFile((library.dir.Path() / "dbrules.dat").string());
    EXPECT_TRUE(reread.Exists("Late"));
}

TEST_F(RuleEditor, QueryRuleShowsTheDatabaseErrorText)
{
    lib().SetDatabaseEnabled(true);
    lib().BuildDatabase();
    prompt->Texts = {"Broken"};
    runner->Push([](QDialog& d) {
        auto& f = Form(d);
        EXPECT_TRUE(f.pcPages->isTabVisible(1));
        f.mmoQueries->setPlainText("NoSuchColumn = 1");
        Click(f.btnAddQuery);
        Click(f.btnCancel);
    });
    std::string active;
    EXPECT_FALSE(EditTagListRules(filter, &lib(), 1, active, &lib().DBRules()));
    ASSERT_EQ(prompt->Messages.size(), 1u);
    EXPECT_EQ(prompt->Messages[0].rfind("Query Error|There is an error in your Random Play Query:", 0), 0u);
    EXPECT_NE(prompt->Messages[0].find("NoSuchColumn"), std::string::npos) << prompt->Messages[0];
    EXPECT_FALSE(lib().DBRules().Exists("Broken"));
}

TEST_F(RuleEditor, HelpTextByModeAndGroupsByMode)
{
    runner->Push([](QDialog& d) {
        auto& f = Form(d);
        EXPECT_FALSE(f.btnAddSet->isHidden());
        Click(f.btnHelp);
        Click(f.btnCancel);
    });
    runner->Push([](QDialog& d) {
        auto& f = Form(d);
        EXPECT_TRUE(f.btnAddSet->isHidden());
        EXPECT_FALSE(f.gbCollection->isHidden());
        Click(f.btnHelp);
        Click(f.btnCancel);
    });
    runner->Push([](QDialog& d) {
        EXPECT_TRUE(Form(d).gbCollection->isHidden());
        Click(Form(d).btnCancel);
    });
    std::string active;
    EditTagListRules(filter, &lib(), 1, active, nullptr);
    EditTagListRules(filter, &lib(), 2, active, nullptr);
    EditTagListRules(filter, nullptr, 0, active, nullptr);
    ASSERT_EQ(prompt->Messages.size(), 2u);
    EXPECT_NE(prompt->Messages[0].find("Clicking the \"Update\" button will copy"), std::string::npos);
    EXPECT_NE(prompt->Messages[1].find("can not be updated from the viewer application.\r\n\r\nPlease use"),
              std::string::npos);
}

}  // namespace
}  // namespace tunecrest
