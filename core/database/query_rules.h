#pragma once
// Query rules: named lists of SQL conditions on the media database's Audio table.
// A rule's tracks are the union of what its lines select. All rules live in
// "dbrules.dat", one INI section per rule.
#include <memory>
#include <string>

#include "core/base/string_lists.h"
#include "core/tags/tag_xml.h"

namespace tunecrest {

class TiniFile;
class TjukeboxDB;
class TaudioTagList;
class TdbRules;
class TdbRulesList;

// A rule as XML: the pairs "RuleName", "Enabled" (only when the rule's copies carry it)
// and one "string" pair per condition line.
class TrandomPlayRulesXML : public TstringListXMLer {
public:
    explicit TrandomPlayRulesXML(TdbRules& owner);
    std::string GetXMLClassName() const override { return "TrandomPlayRulesXML"; }
    void SaveToStrings(TpairList& list) override;
    void LoadFromStrings(const TpairList& list) override;

private:
    TdbRules& Frule;
};

class TdbRules : public TmyStringList {
public:
    TdbRules();
    ~TdbRules() override;
    TdbRules(const TdbRules&) = delete;
    TdbRules& operator=(const TdbRules&) = delete;

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

    TrandomPlayRulesXML& XMLer() { return *Fxmler; }

private:
    std::unique_ptr<TrandomPlayRulesXML> Fxmler;
};
using TdbRulesPtr = std::shared_ptr<TdbRules>;

// The rule list as XML: each rule is a child element; loading replaces the list with
// one rule per child element, filed under the name the child carries.
class TdbRulesListXML : public TmyCustomXMLer {
public:
    explicit TdbRulesListXML(TdbRulesList& owner) : Fowner(owner) {}
    std::string GetXMLClassName() const override { return "TdbRulesListXML"; }
    void GetChildXMLers(std::vector<TmyCustomXMLer*>& list) override;
    void BeginLoad() override;
    void EndLoad() override;
    TmyCustomXMLer* LoadChildNode(const pugi::xml_node& node) override;

private:
    TdbRulesList& Fowner;
};

// All query rules, sorted by name (without regard to case), owning them.
class TdbRulesList : public TmyStringObjectList {
public:
    TdbRulesList();
    ~TdbRulesList() override;
    TdbRulesList(const TdbRulesList&) = delete;
    TdbRulesList& operator=(const TdbRulesList&) = delete;
    TdbRulesListXML& XMLer() { return *Fxmler; }
    // A new rule under `name`; the rule already there when the name is taken.
    TdbRulesPtr Add(const std::string& name);
    TdbRulesPtr RuleByName(const std::string& name) const;
    bool Exists(const std::string& name) const { return RuleByName(name) != nullptr; }
    TdbRulesPtr Rule(int index) const { return ObjectAs<TdbRules>(index); }
    // Replaces the list with the rules of the file; a missing file gives an empty list.
    // A file that exists but cannot be read gives an empty list too, and is not written
    // again until a load has read it.
    void LoadFromFile(const std::string& fileName);
    // Writes every rule into its own section; false with `error` when the file cannot be written.
    bool SaveToFile(const std::string& fileName, std::string* error = nullptr) const;

private:
    std::unique_ptr<TdbRulesListXML> Fxmler;
    std::string FunreadFile;  // the file the last load could not read
};

// The box shown when a rule fails while random play fills its list.
inline constexpr const char* kQueryErrorTitle = "Query Error";
std::string QueryErrorText(const std::string& errors);

// Fills a jukebox's random list from its query rule; on errors shows the "Query Error"
// box and keeps what the working lines produced. True when every line ran.
bool FillFromQueryRule(const TdbRules& rule, TjukeboxDB& database, TaudioTagList& target);

}  // namespace tunecrest
