#include "core/database/query_rules.h"

#include <filesystem>
#include <unordered_set>

#include "core/base/ini_file.h"
#include "core/database/media_database.h"
#include "core/base/services.h"
#include "core/tags/tag_list.h"
#include "core/base/text_utils.h"

namespace tunecrest {

// ---- XML ------------------------------------------------------------------------------

TrandomPlayRulesXML::TrandomPlayRulesXML(TdbRules& owner) : TstringListXMLer(owner), Frule(owner) {}

void TrandomPlayRulesXML::SaveToStrings(TpairList& list) {
    list.push_back(MakePair("RuleName", Frule.RuleName));
    if (Frule.CopyEnabled) list.push_back(MakeBoolPair("Enabled", Frule.Enabled));
    TstringListXMLer::SaveToStrings(list);
}

void TrandomPlayRulesXML::LoadFromStrings(const TpairList& list) {
    Frule.RuleName = PairValue(list, "RuleName");
    if (Frule.CopyEnabled) Frule.Enabled = StrToIntDef(PairValue(list, "Enabled"), 0) != 0;
    TstringListXMLer::LoadFromStrings(list);
}

void TdbRulesListXML::GetChildXMLers(std::vector<TmyCustomXMLer*>& list) {
    for (int i = 0; i < Fowner.Count(); ++i)
        if (TdbRulesPtr rule = Fowner.Rule(i)) list.push_back(&rule->XMLer());
}

void TdbRulesListXML::BeginLoad() {
    Fowner.BeginUpdate();
    Fowner.Clear();
}

void TdbRulesListXML::EndLoad() { Fowner.EndUpdate(); }

TmyCustomXMLer* TdbRulesListXML::LoadChildNode(const pugi::xml_node& node) {
    auto rule = std::make_shared<TdbRules>();
    LoadChildNodes(node, rule->XMLer());
    // Filed under the name the element carries; a later rule of one name replaces an earlier one.
    int index;
    if (Fowner.Find(rule->RuleName, index)) Fowner.Delete(index);
    Fowner.AddObject(rule->RuleName, rule);
    return &rule->XMLer();
}

// ---- rules ----------------------------------------------------------------------------

TdbRules::TdbRules() : Fxmler(std::make_unique<TrandomPlayRulesXML>(*this)) {}
TdbRules::~TdbRules() = default;

void TdbRules::Assign(const TdbRules* source) {
    BeginUpdate();
    Clear();
    if (source) {
        RuleName = source->RuleName;
        AddStrings(*source);
        if (CopyEnabled) Enabled = source->Enabled;
    } else {
        RuleName.clear();
    }
    EndUpdate();
}

void TdbRules::LoadFromIni(const TiniFile& ini, const std::string& section) {
    const std::string name = section.empty() ? RuleName : section;
    BeginUpdate();
    Clear();
    RuleName = ini.ReadString(name, "RuleName", "");
    Enabled = ini.ReadBool(name, "Enabled", false);
    constexpr int64_t kNotNumber = INT64_MIN;
    for (const std::string& line : ini.ReadSectionValues(name)) {
        const size_t eq = line.find('=');
        const std::string key = line.substr(0, eq);
        if (key.size() <= 4 || StrToInt64Def(std::string_view(key).substr(4), kNotNumber) == kNotNumber) continue;
        Add(eq == std::string::npos ? std::string() : line.substr(eq + 1));
    }
    EndUpdate();
}

void TdbRules::SaveToIni(TiniFile& ini, const std::string& section) const {
    const std::string name = section.empty() ? RuleName : section;
    ini.EraseSection(name);
    ini.WriteString(name, "RuleName", RuleName);
    ini.WriteBool(name, "Enabled", Enabled);
    for (int i = 0; i < Count(); ++i) ini.WriteString(name, "Rule" + std::to_string(i), Strings(i));
}

bool TdbRules::CheckQueries(TjukeboxDB& database, TaudioTagList& target, std::string& errors) const {
    errors.clear();
    std::unordered_set<const TaudioTag*> seen;
    target.BeginUpdate();
    target.Clear();
    for (int i = 0; i < Count(); ++i) {
        std::string error;
        if (!database.SelectFiles(Strings(i), "", "", TdbTable::dtAudio, true, target, error, &seen) &&
            !error.empty())
            errors += error + "\r\n";
    }
    target.EndUpdate();
    return errors.empty();
}

TdbRulesList::TdbRulesList() : Fxmler(std::make_unique<TdbRulesListXML>(*this)) {
    SetSorted(true);
    SetOwnsObjects(true);
}

TdbRulesList::~TdbRulesList() = default;

TdbRulesPtr TdbRulesList::Add(const std::string& name) {
    if (TdbRulesPtr existing = RuleByName(name)) return existing;
    auto rule = std::make_shared<TdbRules>();
    rule->RuleName = name;
    AddObject(name, rule);
    return rule;
}

TdbRulesPtr TdbRulesList::RuleByName(const std::string& name) const {
    int index;
    return Find(name, index) ? ObjectAs<TdbRules>(index) : nullptr;
}

void TdbRulesList::LoadFromFile(const std::string& fileName) {
    BeginUpdate();
    Clear();
    std::error_code ec;
    if (std::filesystem::exists(fileName, ec)) {
        const TiniFile ini(fileName);
        FunreadFile = ini.ReadFailed() ? fileName : std::string();
        // All rules are made first and filed in one sort: adding each to the sorted list
        // would move it at every section.
        std::vector<std::pair<std::string, TobjectPtr>> rules;
        for (const std::string& section : ini.ReadSections()) {
            auto rule = std::make_shared<TdbRules>();
            rule->RuleName = section;
            rule->LoadFromIni(ini, section);
            rules.emplace_back(section, std::move(rule));
        }
        AddObjects(std::move(rules));
    } else {
        FunreadFile.clear();
    }
    EndUpdate();
}

bool TdbRulesList::SaveToFile(const std::string& fileName, std::string* error) const {
    if (!FunreadFile.empty() && fileName == FunreadFile) return RefuseUnreadFile(fileName, error);
    TiniFile ini;
    ini.Rename(fileName, false);
    for (int i = 0; i < Count(); ++i)
        if (TdbRulesPtr rule = Rule(i)) rule->SaveToIni(ini, Strings(i));
    return ini.UpdateFile(error);
}

std::string QueryErrorText(const std::string& errors) {
    return "There is an error in your Random Play Query:\r\n\r\n" + errors;
}

bool FillFromQueryRule(const TdbRules& rule, TjukeboxDB& database, TaudioTagList& target) {
    std::string errors;
    if (rule.CheckQueries(database, target, errors)) return true;
    Prompt().ShowMessage(QueryErrorText(errors), kQueryErrorTitle);
    return false;
}

}  // namespace tunecrest
