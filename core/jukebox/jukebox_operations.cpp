// What the windows do to the play state. Every operation goes through here so that
// queueing also counts the request in the play counts, and so that a list whose file
// could not be read is written again once a person has changed it.
#include "core/library/jukebox_list.h"
#include "core/base/services.h"

namespace tunecrest {

TaudioTagList& TlocalJukeboxList::Queue() {
    Jukebox()->MarkUserChange(TcustomJukebox::ulQueue);
    return Jukebox()->Queue();
}

void TlocalJukeboxList::SetAutoSavePlaylist(bool on) {
    FautoSavePlaylist = on;
    if (Jukebox()) Jukebox()->AutoSavePlaylist = on;
}

void TlocalJukeboxList::SetAutoSaveQueue(bool on) {
    FautoSaveQueue = on;
    if (Jukebox()) Jukebox()->AutoSaveQueue = on;
}

void TlocalJukeboxList::SetAutoSaveStacker(bool on) {
    FautoSaveStacker = on;
    if (Jukebox()) Jukebox()->AutoSaveStacker = on;
}

int TlocalJukeboxList::AddTagsToQueue(const TmyStringList& tags, bool keep, bool copies) {
    // Added one by one under one update, so that each refusal of the queue (full, or a
    // duplicate) is seen and the refused track is not counted as requested.
    TaudioTagList& queue = Queue();
    std::vector<TaudioTagPtr> accepted;
    queue.BeginUpdate();
    if (!keep) queue.Clear();
    for (int i = 0; i < tags.Count(); ++i) {
        const TaudioTagPtr tag = tags.ObjectAs<TaudioTag>(i);
        if (!tag) continue;
        const int before = queue.Count();
        if (copies)
            queue.AddCopy(tag);
        else
            queue.Add(tag);
        if (queue.Count() > before) accepted.push_back(tag);
    }
    queue.EndUpdate();
    for (const auto& tag : accepted) CountPlay(*tag);
    return int(accepted.size());
}

void TlocalJukeboxList::AddToQueue(const TaudioTag& tag) {
    Queue().Add(tag.Clone());
    CountPlay(tag);
}

void TlocalJukeboxList::InsertInQueue(const TaudioTag& tag) {
    Queue().Insert(tag.Clone(), 0);
    CountPlay(tag);
}

void TlocalJukeboxList::PlayNow(const TaudioTag& tag) {
    InsertInQueue(tag);
    if (Jukebox()->Player()) Jukebox()->Player()->PlayNext();
}

void TlocalJukeboxList::SetStackerActive(bool on) {
    Jukebox()->MarkUserChange(TcustomJukebox::ulStacker);
    Jukebox()->Stacker().SetActive(on);
}

void TlocalJukeboxList::ActivatePlaylist(const std::string& title) { Jukebox()->ActivatePlaylistByName(title); }

void TlocalJukeboxList::RemovePlaylist(TaudioTagList* list) {
    MarkPlaylistsUserChange();
    Playlists().Remove(list);
}

void TlocalJukeboxList::SetInternetRadioURL(const std::string& name, const std::string& url) {
    URLList().SetURL(name, url);
}

void TlocalJukeboxList::DeleteInternetRadioURL(const std::string& name) { URLList().DeleteName(name); }

void TlocalJukeboxList::AddToStacker(const TaudioTagList* list) {
    if (!list) return;
    auto cartridge = std::make_shared<TaudioTagList>();
    cartridge->SetOwnsObjects(true);
    cartridge->SetTitle(list->Title());
    cartridge->SetActive(true);
    for (const auto& tag : list->Items()) cartridge->Add(tag->Clone());
    Jukebox()->MarkUserChange(TcustomJukebox::ulStacker);
    Jukebox()->Stacker().AddList(cartridge);
}

void TlocalJukeboxList::RemoveFromStacker(TaudioTagList* cartridge) {
    Jukebox()->MarkUserChange(TcustomJukebox::ulStacker);
    Jukebox()->Stacker().Remove(cartridge);
}

void TlocalJukeboxList::ClearStacker() {
    Jukebox()->MarkUserChange(TcustomJukebox::ulStacker);
    Jukebox()->Stacker().Clear();
}

void TlocalJukeboxList::AddListToQueue(const TaudioTagList& list) {
    TaudioTagList& queue = Queue();
    queue.BeginUpdate();
    for (const auto& tag : list.Items()) queue.Add(tag->Clone());
    queue.EndUpdate();
    for (const auto& tag : list.Items()) CountPlay(*tag);
}

void TlocalJukeboxList::QueueMoveUp(const TaudioTag* tag) {
    const int index = Jukebox()->Queue().IndexOf(tag);
    if (index >= 0) Queue().MoveUp(index);
}

void TlocalJukeboxList::QueueMoveDown(const TaudioTag* tag) {
    const int index = Jukebox()->Queue().IndexOf(tag);
    if (index >= 0) Queue().MoveDown(index);
}

void TlocalJukeboxList::QueueDelete(int index) {
    if (index >= 0 && index < Jukebox()->Queue().Count()) Queue().Delete(index);
}

void TlocalJukeboxList::ClearQueue() { Queue().Clear(); }

void TlocalJukeboxList::QueueMove(int from, int to) { Queue().Move(from, to); }

void TlocalJukeboxList::ShuffleQueue() { Queue().Shuffle(); }

void TlocalJukeboxList::SetQueueNoDuplicates(bool on) { Jukebox()->Queue().SetNoDuplicates(on); }

void TlocalJukeboxList::SetLoopQueue(bool on) { Jukebox()->SetLoopQueue(on); }

void TlocalJukeboxList::SetRandomPlayActive(bool on) { Jukebox()->SetRandomPlayActive(on); }

void TlocalJukeboxList::RefillRandomList() { Jukebox()->RefillRandomList(); }

// The alarm editor is a window, reached through the prompt interface; its answer says
// whether the person confirmed changes.
bool TlocalJukeboxList::EditAlarms() { return Prompt().EditAlarms(Jukebox()->Alarms()); }

void TlocalJukeboxList::SetRepeatTrack(bool on) { Jukebox()->SetRepeatTrack(on); }

}  // namespace tunecrest
