#include "core/base/ini_file.h"

#include <cerrno>

#include "core/base/safe_file.h"
#include "core/base/services.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace {
constexpr uint64_t kMaxIniBytes = uint64_t(64) << 20;

// A name or value as one line: CR and LF become spaces.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

// The index key of a section name: as stored (one line), letters folded.
std::string IndexKey(const std::string& name) { return UpperCase(HasLineBreak(name) ? OneLine(name) : name); }
}  // namespace

TiniFile::TiniFile(std::string fileName) : FfileName(std::move(fileName)) { Load(); }

void TiniFile::Load() {
    FreadFailed = false;
    FreadError.clear();
    if (FfileName.empty()) return;
    std::string text, error;
    int code = 0;
    if (ReadFileBytes(FfileName, text, &error, kMaxIniBytes, &code)) {
        SetText(text);
    } else if (code != ENOENT) {
        FreadFailed = true;
        FreadError = error;
        LogError(error);
    }
}

void TiniFile::Rename(const std::string& fileName, bool reload) {
    FfileName = fileName;
    if (reload) {
        Clear();
        Load();
    } else {
        FreadFailed = false;
        FreadError.clear();
    }
}

void TiniFile::SetText(const std::string& text) {
    Clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string trimmed = Trim(line);
        if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
            AppendSection(Trim(trimmed.substr(1, trimmed.size() - 2)));
            continue;
        }
        Tline entry;
        const size_t eq = line.find('=');
        if (!trimmed.empty() && trimmed[0] != ';' && trimmed[0] != '#' && eq != std::string::npos &&
            !Trim(line.substr(0, eq)).empty()) {
            entry.IsPair = true;
            entry.Key = Trim(line.substr(0, eq));
            entry.Value = line.substr(eq + 1);
        } else {
            if (trimmed.empty()) continue;  // blank lines are not kept; the writer adds its own
            entry.Value = line;
        }
        if (Fsections.empty())
            Fpreamble.push_back(line);
        else
            Fsections.back().Lines.push_back(std::move(entry));
    }
}

std::string TiniFile::GetText() const {
    std::string out;
    for (const auto& line : Fpreamble) out += line + "\r\n";
    for (size_t i = 0; i < Fsections.size(); ++i) {
        if (i > 0 || !Fpreamble.empty()) out += "\r\n";
        out += "[" + Fsections[i].Name + "]\r\n";
        for (const auto& line : Fsections[i].Lines)
            out += line.IsPair ? line.Key + "=" + line.Value + "\r\n" : line.Value + "\r\n";
    }
    return out;
}

bool RefuseUnreadFile(const std::string& fileName, std::string* error) {
    const std::string reason =
        "Cannot write " + fileName + ": the file could not be read, so writing it would lose what it holds";
    LogError(reason);
    if (error) *error = reason;
    return false;
}

bool TiniFile::UpdateFile(std::string* error) const {
    if (FfileName.empty()) {
        if (error) *error = "No file name";
        return false;
    }
    if (FreadFailed) return RefuseUnreadFile(FfileName, error);
    return SafeWriteFile(FfileName, GetText(), error);
}

TiniFile::Tsection& TiniFile::AppendSection(const std::string& section) {
    Fsections.push_back({OneLine(section), {}});
    Findex.emplace(IndexKey(Fsections.back().Name), Fsections.size() - 1);
    return Fsections.back();
}

void TiniFile::RebuildIndex() {
    Findex.clear();
    for (size_t i = 0; i < Fsections.size(); ++i) Findex.emplace(IndexKey(Fsections[i].Name), i);
}

const TiniFile::Tsection* TiniFile::Find(const std::string& section) const {
    const auto it = Findex.find(IndexKey(section));
    return it == Findex.end() ? nullptr : &Fsections[it->second];
}

TiniFile::Tsection* TiniFile::Find(const std::string& section) {
    const auto it = Findex.find(IndexKey(section));
    return it == Findex.end() ? nullptr : &Fsections[it->second];
}

const TiniFile::Tline* TiniFile::FindKey(const Tsection& s, const std::string& key) {
    if (HasLineBreak(key)) return FindKey(s, OneLine(key));
    for (const auto& line : s.Lines)
        if (line.IsPair && SameText(line.Key, key)) return &line;
    return nullptr;
}

void TiniFile::SetKey(Tsection& s, const std::string& key, const std::string& value) {
    if (HasLineBreak(key) || HasLineBreak(value)) return SetKey(s, OneLine(key), OneLine(value));
    for (auto& line : s.Lines)
        if (line.IsPair && SameText(line.Key, key)) {
            line.Value = value;
            return;
        }
    s.Lines.push_back({key, value, true});
}

std::string TiniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
    const Tsection* s = Find(section);
    if (!s) return def;
    const Tline* line = FindKey(*s, key);
    return line ? line->Value : def;
}

void TiniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    Tsection* s = Find(section);
    if (!s) s = &AppendSection(section);
    SetKey(*s, key, value);
}

int TiniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
    return StrToIntDef(ReadString(section, key, ""), def);
}

int TiniFile::ReadIntegerWithin(const std::string& section, const std::string& key, int def, int low,
                                int high) const {
    const int value = ReadInteger(section, key, def);
    if (value >= low && value <= high) return value;
    const int used = value < low ? low : high;
    const std::string file = FfileName.empty() ? std::string("settings") : FfileName;
    LogError(file + ": [" + section + "] " + key + "=" + std::to_string(value) + " is out of range; " +
             std::to_string(used) + " is used");
    return used;
}

void TiniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

bool TiniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TiniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

bool TiniFile::SectionExists(const std::string& section) const { return Find(section) != nullptr; }

bool TiniFile::ValueExists(const std::string& section, const std::string& key) const {
    const Tsection* s = Find(section);
    return s && FindKey(*s, key);
}

std::vector<std::string> TiniFile::ReadSection(const std::string& section) const {
    std::vector<std::string> keys;
    if (const Tsection* s = Find(section))
        for (const auto& line : s->Lines)
            if (line.IsPair) keys.push_back(line.Key);
    return keys;
}

std::vector<std::string> TiniFile::ReadSectionValues(const std::string& section) const {
    std::vector<std::string> values;
    if (const Tsection* s = Find(section))
        for (const auto& line : s->Lines)
            if (line.IsPair) values.push_back(line.Key + "=" + line.Value);
    return values;
}

std::vector<std::string> TiniFile::ReadSections() const {
    std::vector<std::string> names;
    for (const auto& s : Fsections) names.push_back(s.Name);
    return names;
}

void TiniFile::EraseSection(const std::string& section) {
    // Writers erase a section before filling it anew: when there is none, spare the pass.
    if (!Find(section)) return;
    const std::string name = HasLineBreak(section) ? OneLine(section) : section;
    std::erase_if(Fsections, [&](const Tsection& s) { return SameText(s.Name, name); });
    RebuildIndex();
}

void TiniFile::DeleteKey(const std::string& section, const std::string& key) {
    const std::string name = HasLineBreak(key) ? OneLine(key) : key;
    if (Tsection* s = Find(section))
        std::erase_if(s->Lines, [&](const Tline& line) { return line.IsPair && SameText(line.Key, name); });
}

void TiniFile::Clear() {
    Fpreamble.clear();
    Fsections.clear();
    Findex.clear();
}

int TiniFile::AddSection(const std::string& section) {
    AppendSection(section);
    return int(Fsections.size()) - 1;
}

std::string TiniFile::ReadStringAt(int index, const std::string& key, const std::string& def) const {
    const Tline* line = FindKey(Fsections.at(size_t(index)), key);
    return line ? line->Value : def;
}

void TiniFile::WriteStringAt(int index, const std::string& key, const std::string& value) {
    SetKey(Fsections.at(size_t(index)), key, value);
}

std::vector<std::string> TiniFile::ReadSectionAt(int index) const {
    std::vector<std::string> keys;
    for (const auto& line : Fsections.at(size_t(index)).Lines)
        if (line.IsPair) keys.push_back(line.Key);
    return keys;
}

}  // namespace tunecrest
