#include "windows/editors/rule_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>
#include <charconv>

#include "core/tags/genre_table.h"
#include "core/base/ini_file.h"
#include "core/library/jukebox_list.h"
#include "core/database/query_rules.h"
#include "core/base/services.h"
#include "core/base/string_lists.h"
#include "core/tags/tag_list.h"
#include "core/library/tag_list_list.h"
#include "core/tags/tag_list_rules.h"
#include "core/base/text_utils.h"
#include "skin/modal_runner.h"
#include "windows/dialogs/select_items.h"
#include "skin/touch_dress.h"
#include "windows/editors/editor_form.h"

namespace tunecrest {

namespace {

constexpr const char* kDisabled = "[Disabled]";

// The select-items window: the chosen names in list order.
bool PickItems(const std::string& caption, const std::string& prompt, const std::vector<std::string>& items,
               std::vector<std::string>& chosen)
{
    chosen.clear();
    TmyStringList choices, target;
    for (const std::string& item : items) choices.Add(item);
    if (!SelectItems(caption, prompt, choices, target)) return false;
    for (int i = 0; i < target.Count(); ++i) chosen.push_back(target.Strings(i));
    return true;
}

TselectItemsFunction& Picker()
{
    static TselectItemsFunction picker;
    return picker;
}

bool SelectWith(const std::string& caption, const std::string& prompt, const std::vector<std::string>& items,
                std::vector<std::string>& chosen)
{
    return Picker() ? Picker()(caption, prompt, items, chosen) : PickItems(caption, prompt, items, chosen);
}

void FillList(QListWidget* list, const TsortedTextList& items)
{
    list->clear();
    for (const std::string& item : items.Items()) list->addItem(QString::fromStdString(item));
}

void ReadList(const QListWidget* list, TsortedTextList& items)
{
    items.Clear();
    for (int i = 0; i < list->count(); ++i) items.Add(list->item(i)->text().toStdString());
}

int ParseYear(const std::string& text, int fallback)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return (error == std::errc() && end == text.data() + text.size() && !text.empty()) ? value : fallback;
}

std::unique_ptr<TtagListRules> CloneRules(const TtagListRules& source)
{
    auto copy = std::make_unique<TtagListRules>();
    copy->Assign(&source);
    return copy;
}

void CopyCollection(const TtagListRulesCollection& source, TtagListRulesCollection& target)
{
    target.BeginUpdate();
    target.Clear();
    for (int i = 0; i < source.Count(); ++i) target.Add(CloneRules(*source.GetRules(i)));
    target.EndUpdate();
}

void CopyQueries(const TdbRulesList& source, TdbRulesList& target)
{
    target.Clear();
    for (int i = 0; i < source.Count(); ++i)
        if (auto rule = source.Rule(i)) target.Add(rule->RuleName)->Assign(rule.get());
}

bool SameCollection(const TtagListRulesCollection& a, const TtagListRulesCollection& b)
{
    if (a.Count() != b.Count()) return false;
    TiniFile left, right;
    for (int i = 0; i < a.Count(); ++i) {
        if (a.GetRules(i)->Name != b.GetRules(i)->Name) return false;
        a.GetRules(i)->SaveToIni(left, "Set" + std::to_string(i));
        b.GetRules(i)->SaveToIni(right, "Set" + std::to_string(i));
    }
    return left.GetText() == right.GetText();
}

bool SameQueries(const TdbRulesList& a, const TdbRulesList& b)
{
    if (a.Count() != b.Count()) return false;
    TiniFile left, right;
    for (int i = 0; i < a.Count(); ++i) {
        a.Rule(i)->SaveToIni(left);
        b.Rule(i)->SaveToIni(right);
    }
    return left.GetText() == right.GetText();
}

// The memo's lines as the rule's conditions; blank lines are no conditions.
void SetRuleLines(TdbRules& rule, const QString& text)
{
    rule.Clear();
    for (const QString& line : text.split(QRegularExpression("\\r\\n|\\n|\\r")))
        if (!line.trimmed().isEmpty()) rule.Add(line.trimmed().toStdString());
}

}  // namespace

TselectItemsFunction SetRuleEditorPicker(TselectItemsFunction picker)
{
    TselectItemsFunction previous = std::move(Picker());
    Picker() = std::move(picker);
    return previous;
}

void ReadYearRange(const std::string& fromText, const std::string& toText, int& fromYear, int& toYear)
{
    fromYear = ParseYear(fromText, 0);
    toYear = ParseYear(toText, 9999);
    if (toYear < fromYear) std::swap(fromYear, toYear);
}

std::string NextNewRuleName(const TtagListRulesCollection& collection)
{
    for (int n = 1;; ++n) {
        std::string name = "New Rule " + std::to_string(n);
        if (!collection.Exists(name)) return name;
    }
}

TfrmTagListRules::TlistGroup TfrmTagListRules::MakeGroup(QWidget* parent, const char* name, const char* caption)
{
    TlistGroup g{};
    g.Use = new QCheckBox(caption, parent);
    g.Use->setObjectName(QString("cb") + name);
    g.Group = new QGroupBox(parent);
    g.Group->setObjectName(QString("gb") + name);
    auto* layout = new QGridLayout(g.Group);
    g.List = new QListWidget(g.Group);
    g.List->setObjectName(QString("lb") + name);
    g.Add = TouchButton(g.Group, "btnAdd", "Add");
    g.Delete = TouchButton(g.Group, "btnDelete", "Delete");
    g.Clear = TouchButton(g.Group, "btnClear", "Clear");
    g.Not = new QCheckBox("Not Rule", g.Group);
    g.Not->setObjectName(QString("cb") + name + "Not");
    layout->addWidget(g.Use, 0, 0, 1, 2);
    layout->addWidget(g.List, 1, 0, 4, 1);
    layout->addWidget(g.Add, 1, 1);
    layout->addWidget(g.Delete, 2, 1);
    layout->addWidget(g.Clear, 3, 1);
    layout->addWidget(g.Not, 4, 1);
    // The switch stays usable; the rest of the group follows it.
    connect(g.Use, &QCheckBox::toggled, g.Group, [g](bool on) {
        for (QWidget* w : {static_cast<QWidget*>(g.List), static_cast<QWidget*>(g.Add),
                           static_cast<QWidget*>(g.Delete), static_cast<QWidget*>(g.Clear),
                           static_cast<QWidget*>(g.Not)})
            w->setEnabled(on);
    });
    connect(g.Delete, &QPushButton::clicked, g.Group, [g] { delete g.List->currentItem(); });
    connect(g.Clear, &QPushButton::clicked, g.Group, [g] { g.List->clear(); });
    return g;
}

TfrmTagListRules::TfrmTagListRules(const TtagListRules& filter, TcustomJukeboxList* jukeboxList, int collectionMode,
                                   const TtagListRulesCollection* collection, const TdbRulesList* queryRules,
                                   const std::string& activeQuery, QWidget* parent)
    : QDialog(parent),
      Ffilter(CloneRules(filter)),
      Fcollection(std::make_unique<TtagListRulesCollection>()),
      Fqueries(std::make_unique<TdbRulesList>()),
      FjukeboxList(jukeboxList),
      FcollectionMode(collectionMode),
      FusePaths(filter.UsePaths)
{
    setObjectName("frmTagListRules");
    setWindowTitle("Random Play Filters");
    setSizeGripEnabled(true);
    StyleEditorDialog(*this);
    if (collection) CopyCollection(*collection, *Fcollection);
    if (queryRules) CopyQueries(*queryRules, *Fqueries);

    auto* layout = new QVBoxLayout(this);
    pcPages = new QTabWidget(this);
    pcPages->setObjectName("pcPages");
    layout->addWidget(pcPages);

    tsOldFilters = new QWidget();
    tsOldFilters->setObjectName("tsOldFilters");
    pcPages->addTab(tsOldFilters, "Filters");
    auto* filters = new QVBoxLayout(tsOldFilters);
    auto* details = new QGroupBox("Filter Details");
    auto* detailsLayout = new QGridLayout(details);
    Artists = MakeGroup(details, "Artists", "Artists");
    Genres = MakeGroup(details, "Genres", "Genres");
    Paths = MakeGroup(details, "Paths", "Paths");
    detailsLayout->addWidget(Artists.Group, 0, 0);
    detailsLayout->addWidget(Genres.Group, 0, 1);
    detailsLayout->addWidget(Paths.Group, 1, 0);
    Paths.Group->setVisible(FusePaths);

    gbYear = new QGroupBox(details);
    gbYear->setObjectName("gbYear");
    auto* yearLayout = new QGridLayout(gbYear);
    cbYear = new QCheckBox("Year", gbYear);
    cbYear->setObjectName("cbYear");
    edFromYear = new QLineEdit(gbYear);
    edFromYear->setObjectName("edFromYear");
    edToYear = new QLineEdit(gbYear);
    edToYear->setObjectName("edToYear");
    for (QLineEdit* e : {edFromYear, edToYear}) {
        // Digits only; backspace and delete work as in any edit.
        e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,4}"), e));
        e->setMinimumHeight(kTouchHeight);
    }
    UseKeyboardEntry(edFromYear, "From :");
    UseKeyboardEntry(edToYear, "To :");
    cbYearNot = new QCheckBox("Not Rule", gbYear);
    cbYearNot->setObjectName("cbYearNot");
    yearLayout->addWidget(cbYear, 0, 0, 1, 2);
    yearLayout->addWidget(new QLabel("From :", gbYear), 1, 0);
    yearLayout->addWidget(edFromYear, 1, 1);
    yearLayout->addWidget(new QLabel("To :", gbYear), 2, 0);
    yearLayout->addWidget(edToYear, 2, 1);
    yearLayout->addWidget(cbYearNot, 3, 1);
    connect(cbYear, &QCheckBox::toggled, this, [this](bool on) {
        for (QWidget* w : {static_cast<QWidget*>(edFromYear), static_cast<QWidget*>(edToYear),
                           static_cast<QWidget*>(cbYearNot)})
            w->setEnabled(on);
    });
    detailsLayout->addWidget(gbYear, 1, 1);
    // The details scroll on a small screen; the collection row and the buttons stay.
    filters->addWidget(MakeTouchScroll(tsOldFilters, details), 1);

    gbCollection = new QGroupBox("Filter Collection", tsOldFilters);
    gbCollection->setObjectName("gbCollection");
    auto* collectionLayout = new QHBoxLayout(gbCollection);
    collectionLayout->addWidget(new QLabel("Select Filter:", gbCollection));
    cboRulesCollection = new QComboBox(gbCollection);
    cboRulesCollection->setObjectName("cboRulesCollection");
    cboRulesCollection->setMinimumHeight(kTouchHeight);
    cboRulesCollection->setMinimumWidth(240);
    cboRulesCollection->setPlaceholderText("Choose a rule to load...");
    collectionLayout->addWidget(cboRulesCollection, 1);
    btnAddSet = TouchButton(gbCollection, "btnAddSet", "&Add");
    btnDeleteSet = TouchButton(gbCollection, "btnDeleteSet", "&Delete");
    btnUpdateSet = TouchButton(gbCollection, "btnUpdateSet", "&Update");
    btnHelp = TouchButton(gbCollection, "btnHelp", "?");
    btnHelp->setMinimumWidth(kTouchHeight);
    for (QPushButton* b : {btnAddSet, btnDeleteSet, btnUpdateSet, btnHelp}) collectionLayout->addWidget(b);
    filters->addWidget(gbCollection);
    // Mode 1 edits the sets; mode 2 only loads them; other modes have none.
    for (QPushButton* b : {btnAddSet, btnDeleteSet, btnUpdateSet}) b->setVisible(collectionMode == 1);
    gbCollection->setVisible(collectionMode == 1 || collectionMode == 2);

    tsQueries = new QWidget();
    tsQueries->setObjectName("tsQueries");
    auto* queries = new QVBoxLayout(tsQueries);
    cboActiveQuery = new QComboBox(tsQueries);
    cboActiveQuery->setObjectName("cboActiveQuery");
    cboActiveQuery->setMinimumHeight(kTouchHeight);
    queries->addWidget(cboActiveQuery);
    mmoQueries = new QPlainTextEdit(tsQueries);
    mmoQueries->setObjectName("mmoQueries");
    queries->addWidget(mmoQueries, 1);
    auto* queryButtons = new QHBoxLayout();
    btnAddQuery = TouchButton(tsQueries, "btnAddQuery", "Add");
    btnUpdateQuery = TouchButton(tsQueries, "btnUpdateQuery", "Update");
    btnDeleteQuery = TouchButton(tsQueries, "btnDeleteQuery", "Delete");
    for (QPushButton* b : {btnAddQuery, btnUpdateQuery, btnDeleteQuery}) queryButtons->addWidget(b);
    queryButtons->addStretch(1);
    queries->addLayout(queryButtons);
    pcPages->addTab(tsQueries, "Queries");
    pcPages->setTabVisible(1, jukeboxList && jukeboxList->DatabaseEnabled());

    QPushButton* ok = nullptr;
    AddOkCancelRow(*this, *layout, &ok, &btnCancel);
    btnOK = ok;
    disconnect(btnOK, &QPushButton::clicked, nullptr, nullptr);
    connect(btnOK, &QPushButton::clicked, this, [this] {
        CommitFilter();
        done(mrOk);
    });

    RefreshCollection("");
    RefreshQueries(activeQuery);
    ShowFilter(*Ffilter);
    if (!activeQuery.empty() && cboActiveQuery->currentIndex() > 0) QueryChosenShowOnly();

    connect(cboRulesCollection, &QComboBox::activated, this, [this](int i) { CollectionChosen(i); });
    connect(btnAddSet, &QPushButton::clicked, this, [this] { AddSetClicked(); });
    connect(btnUpdateSet, &QPushButton::clicked, this, [this] { UpdateSetClicked(); });
    connect(btnDeleteSet, &QPushButton::clicked, this, [this] { DeleteSetClicked(); });
    connect(btnHelp, &QPushButton::clicked, this, [this] { HelpClicked(); });
    connect(cboActiveQuery, &QComboBox::activated, this, [this](int i) { QueryChosen(i); });
    connect(btnAddQuery, &QPushButton::clicked, this, [this] { AddQueryClicked(); });
    connect(btnUpdateQuery, &QPushButton::clicked, this, [this] { UpdateQueryClicked(); });
    connect(btnDeleteQuery, &QPushButton::clicked, this, [this] { DeleteQueryClicked(); });
    connect(Artists.Add, &QPushButton::clicked, this, [this] { AddItemsClicked(0); });
    connect(Genres.Add, &QPushButton::clicked, this, [this] { AddItemsClicked(1); });
    connect(Paths.Add, &QPushButton::clicked, this, [this] { AddItemsClicked(2); });
    resize(900, 640);
}

TfrmTagListRules::~TfrmTagListRules() = default;

std::string TfrmTagListRules::ActiveQueryName() const
{
    return cboActiveQuery->currentIndex() > 0 ? cboActiveQuery->currentText().toStdString() : std::string();
}

void TfrmTagListRules::QueryChosenShowOnly()
{
    const auto rule = Fqueries->RuleByName(ActiveQueryName());
    mmoQueries->setPlainText(rule ? QString::fromStdString(rule->Text()) : QString());
}

void TfrmTagListRules::ShowFilter(const TtagListRules& f)
{
    const struct {
        TlistGroup& G;
        bool Use, Not;
        const TsortedTextList& Items;
    } groups[] = {{Genres, f.UseGenres, f.NotGenres, f.Genres},
                  {Artists, f.UseArtists, f.NotArtist, f.Artists},
                  {Paths, f.UsePaths, f.NotPaths, f.Paths}};
    for (const auto& g : groups) {
        g.G.Use->setChecked(g.Use);
        FillList(g.G.List, g.Items);
        g.G.Not->setChecked(g.Not);
        g.G.Use->toggled(g.Use);
    }
    cbYear->setChecked(f.UseYear);
    cbYear->toggled(f.UseYear);
    cbYearNot->setChecked(f.NotYear);
    edFromYear->setText(QString::number(f.FromYear));
    edToYear->setText(QString::number(f.ToYear));
}

void TfrmTagListRules::ReadFilter(TtagListRules& f) const
{
    f.UseGenres = Genres.Use->isChecked();
    ReadList(Genres.List, f.Genres);
    f.NotGenres = Genres.Not->isChecked();
    f.UseArtists = Artists.Use->isChecked();
    ReadList(Artists.List, f.Artists);
    f.NotArtist = Artists.Not->isChecked();
    f.UsePaths = Paths.Use->isChecked();
    ReadList(Paths.List, f.Paths);
    f.NotPaths = Paths.Not->isChecked();
    f.UseYear = cbYear->isChecked();
    f.NotYear = cbYearNot->isChecked();
    ReadYearRange(edFromYear->text().toStdString(), edToYear->text().toStdString(), f.FromYear, f.ToYear);
}

void TfrmTagListRules::CommitFilter()
{
    ReadFilter(*Ffilter);
    // A filter with rules and a query rule exclude each other: the filter wins.
    if (Ffilter->HasRules()) cboActiveQuery->setCurrentIndex(0);
}

void TfrmTagListRules::RefreshCollection(const std::string& select)
{
    cboRulesCollection->clear();
    for (int i = 0; i < Fcollection->Count(); ++i)
        cboRulesCollection->addItem(QString::fromStdString(Fcollection->GetRules(i)->Name));
    cboRulesCollection->setCurrentIndex(-1);
    if (TtagListRules* set = select.empty() ? nullptr : Fcollection->FindByName(select))
        cboRulesCollection->setCurrentIndex(Fcollection->IndexOf(set));
}

void TfrmTagListRules::RefreshQueries(const std::string& select)
{
    cboActiveQuery->clear();
    cboActiveQuery->addItem(kDisabled);
    int index = 0;
    for (int i = 0; i < Fqueries->Count(); ++i) {
        const std::string name = Fqueries->Rule(i)->RuleName;
        cboActiveQuery->addItem(QString::fromStdString(name));
        if (!select.empty() && SameText(name, select)) index = i + 1;
    }
    cboActiveQuery->setCurrentIndex(index);
}

void TfrmTagListRules::CollectionChosen(int index)
{
    TtagListRules* set = Fcollection->GetRules(index);
    if (!set) return;
    Ffilter->Assign(set);
    ShowFilter(*Ffilter);
}

void TfrmTagListRules::UpdateSetClicked()
{
    TtagListRules* set = Fcollection->GetRules(cboRulesCollection->currentIndex());
    if (!set) return;
    ReadFilter(*set);
    Ffilter->Assign(set);
    Fcollection->OnChange ? Fcollection->OnChange(Fcollection.get()) : void();
}

void TfrmTagListRules::DeleteSetClicked()
{
    TtagListRules* set = Fcollection->GetRules(cboRulesCollection->currentIndex());
    if (!set) return;
    Fcollection->Delete(set);
    RefreshCollection("");
}

void TfrmTagListRules::AddSetClicked()
{
    const auto answer = Prompt().AskText("New Rule", "Enter the rule name", NextNewRuleName(*Fcollection));
    if (!answer || answer->empty()) return;
    if (TtagListRules* existing = Fcollection->FindByName(*answer)) {
        if (!Prompt().AskYesNo("A rule with that name already exists.  Would you like to update it?", "Rule Exists",
                               false))
            return;
        cboRulesCollection->setCurrentIndex(Fcollection->IndexOf(existing));
        UpdateSetClicked();
        return;
    }
    auto set = std::make_unique<TtagListRules>();
    set->UsePaths = FusePaths;
    set->Name = *answer;
    ReadFilter(*set);
    Fcollection->Add(std::move(set));
    RefreshCollection(*answer);
    CollectionChosen(cboRulesCollection->currentIndex());
}

void TfrmTagListRules::HelpClicked()
{
    const std::string text =
        FcollectionMode == 1
            ? std::string("The Random Play Filter Collection and the Random Play Filter are separate items,") +
                  " changing the Random Play Filter does not update the highlighted filter in the " +
                  "\"Select Filter\" drop-down list.\r\n\r\n" +
                  "Clicking the \"Add\" button, in the Filter Collection, will allow you to create a new " +
                  "filter name with the details listed in \"Filter Details\".\r\n\r\n" +
                  "Clicking the \"Update\" button will copy the current \"Filter Details\" into the rule " +
                  "selected in the \"Select Filter\" drop-down list."
            : std::string("The Random Play Filter Collection can not be updated from the viewer application.\r\n\r\n") +
                  "Please use the server application to edit and create randome play fitlers.";
    Prompt().ShowMessage(text, "Random Play Filters");
}

void TfrmTagListRules::QueryChosen(int index)
{
    cboActiveQuery->setCurrentIndex(index);
    if (index <= 0) {
        mmoQueries->clear();
        return;
    }
    QueryChosenShowOnly();
    // A query rule and a filter exclude each other: the filter is emptied.
    Ffilter->Clear();
    ShowFilter(*Ffilter);
}

void TfrmTagListRules::CheckQuery(const std::string& name)
{
    const auto rule = Fqueries->RuleByName(name);
    if (!rule || !FjukeboxList || !FjukeboxList->DatabaseEnabled()) return;
    // The library shows the database's own error text for every failing line.
    TaudioTagList result;
    FjukeboxList->RunQueryRule(*rule, result);
}

void TfrmTagListRules::AddQueryClicked()
{
    const auto answer = Prompt().AskText("New Query Rule", "Enter a Name for your query", "");
    if (!answer || answer->empty()) return;
    if (Fqueries->Exists(*answer) &&
        !Prompt().AskYesNo("That name already exists.  Do you just want to update it?", "Rule Exists", false))
        return;
    const auto rule = Fqueries->Add(*answer);
    SetRuleLines(*rule, mmoQueries->toPlainText());
    RefreshQueries(rule->RuleName);
    CheckQuery(rule->RuleName);
}

void TfrmTagListRules::UpdateQueryClicked()
{
    const auto rule = Fqueries->RuleByName(ActiveQueryName());
    if (!rule) return;
    SetRuleLines(*rule, mmoQueries->toPlainText());
    CheckQuery(rule->RuleName);
}

void TfrmTagListRules::DeleteQueryClicked()
{
    const int index = cboActiveQuery->currentIndex();
    if (index <= 0) return;
    Fqueries->Delete(Fqueries->IndexOf(cboActiveQuery->currentText().toStdString()));
    RefreshQueries("");
    mmoQueries->clear();
}

void TfrmTagListRules::AddItemsClicked(int group)
{
    std::vector<std::string> items;
    std::string caption, prompt;
    TlistGroup* target = nullptr;
    if (group == 1) {
        caption = "Select Genres";
        prompt = "Select the Genres you require";
        target = &Genres;
        if (FjukeboxList) {
            items = FjukeboxList->GenreList().GetTitles();
        } else {
            TmyStringList names;
            GenresList().GetGenreNames(names);
            for (int i = 0; i < names.Count(); ++i) items.push_back(names.Strings(i));
        }
        std::erase(items, std::string("[Undefined]"));
    } else if (FjukeboxList) {
        target = group == 0 ? &Artists : &Paths;
        caption = group == 0 ? "Select Artists" : "Select Paths";
        prompt = group == 0 ? "Select the Artists you require" : "Select the Paths you require";
        if (group == 0) {
            items = FjukeboxList->ArtistList().GetTitles();
        } else {
            const TmyStringList& folders = FjukeboxList->AudioFolders();
            for (int i = 0; i < folders.Count(); ++i) items.push_back(folders.Strings(i));
        }
    }
    if (!target) return;
    std::vector<std::string> chosen;
    if (!SelectWith(caption, prompt, items, chosen)) return;
    for (const std::string& item : chosen) target->List->addItem(QString::fromStdString(item));
}

bool EditTagListRules(TtagListRules& filter, TcustomJukeboxList* jukeboxList, int collectionMode,
                      std::string& activeQueryName, TdbRulesList* queryRules)
{
    TtagListRulesCollection* collection = jukeboxList ? &jukeboxList->RuleSets() : nullptr;
    TfrmTagListRules form(filter, jukeboxList, collectionMode, collection, queryRules, activeQueryName);
    if (!IsOk(RunModal(form))) return false;
    filter.Assign(&form.Filter());
    activeQueryName = form.ActiveQueryName();
    bool changed = false;
    if (collection && collectionMode == 1 && !SameCollection(*collection, form.Collection())) {
        CopyCollection(form.Collection(), *collection);
        changed = true;
    }
    if (queryRules && !SameQueries(*queryRules, form.QueryRules())) {
        CopyQueries(form.QueryRules(), *queryRules);
        changed = true;
    }
    if (changed && jukeboxList && !jukeboxList->SaveRules())
        Prompt().ShowMessage("The filters and query rules could not be saved.", "Random Play Filters");
    return true;
}

}  // namespace tunecrest
