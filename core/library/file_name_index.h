#pragma once
// The library's index of tracks by file name: every file name once, in byte order, with
// the first track of that name. It holds the tracks themselves, not copies of their
// names: a library of a million tracks would otherwise keep every file name twice. A
// track's file name therefore changes only through an edit the library files anew
// (EditTrack or NoteTrackEdit), which takes the track out under its old name first.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/tags/audio_tag.h"

namespace tunecrest {

class TfileNameIndex {
public:
    int Count() const {
        Ready();
        return int(Fitems.size());
    }
    TfileNameText Strings(int index) const {
        Ready();
        return Fitems[size_t(index)]->Filename();
    }
    const TaudioTagPtr& Tag(int index) const {
        Ready();
        return Fitems[size_t(index)];
    }
    // True when a track of that name is there (`index` is then its place); otherwise
    // `index` is where the name would go.
    bool Find(std::string_view name, int& index) const;
    bool Find(const TfileNameText& name, int& index) const;
    int IndexOf(std::string_view name) const;
    // Adds the track in order; false (nothing added) when a track of that name is there.
    bool Add(const TaudioTagPtr& tag);
    // Adds a track whose name comes after every name in the index (a fill in order).
    void Append(const TaudioTagPtr& tag) {
        Ready();
        Fitems.push_back(tag);
    }
    // Takes tracks in byte order of their names, each name once.
    void Assign(std::vector<TaudioTagPtr> tracks) {
        Fdeferred = nullptr;
        Fitems = std::move(tracks);
    }
    void Delete(int index);
    void Clear() {
        Fdeferred = nullptr;
        Fitems.clear();
    }
    void Reserve(size_t count) {
        Ready();
        Fitems.reserve(count);
    }
    // Marks a run of changes (the index reports nothing; the mark shows it is in one).
    void BeginUpdate() { ++FupdateCount; }
    void EndUpdate() {
        if (FupdateCount > 0) --FupdateCount;
    }
    int UpdateCount() const { return FupdateCount; }

    // While tracks edited since the last filing still stand under their old names: the
    // name each track was filed under (its own name when the lookup gives null).
    using TfiledName = std::function<const TfileNameText*(const TaudioTag*)>;
    bool FindFiled(const TfileNameText& name, int& index, const TfiledName& filedName) const;
    bool FindFiled(std::string_view name, int& index, const TfiledName& filedName) const;

    // The order is worked out by `fill` (which calls Assign) when first needed: a library
    // that has just loaded seldom looks a file up at once. Until then the tracks it is
    // made from must keep their names (an edit calls Ready first).
    void Defer(std::function<void(TfileNameIndex&)> fill) {
        Fitems.clear();
        Fdeferred = std::move(fill);
    }
    // Works a deferred order out now.
    void Ready() const {
        if (Fdeferred) MakeDeferred();
    }

private:
    void MakeDeferred() const;
    std::vector<TaudioTagPtr> Fitems;
    int FupdateCount = 0;
    mutable std::function<void(TfileNameIndex&)> Fdeferred;
};

}  // namespace tunecrest
