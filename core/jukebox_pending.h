#pragma once
// Temporary stand-ins for the pieces of the library model that the jukebox uses but
// that are built elsewhere: the list of lists (stacker and playlists), the Random Play
// Filter, the button slots, the query-rule copy, the play counts and the tag-list
// files. Each keeps only what the jukebox calls. When the real piece arrives, its
// stand-in here is deleted and the real header included instead.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/tag_list.h"

namespace tunecrest {

class TiniFile;

using TlistPlaylistChangeEvent = std::function<void(TObject* Sender, TaudioTagList* list)>;

// A list of tag lists, each with a title and its own Active flag.
class TaudioTagPlaylistList : public TObject {
  public:
    TNotifyEvent OnChange;
    TNotifyEvent OnActiveChanged;
    TlistPlaylistChangeEvent OnPlaylistChange;

    int Count() const { return int(Flists.size()); }
    TaudioTagList* GetList(int index) const;
    int IndexOf(const TaudioTagList* list) const;
    // The first list of that title (without regard to case), or null.
    TaudioTagList* FindTitle(const std::string& title) const;
    // Adopts the list; member changes reach OnPlaylistChange.
    TaudioTagList* Add(std::unique_ptr<TaudioTagList> list);
    void Remove(TaudioTagList* list);
    void Clear();
    bool Active() const { return Factive; }
    void SetActive(bool on);
    bool ListsOwnObjects() const { return FlistsOwnObjects; }
    void SetListsOwnObjects(bool on) { FlistsOwnObjects = on; }
    void BeginUpdate() { ++FupdateCount; }
    void EndUpdate();
    void Changed();

    bool LoadFromFile(const std::string& fileName, bool keep, bool* damaged = nullptr);
    bool SaveToFile(const std::string& fileName, std::string* error = nullptr) const;

  private:
    void Bind(TaudioTagList* list);
    std::vector<std::unique_ptr<TaudioTagList>> Flists;
    bool Factive = false;
    bool FlistsOwnObjects = false;
    int FupdateCount = 0;
    bool Fpending = false;
};

// A Random Play Filter: here only the path rule is kept.
class TtagListRules : public TObject {
  public:
    std::vector<std::string> Paths;
    bool HasRules() const { return !Paths.empty(); }
    void ApplyRules(const TaudioTagList& source, TaudioTagList& dest, bool copies) const;
    void LoadFromIni(const TiniFile& ini, const std::string& section);
    void SaveToIni(TiniFile& ini, const std::string& section) const;
};

class TcustomJukebox;
class TjukeboxSlotList : public TObject {
  public:
    explicit TjukeboxSlotList(TcustomJukebox* owner) : Owner(owner) {}
    TcustomJukebox* Owner;
    void LoadFromIni(const TiniFile&, const std::string&) {}
    void SaveToIni(TiniFile&, const std::string&) const {}
};

// A copy of one SQL query rule: its name and its lines.
class TdbRules : public TObject {
  public:
    std::string RuleName;
    std::vector<std::string> Lines;
};

// Play counts keyed by file name: Data is the count, ModDate the last play.
class TpopularityTagList : public TaudioTagList {
  public:
    // Counts one play of the tag's file; the given tag itself is never stored.
    void CountPlay(const TaudioTag& tag);
    TaudioTagPtr FindFile(const std::string& fileName) const;
};

// Tag-list files: `damaged` is set when the file exists but cannot be read.
bool LoadTagListFile(TaudioTagList& list, const std::string& fileName, bool keep, bool* damaged = nullptr);
bool SaveTagListFile(const TaudioTagList& list, const std::string& fileName, std::string* error = nullptr);

}  // namespace tunecrest
