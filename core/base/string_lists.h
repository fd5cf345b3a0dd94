#pragma once
// String lists of the model: lines with an optional object each, kept in insertion
// order or sorted, with change listeners. Objects are held through shared ownership,
// so a line can never point at a freed object.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/base/event_lists.h"

namespace tunecrest {

using TobjectPtr = std::shared_ptr<TObject>;

// What Add does with a line that a sorted list already holds.
enum class Tduplicates { dupIgnore, dupAccept, dupError };

class TmyStringList : public TObject {
public:
    TmyStringList() = default;
    TmyStringList(const TmyStringList&) = delete;
    TmyStringList& operator=(const TmyStringList&) = delete;
    ~TmyStringList() override = default;

    int Count() const { return int(Fitems.size()); }
    // Room for `more` further lines, so that filling a large list does not move it as it grows.
    void Reserve(size_t more) { Fitems.reserve(Fitems.size() + more); }
    // Both throw Exception for an index outside the list.
    const std::string& Strings(int index) const;
    TobjectPtr Objects(int index) const;
    template <typename T>
    std::shared_ptr<T> ObjectAs(int index) const {
        return std::dynamic_pointer_cast<T>(Objects(index));
    }
    void SetString(int index, const std::string& text);
    void SetObject(int index, TobjectPtr object);

    // Returns the index of the new line (in a sorted list, where it was put; with
    // dupIgnore, the index of the line already there).
    int Add(const std::string& text) { return AddObject(text, nullptr); }
    int AddObject(const std::string& text, TobjectPtr object);
    void Insert(int index, const std::string& text) { InsertObject(index, text, nullptr); }
    void InsertObject(int index, const std::string& text, TobjectPtr object);
    virtual void Delete(int index);
    virtual void Clear();
    void Move(int from, int to);
    void Exchange(int a, int b);
    void Assign(const TmyStringList& source);
    void AddStrings(const TmyStringList& source);
    // Adds many lines at once with one change notice, as Add one by one would leave the
    // list; a sorted list that ignores duplicates is sorted once instead of moved at
    // every line, so a file of a few hundred thousand lines loads in linear time.
    void AddLines(std::vector<std::string> lines);
    // The same for lines with their objects.
    void AddObjects(std::vector<std::pair<std::string, TobjectPtr>> lines);

    // Unsorted: a linear scan (without regard to case unless CaseSensitive);
    // sorted: the binary search. -1 when absent.
    int IndexOf(std::string_view text) const;
    // Sorted: binary search; `index` is where the line is or would go. Unsorted: IndexOf.
    bool Find(std::string_view text, int& index) const;
    int IndexOfObject(const TObject* object) const;

    // "name=value" lines.
    std::string Names(int index) const;
    std::string ValueFromIndex(int index) const;
    int IndexOfName(std::string_view name) const;
    std::string Values(std::string_view name) const;
    // Replaces the value of `name`, or adds the line; an empty value deletes the line.
    void SetValue(std::string_view name, const std::string& value);

    // The lines joined with "\n" (a line break after every line); SetText splits at
    // LF, CR LF or CR.
    std::string Text() const;
    void SetText(std::string_view text);
    std::vector<std::string> ToVector() const;

    bool Sorted() const { return Fsorted; }
    void SetSorted(bool value);
    bool CaseSensitive() const { return FcaseSensitive; }
    void SetCaseSensitive(bool value);
    Tduplicates Duplicates() const { return Fduplicates; }
    void SetDuplicates(Tduplicates value) { Fduplicates = value; }
    void Sort();
    // Sorts with a compare of two indexes (<0, 0, >0), keeping equal lines in order.
    void CustomSort(const std::function<int(const TmyStringList&, int, int)>& compare);

    void BeginUpdate() { ++FupdateCount; }
    void EndUpdate();
    int UpdateCount() const { return FupdateCount; }

    // Raised after every change while no update bracket is open.
    TNotifyEvent OnChange;
    // Every listener is told after each change notice.
    TnotifyEventList& ChangeListeners() { return Flisteners; }

protected:
    virtual void Changed();
    int CompareStrings(std::string_view a, std::string_view b) const;
    struct Titem {
        std::string Text;
        TobjectPtr Object;
    };
    std::vector<Titem> Fitems;

    void CheckIndex(int index) const;

private:
    bool Fsorted = false;
    bool FcaseSensitive = false;
    Tduplicates Fduplicates = Tduplicates::dupIgnore;
    int FupdateCount = 0;
    TnotifyEventList Flisteners;
};

// A string list that can own its objects. Objects are shared, so "owning" means the
// list's reference is what keeps an object alive: with OwnsObjects, Delete and Clear
// drop the object before the line goes, inside one update bracket.
class TmyStringObjectList : public TmyStringList {
public:
    bool OwnsObjects() const { return FownsObjects; }
    void SetOwnsObjects(bool value) { FownsObjects = value; }
    void Delete(int index) override;
    void Clear() override;

private:
    bool FownsObjects = false;
};

}  // namespace tunecrest
