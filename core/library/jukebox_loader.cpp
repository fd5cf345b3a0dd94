#include "core/library/jukebox_loader.h"

#include "core/library/jukebox_list.h"

namespace tunecrest {

TjukeboxListLink::~TjukeboxListLink() {
    Forget();
}

TjukeboxListLink& TjukeboxListLink::operator=(TcustomlocalJukeboxList* library) {
    if (library == Flibrary) return *this;
    Forget();
    Flibrary = library;
    if (Flibrary) Fkey = Flibrary->AddFreeNotification([this](TObject*) { Flibrary = nullptr; });
    return *this;
}

void TjukeboxListLink::Forget() {
    if (Flibrary) Flibrary->RemoveFreeNotification(Fkey);
    Flibrary = nullptr;
}

void TcustomJukeboxLoader::LoadAll() {
    LoadLibrary();
    LoadPlaylists();
    LoadPlaylist();
    LoadStacker();
    LoadQueue();
    LoadPopularList();
    LoadInternetRadio();
    LoadRules();
}

void TcustomJukeboxLoader::LoadLibrary() {
    if (!JukeboxList) return;
    if (OnStartGlobalLoad) OnStartGlobalLoad(this);
    JukeboxList->LoadIndexes();
    if (JukeboxList->VideoSupport()) JukeboxList->LoadVideoList();
}

void TcustomJukeboxLoader::LoadPlaylists() {
    if (JukeboxList) JukeboxList->LoadPlaylists();
}

void TcustomJukeboxLoader::LoadPlaylist() {
    if (JukeboxList && JukeboxList->Jukebox()) JukeboxList->Jukebox()->LoadPlaylist();
}

void TcustomJukeboxLoader::LoadStacker() {
    if (JukeboxList && JukeboxList->Jukebox()) JukeboxList->Jukebox()->LoadStacker();
}

void TcustomJukeboxLoader::LoadQueue() {
    if (JukeboxList && JukeboxList->Jukebox()) JukeboxList->Jukebox()->LoadQueue();
}

void TcustomJukeboxLoader::LoadPopularList() {
    if (JukeboxList) JukeboxList->LoadPopularList();
}

void TcustomJukeboxLoader::LoadInternetRadio() {
    if (JukeboxList) JukeboxList->LoadInternetRadio();
}

void TcustomJukeboxLoader::LoadRules() {
    if (JukeboxList) JukeboxList->LoadRules();
}

}  // namespace tunecrest
