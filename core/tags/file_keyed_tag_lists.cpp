#include "core/tags/file_keyed_tag_lists.h"

#include "core/tags/list_file_io.h"
#include "core/base/services.h"
#include "core/tags/tag_list_files.h"

namespace tunecrest {

TaudioTagFileList::TaudioTagFileList() {
    Fitems.SetSorted(true);
    Fitems.SetCaseSensitive(true);
    Fitems.SetDuplicates(Tduplicates::dupAccept);
    Fitems.ChangeListeners().Add([this](TObject*) {
        if (OnChange) OnChange(this);
    });
}

void TaudioTagFileList::Add(const TaudioTagPtr& tag) {
    Store(tag);
}

void TaudioTagFileList::Store(const TaudioTagPtr& tag) {
    if (tag) Fitems.AddObject(tag->Filename().str(), tag);
}

TaudioTagPtr TaudioTagFileList::GetTag(int index) const {
    return index >= 0 && index < Count() ? Fitems.ObjectAs<TaudioTag>(index) : nullptr;
}

TaudioTagPtr TaudioTagFileList::FindFile(const std::string& fileName) const {
    int index = -1;
    return Fitems.Find(fileName, index) ? GetTag(index) : nullptr;
}

void TaudioTagFileList::Delete(int index) {
    if (index >= 0 && index < Count()) Fitems.Delete(index);
}

void TaudioTagFileList::Clear() {
    Fitems.BeginUpdate();
    for (int i = Count() - 1; i >= 0; --i) Fitems.Delete(i);
    Fitems.EndUpdate();
}

void TaudioTagFileList::AddTags(const TmyStringList& items, bool keep, bool copies) {
    Fitems.BeginUpdate();
    if (!keep) Clear();
    for (int i = 0; i < items.Count(); ++i)
        if (auto tag = items.ObjectAs<TaudioTag>(i)) Store(copies ? tag->Clone() : tag);
    Fitems.EndUpdate();
}

void TaudioTagFileList::AddList(const TaudioTagList& list, bool keep, bool copies) {
    Fitems.BeginUpdate();
    if (!keep) Clear();
    for (const auto& tag : list.Items()) Store(copies ? tag->Clone() : tag);
    Fitems.EndUpdate();
}

bool TaudioTagFileList::LoadFromListFile(const std::string& fileName, bool keep, std::string* error) {
    std::string bytes, stream;
    if (!ReadFileBytes(fileName, bytes, error, kMaxInflatedListBytes)) return false;
    bool ok = UnpackTagListFile(bytes, stream, error);
    TaudioTagList read;  // shares its tags; they are taken over below
    if (ok) {
        bytes = std::string();
        TbyteReader r(stream);
        ok = read.LoadFromStream(r, false, "", error);
    }
    if (!ok && error) *error = fileName + ": " + *error;
    if (!ok && read.Count() == 0) return false;
    AddList(read, keep, false);
    return ok;
}

TpopularityTagList::TpopularityTagList() { Fitems.SetDuplicates(Tduplicates::dupIgnore); }

void TpopularityTagList::Add(const TaudioTagPtr& tag) {
    if (!tag) return;
    if (TaudioTagPtr known = FindFile(tag->Filename().str())) {
        known->SetData(known->Data() + 1);
        known->SetModDate(Now());
        if (OnChange) OnChange(this);  // the count changed, not the entries
        return;
    }
    TaudioTagPtr copy = tag->Clone();
    copy->SetData(copy->Data() + 1);
    copy->SetModDate(Now());
    Fitems.AddObject(copy->Filename().str(), copy);
}

}  // namespace tunecrest
