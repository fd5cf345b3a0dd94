#include "core/library/url_list.h"

#include <algorithm>

#include "core/base/safe_file.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace {
std::string NamePart(const std::string& line) {
    const size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(0, eq);
}
std::string ValuePart(const std::string& line) {
    const size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}
}  // namespace

void TurlList::Assign(const TurlList& source) {
    Flines = source.Flines;
    Changed();
}

void TurlList::EndUpdate() {
    if (FupdateCount > 0) --FupdateCount;
    if (FupdateCount == 0) Changed();
}

void TurlList::Changed() {
    if (FupdateCount > 0) return;
    std::stable_sort(Flines.begin(), Flines.end(), [](const std::string& a, const std::string& b) {
        const int byName = CompareText(NamePart(a), NamePart(b));
        return byName != 0 ? byName < 0 : CompareText(ValuePart(a), ValuePart(b)) < 0;
    });
    if (OnChange) OnChange(this);
}

void TurlList::Add(const std::string& name, const std::string& url) {
    Flines.push_back(name + "=" + url);
    Changed();
}

void TurlList::SetURL(const std::string& name, const std::string& url) {
    const int i = IndexOfName(name);
    if (i < 0) {
        Add(name, url);
        return;
    }
    Flines[size_t(i)] = name + "=" + url;
    Changed();
}

void TurlList::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    Flines.erase(Flines.begin() + index);
    Changed();
}

void TurlList::DeleteName(const std::string& name) { Delete(IndexOfName(name)); }

void TurlList::Clear() {
    Flines.clear();
    Changed();
}

std::string TurlList::GetName(int index) const {
    return index >= 0 && index < Count() ? NamePart(Flines[size_t(index)]) : std::string();
}

std::string TurlList::GetURL(int index) const {
    return index >= 0 && index < Count() ? ValuePart(Flines[size_t(index)]) : std::string();
}

int TurlList::IndexOfName(const std::string& name) const {
    for (size_t i = 0; i < Flines.size(); ++i)
        if (Flines[i].find('=') != std::string::npos && SameText(NamePart(Flines[i]), name)) return int(i);
    return -1;
}

std::string TurlList::GetValue(const std::string& name) const { return GetURL(IndexOfName(name)); }

std::string TurlList::NameOfURL(const std::string& url) const {
    for (const auto& line : Flines)
        if (SameText(ValuePart(line), url)) return NamePart(line);
    return {};
}

std::vector<std::string> TurlList::GetNames() const {
    std::vector<std::string> names;
    for (const auto& line : Flines) names.push_back(NamePart(line));
    return names;
}

std::vector<std::string> TurlList::ReadLines(const std::string& fileName) {
    std::string text;
    std::vector<std::string> lines;
    if (!ReadFileBytes(fileName, text)) return lines;
    for (auto& line : SplitString(text, '\n')) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(LegacyTextToUtf8(line));
    }
    if (!lines.empty() && lines.back().empty()) lines.pop_back();  // the final line end
    return lines;
}

void TurlList::LoadFromFile(const std::string& fileName) {
    Flines = ReadLines(fileName);
    Changed();
}

bool TurlList::SaveToFile(const std::string& fileName, std::string* error) const {
    std::string text;
    for (const auto& line : Flines) text += line + "\r\n";
    return SafeWriteFile(fileName, text, error);
}

void TurlList::ImportFile(const std::string& fileName) {
    BeginUpdate();
    for (const auto& line : ReadLines(fileName)) {
        if (line.find('=') == std::string::npos) continue;
        if (IndexOfName(NamePart(line)) < 0) Flines.push_back(line);
    }
    EndUpdate();
}

}  // namespace tunecrest
