#pragma once
// The Random Play Filter and query-rule editor ("Random Play Filters"): a jukebox's
// filter (artists, genres, folders, a year range, each with its own switch and "Not
// Rule"), the library's named filter sets and the SQL query rules of the media database
// with the active rule. Everything is edited on copies: choosing a set or a rule changes
// only the dialog's copy, and OK is the one moment the caller's filter, sets, rules and
// active rule name change.
#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace tunecrest {

class TcustomJukeboxList;
class TdbRulesList;
class TtagListRules;
class TtagListRulesCollection;

// Picks any of `items` under `caption` and `prompt`; the chosen ones go into `chosen`.
using TselectItemsFunction = std::function<bool(const std::string& caption, const std::string& prompt,
                                                const std::vector<std::string>& items,
                                                std::vector<std::string>& chosen)>;
// Installs the picker the editor's Add buttons use; an empty function restores the
// select-items window. Returns the previous one.
TselectItemsFunction SetRuleEditorPicker(TselectItemsFunction picker);

// The year boxes: From a number or 0, To a number or 9999, and swapped when reversed.
void ReadYearRange(const std::string& fromText, const std::string& toText, int& fromYear, int& toYear);
// The first "New Rule %d" from 1 on that no set of `collection` is named.
std::string NextNewRuleName(const TtagListRulesCollection& collection);

class TfrmTagListRules : public QDialog {
public:
    TfrmTagListRules(const TtagListRules& filter, TcustomJukeboxList* jukeboxList, int collectionMode,
                     const TtagListRulesCollection* collection, const TdbRulesList* queryRules,
                     const std::string& activeQuery, QWidget* parent = nullptr);
    ~TfrmTagListRules() override;

    // The dialog's copies.
    TtagListRules& Filter() { return *Ffilter; }
    TtagListRulesCollection& Collection() { return *Fcollection; }
    TdbRulesList& QueryRules() { return *Fqueries; }
    // "" for "[Disabled]".
    std::string ActiveQueryName() const;

    void ShowFilter(const TtagListRules& filter);
    void ReadFilter(TtagListRules& filter) const;
    // Reads the controls into the copy; with a rule in it the query rule goes off.
    void CommitFilter();

    void CollectionChosen(int index);
    void AddSetClicked();
    void UpdateSetClicked();
    void DeleteSetClicked();
    void HelpClicked();
    void QueryChosen(int index);
    // The selected rule's lines into the memo, nothing else.
    void QueryChosenShowOnly();
    void AddQueryClicked();
    void UpdateQueryClicked();
    void DeleteQueryClicked();
    void AddItemsClicked(int group);  // 0 artists, 1 genres, 2 paths

    struct TlistGroup {
        QCheckBox* Use;
        QGroupBox* Group;
        QListWidget* List;
        QCheckBox* Not;
        QPushButton *Add, *Delete, *Clear;
    };
    TlistGroup Artists, Genres, Paths;
    QCheckBox* cbYear;
    QGroupBox* gbYear;
    QLineEdit *edFromYear, *edToYear;
    QCheckBox* cbYearNot;
    QGroupBox* gbCollection;
    QComboBox* cboRulesCollection;
    QPushButton *btnAddSet, *btnDeleteSet, *btnUpdateSet, *btnHelp;
    QTabWidget* pcPages;
    QWidget *tsOldFilters, *tsQueries;
    QComboBox* cboActiveQuery;
    QPlainTextEdit* mmoQueries;
    QPushButton *btnAddQuery, *btnUpdateQuery, *btnDeleteQuery;
    QPushButton *btnOK, *btnCancel;

private:
    TlistGroup MakeGroup(QWidget* parent, const char* name, const char* caption);
    void RefreshCollection(const std::string& select);
    void RefreshQueries(const std::string& select);
    // Runs a rule against the library's database; failures show the database's errors.
    void CheckQuery(const std::string& name);

    std::unique_ptr<TtagListRules> Ffilter;
    std::unique_ptr<TtagListRulesCollection> Fcollection;
    std::unique_ptr<TdbRulesList> Fqueries;
    TcustomJukeboxList* FjukeboxList;
    int FcollectionMode;
    bool FusePaths;
};

// Edits `filter`, the filter sets of `jukeboxList` (may be null) and the query rules
// (may be null) with the active rule's name. `collectionMode` 1 edits the sets, 2 only
// picks from them, anything else hides them. True on OK; only then does anything the
// caller passed change.
bool EditTagListRules(TtagListRules& filter, TcustomJukeboxList* jukeboxList, int collectionMode,
                      std::string& activeQueryName, TdbRulesList* queryRules);

}  // namespace tunecrest
