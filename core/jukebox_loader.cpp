#include "core/jukebox_loader.h"

#include "core/jukebox_list.h"

namespace tunecrest {

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
