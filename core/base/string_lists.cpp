#include "core/base/string_lists.h"

#include <algorithm>

#include "core/base/exceptions.h"
#include "core/base/text_utils.h"

namespace tunecrest {

void TmyStringList::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) throw Exception(Format("List index out of bounds (%d)", index));
}

const std::string& TmyStringList::Strings(int index) const {
    CheckIndex(index);
    return Fitems[size_t(index)].Text;
}

TobjectPtr TmyStringList::Objects(int index) const {
    CheckIndex(index);
    return Fitems[size_t(index)].Object;
}

void TmyStringList::SetString(int index, const std::string& text) {
    if (Fsorted) throw Exception("Operation not allowed on sorted list");
    CheckIndex(index);
    Fitems[size_t(index)].Text = text;
    Changed();
}

void TmyStringList::SetObject(int index, TobjectPtr object) {
    CheckIndex(index);
    Fitems[size_t(index)].Object = std::move(object);
    Changed();
}

int TmyStringList::CompareStrings(std::string_view a, std::string_view b) const {
    return FcaseSensitive ? a.compare(b) : CompareText(a, b);
}

int TmyStringList::AddObject(const std::string& text, TobjectPtr object) {
    int index = Count();
    if (Fsorted) {
        if (Find(text, index)) {
            if (Fduplicates == Tduplicates::dupIgnore) return index;
            if (Fduplicates == Tduplicates::dupError) throw Exception("String list does not allow duplicates");
        }
    }
    Fitems.insert(Fitems.begin() + index, Titem{text, std::move(object)});
    Changed();
    return index;
}

void TmyStringList::InsertObject(int index, const std::string& text, TobjectPtr object) {
    if (Fsorted) throw Exception("Operation not allowed on sorted list");
    if (index < 0 || index > Count()) throw Exception(Format("List index out of bounds (%d)", index));
    Fitems.insert(Fitems.begin() + index, Titem{text, std::move(object)});
    Changed();
}

void TmyStringList::Delete(int index) {
    CheckIndex(index);
    Fitems.erase(Fitems.begin() + index);
    Changed();
}

void TmyStringList::Clear() {
    if (Fitems.empty()) return;
    Fitems.clear();
    Changed();
}

void TmyStringList::Move(int from, int to) {
    if (from == to) return;
    if (Fsorted) throw Exception("Operation not allowed on sorted list");
    CheckIndex(from);
    CheckIndex(to);
    Titem item = std::move(Fitems[size_t(from)]);
    Fitems.erase(Fitems.begin() + from);
    Fitems.insert(Fitems.begin() + to, std::move(item));
    Changed();
}

void TmyStringList::Exchange(int a, int b) {
    CheckIndex(a);
    CheckIndex(b);
    std::swap(Fitems[size_t(a)], Fitems[size_t(b)]);
    Changed();
}

void TmyStringList::Assign(const TmyStringList& source) {
    if (&source == this) return;
    BeginUpdate();
    Clear();
    AddStrings(source);
    EndUpdate();
}

void TmyStringList::AddStrings(const TmyStringList& source) {
    if (&source == this) return;
    BeginUpdate();
    for (const auto& item : source.Fitems) AddObject(item.Text, item.Object);
    EndUpdate();
}

void TmyStringList::AddLines(std::vector<std::string> lines) {
    std::vector<std::pair<std::string, TobjectPtr>> items;
    items.reserve(lines.size());
    for (auto& line : lines) items.emplace_back(std::move(line), nullptr);
    AddObjects(std::move(items));
}

void TmyStringList::AddObjects(std::vector<std::pair<std::string, TobjectPtr>> lines) {
    if (lines.empty()) return;
    if (Fsorted && Fduplicates != Tduplicates::dupIgnore) {
        // Equal lines keep the order Add gives them (or Add raises): line by line.
        BeginUpdate();
        for (auto& [text, object] : lines) AddObject(text, std::move(object));
        EndUpdate();
        return;
    }
    Fitems.reserve(Fitems.size() + lines.size());
    for (auto& [text, object] : lines) Fitems.push_back(Titem{std::move(text), std::move(object)});
    if (Fsorted) {
        // Stable, so of equal lines the one already held, then the first added, stays.
        const auto less = [this](const Titem& a, const Titem& b) { return CompareStrings(a.Text, b.Text) < 0; };
        std::stable_sort(Fitems.begin(), Fitems.end(), less);
        const auto same = [this](const Titem& a, const Titem& b) { return CompareStrings(a.Text, b.Text) == 0; };
        Fitems.erase(std::unique(Fitems.begin(), Fitems.end(), same), Fitems.end());
    }
    Changed();
}

int TmyStringList::IndexOf(std::string_view text) const {
    if (Fsorted) {
        int index = 0;
        return Find(text, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (CompareStrings(Fitems[size_t(i)].Text, text) == 0) return i;
    return -1;
}

bool TmyStringList::Find(std::string_view text, int& index) const {
    if (!Fsorted) {
        index = IndexOf(text);
        return index >= 0;
    }
    // Lower bound: with duplicates the first of the equal lines.
    int low = 0, high = Count();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (CompareStrings(Fitems[size_t(mid)].Text, text) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    index = low;
    return low < Count() && CompareStrings(Fitems[size_t(low)].Text, text) == 0;
}

int TmyStringList::IndexOfObject(const TObject* object) const {
    for (int i = 0; i < Count(); ++i)
        if (Fitems[size_t(i)].Object.get() == object) return i;
    return -1;
}

std::string TmyStringList::Names(int index) const {
    const std::string& line = Strings(index);
    const size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

std::string TmyStringList::ValueFromIndex(int index) const {
    const std::string& line = Strings(index);
    const size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

int TmyStringList::IndexOfName(std::string_view name) const {
    for (int i = 0; i < Count(); ++i) {
        const std::string& line = Fitems[size_t(i)].Text;
        const size_t eq = line.find('=');
        if (eq != std::string::npos && CompareStrings(std::string_view(line).substr(0, eq), name) == 0) return i;
    }
    return -1;
}

std::string TmyStringList::Values(std::string_view name) const {
    const int i = IndexOfName(name);
    return i < 0 ? std::string() : ValueFromIndex(i);
}

void TmyStringList::SetValue(std::string_view name, const std::string& value) {
    const int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) Delete(i);
        return;
    }
    const std::string line = std::string(name) + "=" + value;
    if (i < 0)
        Add(line);
    else if (Fsorted) {
        BeginUpdate();
        Delete(i);
        Add(line);
        EndUpdate();
    } else
        SetString(i, line);
}

std::string TmyStringList::Text() const {
    std::string out;
    for (const auto& item : Fitems) out += item.Text + "\n";
    return out;
}

void TmyStringList::SetText(std::string_view text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
        lines.emplace_back(text.substr(pos, end - pos));
        if (end < text.size() && text[end] == '\r') {
            ++end;
            if (end < text.size() && text[end] == '\n') ++end;
        } else if (end < text.size()) {
            ++end;
        }
        pos = end;
    }
    BeginUpdate();
    Clear();
    AddLines(std::move(lines));
    EndUpdate();
}

std::vector<std::string> TmyStringList::ToVector() const {
    std::vector<std::string> out;
    out.reserve(Fitems.size());
    for (const auto& item : Fitems) out.push_back(item.Text);
    return out;
}

void TmyStringList::SetSorted(bool value) {
    if (Fsorted == value) return;
    if (value) Sort();
    Fsorted = value;
}

void TmyStringList::SetCaseSensitive(bool value) {
    if (FcaseSensitive == value) return;
    FcaseSensitive = value;
    if (Fsorted) Sort();
}

void TmyStringList::Sort() {
    if (Count() < 2) return;
    // The lines themselves are sorted (stable, as CustomSort), and a list already in
    // order (one filled in order, then made sorted) is only checked.
    const auto less = [this](const Titem& a, const Titem& b) { return CompareStrings(a.Text, b.Text) < 0; };
    if (!std::is_sorted(Fitems.begin(), Fitems.end(), less)) std::stable_sort(Fitems.begin(), Fitems.end(), less);
    Changed();
}

void TmyStringList::CustomSort(const std::function<int(const TmyStringList&, int, int)>& compare) {
    if (Count() < 2) return;
    std::vector<int> order(Fitems.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = int(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(*this, a, b) < 0; });
    std::vector<Titem> sorted;
    sorted.reserve(Fitems.size());
    for (int i : order) sorted.push_back(std::move(Fitems[size_t(i)]));
    Fitems = std::move(sorted);
    Changed();
}

void TmyStringList::EndUpdate() {
    if (FupdateCount > 0) --FupdateCount;
    if (FupdateCount == 0) Changed();
}

void TmyStringList::Changed() {
    if (FupdateCount > 0) return;
    if (OnChange) OnChange(this);
    Flisteners.Notify(this);
}

void TmyStringObjectList::Delete(int index) {
    CheckIndex(index);
    if (FownsObjects) Fitems[size_t(index)].Object.reset();
    TmyStringList::Delete(index);
}

void TmyStringObjectList::Clear() {
    if (!FownsObjects) {
        TmyStringList::Clear();
        return;
    }
    BeginUpdate();
    for (auto& item : Fitems) item.Object.reset();
    TmyStringList::Clear();
    EndUpdate();
}

}  // namespace tunecrest
