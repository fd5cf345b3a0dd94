#pragma once
// Query rules: named lists of SQL conditions on the media database's Audio table.
// A rule's tracks are the union of what its lines select. All rules live in
// "dbrules.dat", one INI section per rule.
#include <memory>
#include <string>

#include "core/string_lists.h"

namespace tunecrest {

class TiniFile;
class TjukeboxDB;
class TaudioTagList;

class TdbRules : public TmyStringList {
public:
    std::string RuleName;
    bool Enabled = false;
    // Whether copies carry Enabled.
    bool CopyEnabled = false;

    using TmyStringList::Assign;
    // Copies the name and the lines (and Enabled with CopyEnabled); nullptr empties both.
    void Assign(const TdbRules* source);
    // `section` defaults to the rule's name. Reads "RuleName", "Enabled" and, in file
    // order, every key whose text from its fifth character on is an integer as a line.
    void LoadFromIni(const TiniFile& ini, const std::string& section = "");
    // Replaces the section with "RuleName", "Enabled" and the lines as "Rule0", "Rule1", ...
    void SaveToIni(TiniFile& ini, const std::string& section = "") const;
    // Runs every line against the database into `target` (cleared first). A track that
    // several lines select is added once. Each failing line's message and "\r\n" go
    // into `errors`; true when there were none.
    bool CheckQueries(TjukeboxDB& database, TaudioTagList& target, std::string& errors) const;
};
using TdbRulesPtr = std::shared_ptr<TdbRules>;

// All query rules, sorted by name (without regard to case), owning them.
class TdbRulesList : public TmyStringObjectList {
public:
    TdbRulesList();
    // A new rule under `name`; the rule already there when the name is taken.
    TdbRulesPtr Add(const std::string& name);
    TdbRulesPtr RuleByName(const std::string& name) const;
    bool Exists(const std::string& name) const { return RuleByName(name) != nullptr; }
    TdbRulesPtr Rule(int index) const { return ObjectAs<TdbRules>(index); }
    // Replaces the list with the rules of the file; a missing file gives an empty list.
    void LoadFromFile(const std::string& fileName);
    // Writes every rule into its own section; false with `error` when the file cannot be written.
    bool SaveToFile(const std::string& fileName, std::string* error = nullptr) const;
};

// The box shown when a rule fails while random play fills its list.
inline constexpr const char* kQueryErrorTitle = "Query Error";
std::string QueryErrorText(const std::string& errors);

// Fills a jukebox's random list from its query rule; on errors shows the "Query Error"
// box and keeps what the working lines produced. True when every line ran.
bool FillFromQueryRule(const TdbRules& rule, TjukeboxDB& database, TaudioTagList& target);

}  // namespace tunecrest
