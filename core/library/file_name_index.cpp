#include "core/library/file_name_index.h"

#include <algorithm>

namespace tunecrest {

void TfileNameIndex::MakeDeferred() const {
    const auto fill = std::move(Fdeferred);
    Fdeferred = nullptr;
    fill(const_cast<TfileNameIndex&>(*this));
}

bool TfileNameIndex::Find(std::string_view name, int& index) const {
    Ready();
    const auto it = std::lower_bound(Fitems.begin(), Fitems.end(), name,
                                     [](const TaudioTagPtr& tag, std::string_view n) { return tag->Filename() < n; });
    index = int(it - Fitems.begin());
    return it != Fitems.end() && (*it)->Filename() == name;
}

bool TfileNameIndex::FindFiled(std::string_view name, int& index, const TfiledName& filedName) const {
    Ready();
    const auto nameOf = [&](const TaudioTagPtr& tag) -> std::string_view {
        const std::string* filed = filedName(tag.get());
        return filed ? *filed : tag->Filename();
    };
    const auto it = std::lower_bound(Fitems.begin(), Fitems.end(), name,
                                     [&](const TaudioTagPtr& tag, std::string_view n) { return nameOf(tag) < n; });
    index = int(it - Fitems.begin());
    return it != Fitems.end() && nameOf(*it) == name;
}

int TfileNameIndex::IndexOf(std::string_view name) const {
    int index = 0;
    return Find(name, index) ? index : -1;
}

bool TfileNameIndex::Add(const TaudioTagPtr& tag) {
    int index = 0;
    if (!tag || Find(tag->Filename(), index)) return false;
    Fitems.insert(Fitems.begin() + index, tag);
    return true;
}

void TfileNameIndex::Delete(int index) {
    Ready();
    if (index >= 0 && index < Count()) Fitems.erase(Fitems.begin() + index);
}

}  // namespace tunecrest
