#pragma once
// Tags keyed by file name, for fast lookup by file; and the play counts built on it:
// one copy of every played track with the number of plays in Data and the time of
// the last one in ModDate. File names are compared exactly (Linux names are
// case-sensitive, so two files differing in case keep two counts).
#include <string>

#include "core/base/string_lists.h"
#include "core/tags/tag_list.h"

namespace tunecrest {

class TaudioTagFileList : public TObject {
public:
    TaudioTagFileList();
    ~TaudioTagFileList() override = default;
    TaudioTagFileList(const TaudioTagFileList&) = delete;
    TaudioTagFileList& operator=(const TaudioTagFileList&) = delete;

    // Raised whenever the entries change.
    TNotifyEvent OnChange;
    bool OwnsObjects = true;

    virtual void Add(const TaudioTagPtr& tag);
    int Count() const { return Fitems.Count(); }
    TaudioTagPtr GetTag(int index) const;
    // The first tag of that file, or nullptr.
    TaudioTagPtr FindFile(const std::string& fileName) const;
    void Delete(int index);
    void Clear();
    // Take the tags over as they are (clones when `copies`): a play-count list keeps the
    // stored counts and times instead of counting each tag as a new play.
    void AddTags(const TmyStringList& items, bool keep, bool copies);
    void AddList(const TaudioTagList& list, bool keep, bool copies);
    // Reads a tag-list file and takes its tags over (no copies), clearing the entries
    // first unless `keep`. A missing or unreadable file changes nothing; a damaged one
    // gives false with a reason, and the tags read before the damage are taken.
    bool LoadFromListFile(const std::string& fileName, bool keep, std::string* error = nullptr);
    const TmyStringList& Items() const { return Fitems; }

protected:
  // Files the tag under its name without counting anything.
  void Store(const TaudioTagPtr& tag);
  TmyStringList Fitems;
};

class TpopularityTagList : public TaudioTagFileList {
public:
    TpopularityTagList();
    // Counts one play of the tag's file: its entry's Data rises by one and its ModDate
    // becomes now; a file not yet listed gets a copy of the tag. The tag itself is never stored.
    void Add(const TaudioTagPtr& tag) override;
};

}  // namespace tunecrest
