#include "core/library/file_name_index.h"

#include <algorithm>

namespace tunecrest {

void TfileNameIndex::MakeDeferred() const {
    const auto fill = std::move(Fdeferred);
    Fdeferred = nullptr;
    fill(const_cast<TfileNameIndex&>(*this));
}

namespace {
// Where `name` is or would go among `items` (in byte order of their names, each name as
// `nameOf` gives it).
template <typename Name, typename NameOf>
bool FindIn(const std::vector<TaudioTagPtr>& items, const Name& name, int& index, const NameOf& nameOf) {
    const auto it = std::lower_bound(items.begin(), items.end(), name,
                                     [&](const TaudioTagPtr& tag, const Name& n) { return nameOf(tag) < n; });
    index = int(it - items.begin());
    return it != items.end() && nameOf(*it) == name;
}
TfileNameText OwnName(const TaudioTagPtr& tag) {
    return tag->Filename();
}
}  // namespace

bool TfileNameIndex::Find(std::string_view name, int& index) const {
    Ready();
    return FindIn(Fitems, name, index, OwnName);
}

bool TfileNameIndex::Find(const TfileNameText& name, int& index) const {
    Ready();
    return FindIn(Fitems, name, index, OwnName);
}

bool TfileNameIndex::FindFiled(const TfileNameText& name, int& index, const TfiledName& filedName) const {
    Ready();
    return FindIn(Fitems, name, index, [&](const TaudioTagPtr& tag) {
        const TfileNameText* filed = filedName(tag.get());
        return filed ? *filed : tag->Filename();
    });
}

bool TfileNameIndex::FindFiled(std::string_view name, int& index, const TfiledName& filedName) const {
    Ready();
    return FindIn(Fitems, name, index, [&](const TaudioTagPtr& tag) {
        const TfileNameText* filed = filedName(tag.get());
        return filed ? *filed : tag->Filename();
    });
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
