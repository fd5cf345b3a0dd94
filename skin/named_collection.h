#pragma once
// An owned, ordered list of named items (the bitmap and picture stores). Items are
// looked up by their NiceName, ASCII case folded.
#include <memory>
#include <string>
#include <vector>

#include <QObject>

#include "core/base/text_utils.h"

namespace tunecrest {

template <typename TItem>
class TnamedCollection {
public:
    explicit TnamedCollection(QObject* owner = nullptr) : Fowner(owner) {}
    TnamedCollection(const TnamedCollection&) = delete;
    TnamedCollection& operator=(const TnamedCollection&) = delete;
    virtual ~TnamedCollection() = default;

    QObject* Owner() const { return Fowner; }
    int Count() const { return int(Fitems.size()); }
    // nullptr for an index out of range.
    TItem* Items(int index) const
    {
        return index >= 0 && index < Count() ? Fitems[size_t(index)].get() : nullptr;
    }
    TItem* Add()
    {
        Fitems.push_back(std::make_unique<TItem>(this));
        return Fitems.back().get();
    }
    void Delete(int index)
    {
        if (index >= 0 && index < Count()) Fitems.erase(Fitems.begin() + index);
    }
    void Clear() { Fitems.clear(); }
    // The first item named `name`, or nullptr.
    TItem* FindByName(const std::string& name) const
    {
        for (const auto& item : Fitems)
            if (SameText(item->NiceName(), name)) return item.get();
        return nullptr;
    }
    // Replaces the items with copies of `source`'s.
    void Assign(const TnamedCollection& source)
    {
        if (&source == this) return;
        Fitems.clear();
        for (const auto& item : source.Fitems) Add()->Assign(*item);
    }

private:
    QObject* Fowner;
    std::vector<std::unique_ptr<TItem>> Fitems;
};

}  // namespace tunecrest
